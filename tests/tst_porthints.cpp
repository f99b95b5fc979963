// What a failed open advises, and where a replugged adapter went, on
// made-up machines: a temporary tree stands for /sys, /proc, /dev and /etc,
// one machine for each piece of advice, and the lines are read back as the
// user gets them under the reason.
#include "porthints.h"

#include "platform/portreasons.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace comsend;

namespace {

class MadeUpMachine {
public:
    MadeUpMachine()
    {
        machine.root = QDir(dir_.path()).canonicalPath().toStdString();
        machine.uid = ::geteuid();
        machine.user = "alice";
        machine.self = 1;
    }

    void File(const std::string &path, const std::string &text = {})
    {
        const QString at = QString::fromStdString(machine.At(path));
        QDir().mkpath(QFileInfo(at).path());
        QFile file(at);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.data(), static_cast<qint64>(text.size()));
    }
    void Link(const std::string &path, const std::string &target)
    {
        QDir().mkpath(QFileInfo(QString::fromStdString(machine.At(path))).path());
        QCOMPARE(::symlink(target.c_str(), machine.At(path).c_str()), 0);
    }
    void Remove(const std::string &path) { QCOMPARE(::unlink(machine.At(path).c_str()), 0); }
    // A process with its program's name and the files it holds open.
    void Process(pid_t pid, const std::string &program, const std::vector<std::string> &open = {})
    {
        const std::string folder = "/proc/" + std::to_string(pid);
        File(folder + "/comm", program + "\n");
        for (std::size_t fd = 0; fd < open.size(); ++fd)
            Link(folder + "/fd/" + std::to_string(fd + 3), open[fd]);
    }
    // A USB device with its interface, and whether a tty hangs below it.
    void Usb(const std::string &device, const std::string &vendor, const std::string &tty)
    {
        const std::string folder = "/sys/devices/pci0000:00/usb1/" + device;
        File(folder + "/idVendor", vendor + "\n");
        File(folder + "/" + device + ":1.0/bInterfaceNumber", "00\n");
        Link("/sys/bus/usb/devices/" + device, "../../../devices/pci0000:00/usb1/" + device);
        Link("/sys/bus/usb/devices/" + device + ":1.0",
             "../../../devices/pci0000:00/usb1/" + device + "/" + device + ":1.0");
        if (!tty.empty())
            Tty(tty, "pci0000:00/usb1/" + device + "/" + device + ":1.0/" + tty);
    }
    // A port in /sys/class/tty whose device is at the folder below
    // /sys/devices, and its node.
    void Tty(const std::string &name, const std::string &device)
    {
        File("/sys/devices/" + device + "/uevent");
        Link("/sys/class/tty/" + name + "/device", "../../../devices/" + device);
        File("/dev/" + name);
    }
    std::string Advice(const char *name, int error) const
    {
        return OpeningAdvice(machine, name, static_cast<std::uint32_t>(error));
    }

    Machine machine;

private:
    QTemporaryDir dir_;
};

} // namespace

class PortHints : public QObject {
    Q_OBJECT

private slots:
    void missingPortListsThePorts();
    void brlttyHasTakenTheAdapter();
    void permissionNamesTheGroup();
    void inUseNamesTheHolder();
    void replugFollowsTheStableName();
};

// Legacy UARTs count only with a chip behind them; a handful is named, in
// number order, each with its product or stable name.
void PortHints::missingPortListsThePorts()
{
    MadeUpMachine none;
    none.File("/sys/class/tty/tty0/dev", "4:0\n"); // a virtual console: no device
    QCOMPARE(none.Advice("ttyUSB0", ENOENT), std::string("\nNo serial port is on this computer."));

    MadeUpMachine m;
    for (const char *uart : {"ttyS0", "ttyS1", "ttyS10", "ttyS2", "ttyS11"}) {
        m.Tty(uart, std::string("platform/serial8250/tty/") + uart);
        m.File(std::string("/sys/class/tty/") + uart + "/type", uart == std::string("ttyS1") ? "0\n" : "4\n");
    }
    m.Usb("1-1", "0403", "ttyUSB0");
    m.Tty("ttyACM0", "pci0000:00/usb1/1-2/1-2:1.0");
    m.Link("/dev/serial/by-id/usb-Raspberry_Pi_Pico_E66-if00", "../../ttyACM0");
    QCOMPARE(
        m.Advice("ttyUSB3", ENOENT),
        std::string("\nPorts on this computer: /dev/ttyACM0 (usb-Raspberry_Pi_Pico_E66-if00), /dev/ttyS0, "
                    "/dev/ttyS2, /dev/ttyS10, /dev/ttyS11, and 1 more."));
    QCOMPARE(m.Advice("COM9", ENXIO), m.Advice("ttyUSB3", ENOENT));
    QCOMPARE(m.Advice("ttyUSB0", EIO), std::string()); // no advice for a device that does not answer
}

void PortHints::brlttyHasTakenTheAdapter()
{
    MadeUpMachine m;
    m.Usb("1-1", "0403", "ttyUSB0"); // has its port
    m.File("/sys/devices/pci0000:00/usb1/1-1/product", "FT232R USB UART\n");
    m.Usb("1-3", "1a86", "");
    const std::string ports = "\nPorts on this computer: /dev/ttyUSB0 (FT232R USB UART).";
    QCOMPARE(m.Advice("ttyUSB1", ENOENT), ports); // taken by another driver, but not brltty's
    m.Process(812, "brltty");
    QCOMPARE(m.Advice("ttyUSB1", ENOENT),
             ports
                 + "\nbrltty, the braille display service, has taken the CH340/CH341 adapter: remove it with "
                   "\"sudo apt remove brltty\", or mask its udev rule with \"sudo ln -s /dev/null "
                   "/etc/udev/rules.d/85-brltty.rules\"; then plug the adapter in again.");
}

// The device's own group, not dialout: uucp here. As root, the port is given
// a group other than root's, which would be no advice.
void PortHints::permissionNamesTheGroup()
{
    MadeUpMachine m;
    m.File("/dev/ttyUSB0");
    const gid_t group = ::getegid() != 0 ? ::getegid() : 20;
    QCOMPARE(::chown(m.machine.At("/dev/ttyUSB0").c_str(), static_cast<uid_t>(-1), group), 0);
    QCOMPARE(::chmod(m.machine.At("/dev/ttyUSB0").c_str(), 0660), 0);
    const std::string line = "uucp:x:" + std::to_string(group) + ":";
    m.File("/etc/group", "root:x:0:\n" + line + "bob\n");
    const std::string reason = SysErrorMessage(EACCES, PortStage::Opening);
    QCOMPARE(reason + m.Advice("ttyUSB0", EACCES),
             std::string("You may not use this port.\nThe port belongs to the uucp group: add yourself with "
                         "\"sudo usermod -aG uucp $USER\", then log out and in again."));

    m.File("/etc/group", "root:x:0:\n" + line + "bob,alice\n");
    QCOMPARE(
        m.Advice("/dev/ttyUSB0", EPERM),
        std::string("\nYou are in the uucp group, but this login began before you joined it: log out and "
                    "in again."));
    m.machine.groups = {group}; // the process has it: something else refused
    QCOMPARE(m.Advice("ttyUSB0", EACCES), std::string());
}

// Only the user's own processes show, and comsend is not one of the others.
void PortHints::inUseNamesTheHolder()
{
    MadeUpMachine m;
    m.File("/dev/ttyACM0");
    m.Link("/dev/serial/by-id/usb-Arduino-if00", "../../ttyACM0");
    m.Process(4242, "picocom", {"/dev/null", "/dev/ttyACM0"});
    m.Process(4300, "bash", {"/dev/pts/1"});
    m.Process(1, "comsend", {"/dev/ttyACM0"});
    QCOMPARE(SysErrorMessage(EBUSY, PortStage::Opening)
                 + m.Advice("/dev/serial/by-id/usb-Arduino-if00", EBUSY),
             std::string("Another program is using the port.\nIt is open in picocom (process 4242)."));
    m.Process(77, "ModemManager");
    QCOMPARE(
        m.Advice("ttyACM0", EBUSY),
        std::string("\nIt is open in picocom (process 4242).\nModemManager may be probing it for a modem: it "
                    "lets go within seconds, so press Connect again in a moment."));
    m.machine.uid += 1; // another user's processes
    QVERIFY(m.Advice("ttyACM0", EBUSY).starts_with("\nModemManager may be probing"));
}

// Unplugged while held, the adapter comes back under another node, and its
// stable name follows it.
void PortHints::replugFollowsTheStableName()
{
    MadeUpMachine m;
    m.File("/dev/ttyUSB0");
    m.File("/dev/ttyS0");
    m.Link("/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0", "../../ttyUSB0");
    const AdapterNote note = NoteAdapter(m.machine, "ttyUSB0");
    QCOMPARE(note.stableName, std::string("/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0"));
    QVERIFY(NoteAdapter(m.machine, "/dev/ttyS0").stableName.empty());
    QCOMPARE(AdapterBackAs(m.machine, note), std::string()); // still there

    m.Remove("/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0");
    m.Remove("/dev/ttyUSB0");
    QCOMPARE(AdapterBackAs(m.machine, note), std::string()); // gone, not back
    m.File("/dev/ttyUSB1");
    m.Link("/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0", "../../ttyUSB1");
    QCOMPARE(AdapterBackAs(m.machine, note), std::string("/dev/ttyUSB1"));
}

QTEST_GUILESS_MAIN(PortHints)
#include "tst_porthints.moc"
