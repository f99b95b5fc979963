// Opening and closing ports on real pseudo-terminals.
#include "serial/port.h"

#include "platform/serial.h"
#include "support/portfd.h"
#include "support/ptypair.h"

#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace comsend;

namespace {

// Runs an open in a child process; true if it got the port. The child has
// none of the parent's threads, so it opens on its own, as the port thread
// would.
bool OpensInAnotherProcess(const std::string &name)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(serial::OpenPort(name.c_str()).error == 0 ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

class SerialOpen : public QObject {
    Q_OBJECT

private slots:
    void openCloseReopen();
    void openSilencesTheLineOnly();
    void secondOpenerRefused();
    void anotherProcessIsRefused();
    void heldByAnotherProgram_data();
    void heldByAnotherProgram();
    void refusesNonTerminals_data();
    void refusesNonTerminals();
    void neverZeroNorStandardStream();
    void ownTerminalRefused();
    void folderOnTheWayRefused();
    void unsupportedArguments();
    void staleHandleRefused();
    void exitGivesThePortBack();
};

void SerialOpen::openCloseReopen()
{
    PtyPair pty;
    QVERIFY(pty.IsOpen());
    const HANDLE first = OpenPort(pty.SlavePath());
    QVERIFY(first != INVALID_HANDLE_VALUE);
    QVERIFY(first != nullptr);
    QCOMPARE(CloseHandle(first), TRUE);
    const HANDLE second = OpenPort(pty.SlavePath());
    QVERIFY(second != INVALID_HANDLE_VALUE);
    QCOMPARE(CloseHandle(second), TRUE);
}

// The far end gets nothing back of what it says (a freshly opened terminal
// echoes it, "AT\r" as "AT\r\n"), and the line keeps its speed and framing.
void SerialOpen::openSilencesTheLineOnly()
{
    PtyPair pty;
    termios foreign = pty.Settings();
    cfsetospeed(&foreign, B1200);
    cfsetispeed(&foreign, B1200);
    foreign.c_cflag |= CSTOPB | PARENB;
    foreign.c_iflag |= IXON | IXOFF;
    pty.SetSlaveSettings(foreign);
    const termios before = pty.Settings();
    const HANDLE port = OpenPort(pty.SlavePath());
    QVERIFY(port != INVALID_HANDLE_VALUE);
    const termios after = pty.Settings();
    QCOMPARE(after.c_cflag, before.c_cflag);
    QCOMPARE(after.c_oflag, before.c_oflag);
    QCOMPARE(cfgetospeed(&after), cfgetospeed(&before));
    QCOMPARE(after.c_iflag, before.c_iflag & ~static_cast<tcflag_t>(IXON | IXOFF));
    QCOMPARE(after.c_lflag & ICANON, before.c_lflag & ICANON);
    QCOMPARE(after.c_lflag & (ECHO | ECHONL), tcflag_t{0});
    const char request[] = "AT+RESET\r";
    QCOMPARE(::write(pty.Master(), request, sizeof request - 1), static_cast<ssize_t>(sizeof request - 1));
    QVERIFY(pty.Drain().empty());
    CloseHandle(port);
}

void SerialOpen::secondOpenerRefused()
{
    PtyPair pty;
    const HANDLE held = OpenPort(pty.SlavePath());
    QVERIFY(held != INVALID_HANDLE_VALUE);
    QCOMPARE(OpenPort(pty.SlavePath()), INVALID_HANDLE_VALUE);
    CloseHandle(held);
    const HANDLE again = OpenPort(pty.SlavePath());
    QVERIFY(again != INVALID_HANDLE_VALUE);
    CloseHandle(again);
}

void SerialOpen::anotherProcessIsRefused()
{
    PtyPair pty;
    const HANDLE held = OpenPort(pty.SlavePath());
    QVERIFY(held != INVALID_HANDLE_VALUE);
    QVERIFY(!OpensInAnotherProcess(pty.SlavePath()));
    CloseHandle(held);
    QVERIFY(OpensInAnotherProcess(pty.SlavePath()));
}

void SerialOpen::heldByAnotherProgram_data()
{
    QTest::addColumn<bool>("lock");
    QTest::addColumn<bool>("exclusiveMode");
    QTest::newRow("whole-file lock") << true << false;
    QTest::newRow("exclusive mode") << false << true;
}

// Another program took the port its own way; we keep out, even as root.
void SerialOpen::heldByAnotherProgram()
{
    QFETCH(bool, lock);
    QFETCH(bool, exclusiveMode);
    PtyPair pty;
    const int other = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(other >= 0);
    if (lock)
        QCOMPARE(::flock(other, LOCK_EX | LOCK_NB), 0);
    if (exclusiveMode)
        QCOMPARE(::ioctl(other, TIOCEXCL), 0);
    const int before = OpenDescriptorCount();
    QCOMPARE(OpenPort(pty.SlavePath()), INVALID_HANDLE_VALUE);
    QCOMPARE(OpenDescriptorCount(), before);
    ::close(other);
}

void SerialOpen::refusesNonTerminals_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("regular file") << "file";
    QTest::newRow("directory") << "directory";
    QTest::newRow("fifo") << "fifo";
    QTest::newRow("missing") << "missing";
    QTest::newRow("empty name") << "empty";
    QTest::newRow("/dev/null") << "null";
    QTest::newRow("/dev/ptmx") << "ptmx";
    QTest::newRow("too long") << "long";
}

void SerialOpen::refusesNonTerminals()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString();
    std::string name;
    if (kind == "file") {
        name = base + "/port";
        const int fd = ::open(name.c_str(), O_CREAT | O_WRONLY, 0600);
        QVERIFY(::write(fd, "x", 1) == 1);
        ::close(fd);
    } else if (kind == "directory") {
        name = base;
    } else if (kind == "fifo") {
        name = base + "/fifo";
        QCOMPARE(::mkfifo(name.c_str(), 0600), 0);
    } else if (kind == "missing") {
        name = base + "/none";
    } else if (kind == "null") {
        name = "/dev/null";
    } else if (kind == "ptmx") {
        name = "/dev/ptmx";
    } else if (kind == "long") {
        name = std::string(5000, 'x');
    }
    const int before = OpenDescriptorCount();
    QCOMPARE(OpenPort(name), INVALID_HANDLE_VALUE);
    QCOMPARE(OpenDescriptorCount(), before);
    if (kind == "file") {
        struct stat info {};
        QCOMPARE(::stat(name.c_str(), &info), 0);
        QCOMPARE(info.st_size, off_t(1));
    }
}

// With the standard descriptors free, the port still never lands on them.
void SerialOpen::neverZeroNorStandardStream()
{
    PtyPair pty;
    const int saved[3] = {::dup(0), ::dup(1), ::dup(2)};
    ::close(0);
    ::close(1);
    ::close(2);
    const HANDLE port = OpenPort(pty.SlavePath());
    const int descriptor = static_cast<int>(reinterpret_cast<std::intptr_t>(port));
    for (int fd = 0; fd < 3; ++fd)
        ::dup2(saved[fd], fd);
    for (const int fd : saved)
        ::close(fd);
    QVERIFY(port != INVALID_HANDLE_VALUE);
    QVERIFY(descriptor > 2);
    CloseHandle(port);
}

// A folder that may not be searched keeps the port out of reach, which no
// group membership would change. Root searches any folder: it looks as
// nobody.
void SerialOpen::folderOnTheWayRefused()
{
    PtyPair pty;
    QTemporaryDir dir;
    const std::string link = dir.path().toStdString() + "/port";
    QCOMPARE(::symlink(pty.SlavePath().c_str(), link.c_str()), 0);
    QCOMPARE(::chmod(dir.path().toLocal8Bit().constData(), 0600), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const bool looked = ::geteuid() != 0 || ::setresuid(65534, 65534, 65534) == 0;
        ::_exit(looked && serial::OpenPort(link.c_str()).error == serial::kFolderRefused ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ::chmod(dir.path().toLocal8Bit().constData(), 0700);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// The terminal on standard input is ours, whatever name reaches it.
void SerialOpen::ownTerminalRefused()
{
    PtyPair pty;
    const int saved = ::dup(0);
    const int terminal = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ::dup2(terminal, 0);
    ::close(terminal);
    const HANDLE byPath = OpenPort(pty.SlavePath());
    const DWORD pathError = GetLastError();
    const HANDLE byDescriptor = OpenPort("/proc/self/fd/0");
    const DWORD descriptorError = GetLastError();
    // A device on a standard stream that is no terminal is simply no port.
    const int null = ::open("/dev/null", O_RDONLY);
    ::dup2(null, 0);
    ::close(null);
    const HANDLE nullPort = OpenPort("/dev/null");
    const DWORD nullError = GetLastError();
    ::dup2(saved, 0);
    ::close(saved);
    QCOMPARE(byPath, INVALID_HANDLE_VALUE);
    QCOMPARE(pathError, serial::kOwnTerminal);
    QCOMPARE(byDescriptor, INVALID_HANDLE_VALUE);
    QCOMPARE(descriptorError, serial::kOwnTerminal);
    QCOMPARE(nullPort, INVALID_HANDLE_VALUE);
    QCOMPARE(nullError, DWORD{ENOTTY});
    const HANDLE port = OpenPort(pty.SlavePath()); // once it is no longer ours, it opens
    QVERIFY(port != INVALID_HANDLE_VALUE);
    CloseHandle(port);
}

void SerialOpen::unsupportedArguments()
{
    PtyPair pty;
    const char *path = pty.SlavePath().c_str();
    QCOMPARE(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 1, nullptr, OPEN_EXISTING, 0, nullptr),
             INVALID_HANDLE_VALUE);
    QCOMPARE(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, 2, 0, nullptr),
             INVALID_HANDLE_VALUE);
    QCOMPARE(CreateFileA(nullptr, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
             INVALID_HANDLE_VALUE);
    QCOMPARE(CloseHandle(INVALID_HANDLE_VALUE), FALSE);
    QCOMPARE(CloseHandle(nullptr), FALSE);
}

// A closed handle stays refused even when its descriptor number comes back
// for another file.
void SerialOpen::staleHandleRefused()
{
    PtyPair pty;
    const HANDLE port = OpenPort(pty.SlavePath());
    QVERIFY(port != INVALID_HANDLE_VALUE);
    QCOMPARE(CloseHandle(port), TRUE);
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/reused";
    const int reused = ::open(path.c_str(), O_CREAT | O_RDWR, 0600);
    QCOMPARE(HANDLE(reinterpret_cast<void *>(static_cast<std::intptr_t>(reused))), port);
    DWORD written = 0;
    QCOMPARE(WriteFile(port, "x", 1, &written, nullptr), FALSE);
    QCOMPARE(CloseHandle(port), FALSE);
    struct stat info {};
    QCOMPARE(::fstat(reused, &info), 0); // still open, still empty
    QCOMPARE(info.st_size, off_t(0));
    ::close(reused);
}

// A program that exits holding the port, without closing it, does not leave
// it locked: the next opener gets in while the far end stays open.
void SerialOpen::exitGivesThePortBack()
{
    PtyPair pty;
    const pid_t child = ::fork();
    if (child == 0)
        ::exit(serial::OpenPort(pty.SlavePath().c_str()).error == 0 ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const int probe = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    int exclusive = -1;
    QCOMPARE(::ioctl(probe, TIOCGEXCL, &exclusive), 0);
    ::close(probe);
    QCOMPARE(exclusive, 0);
    const HANDLE port = OpenPort(pty.SlavePath());
    QVERIFY(port != INVALID_HANDLE_VALUE);
    CloseHandle(port);
}

QTEST_APPLESS_MAIN(SerialOpen)
#include "tst_serialopen.moc"
