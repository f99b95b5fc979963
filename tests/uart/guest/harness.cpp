// The guest side of the UART rig: the only program after /init in the QEMU
// guest. It takes commands on the console (ttyS0), runs each against the
// serial layer on one of the emulated 16550 ports or USB devices, in a child
// process of its own so that commands for different ports overlap, and
// answers with one line:
//
//   RUN <id> <port> <op> [<count>]   ->  @@RESULT <id> key=value... [problems=a,b]
//   QUIT                             ->  @@BYE, then power off
//
// A port is a name (COM2, ttyS1) or, for a USB device, "usb:<driver>": the
// tty node that driver has, which the kernel numbers in the order devices
// come. A check that fails adds its name to `problems`; the host checks the
// bytes that reached its end of the line. The write is run by Send() alone,
// the way the port thread runs it: the long write to its end, its observer
// cueing the host. Where the host is to unplug a device, or
// plug it back, the guest asks with "@@UNPLUG <id>" or "@@PLUG <id>"; where
// a stalled Send has ended, it says "@@SENT <id>".
#include "portname.h"
#include "serial/port.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <linux/serial.h>
#include <sstream>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/reboot.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace comsend;

namespace {

using Clock = std::chrono::steady_clock;

int gConsole = -1;

void Say(const std::string &line)
{
    // One write, so that lines from different children never interleave.
    const std::string text = line + "\n";
    while (::write(gConsole, text.data(), text.size()) < 0 && errno == EINTR) {
    }
}

class Result {
public:
    template <typename T> void Note(const char *key, const T &value)
    {
        fields_ << ' ' << key << '=' << value;
    }
    void Expect(bool ok, const std::string &check)
    {
        if (!ok)
            problems_ += (problems_.empty() ? "" : ",") + check;
    }
    std::string Text() const { return fields_.str() + (problems_.empty() ? "" : " problems=" + problems_); }

private:
    std::ostringstream fields_;
    std::string problems_;
};

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string Seconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

// What "returns at once" allows on a loaded machine.
constexpr double kAtOnce = 2.0;

// Waits up to 10 s for a port's device node to be there, or gone: a USB
// adapter's comes once it is enumerated and goes once it is unplugged.
bool AwaitNode(const std::string &port, bool present)
{
    const std::string device = ResolvePortName(port).value_or("");
    const auto start = Clock::now();
    while ((::access(device.c_str(), F_OK) == 0) != present) {
        if (Since(start) > 10)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The name of the tty whose device `driver` has bound, other than `held`.
std::string NodeOf(const std::string &driver, const std::string &held)
{
    std::string found;
    DIR *ttys = ::opendir("/sys/class/tty");
    while (const dirent *entry = ttys ? ::readdir(ttys) : nullptr) {
        const std::string name = entry->d_name;
        char link[256] = {};
        const std::string path = "/sys/class/tty/" + name + "/device/driver";
        const ssize_t size = ::readlink(path.c_str(), link, sizeof link - 1);
        const std::string target(link, size > 0 ? static_cast<std::size_t>(size) : 0);
        if (name != held && target.ends_with("/" + driver) && ::access(("/dev/" + name).c_str(), F_OK) == 0)
            found = name;
    }
    if (ttys)
        ::closedir(ttys);
    return found;
}

// Whether a tty node answers an open. The kernel makes a new tty's node
// before the tty behind it can be opened (ENXIO until then), a while that
// an emulated guest can stretch to where a poll lands in it.
bool Answers(const std::string &name)
{
    const int fd = ::open(("/dev/" + name).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    const bool answers = fd >= 0 || (errno != ENXIO && errno != ENODEV);
    if (fd >= 0)
        ::close(fd);
    return answers;
}

// The port a command names: a USB device's node once it is enumerated and
// answers (within 10 s), and not `held`, the one a program still holds.
std::string ResolvePort(const std::string &port, const std::string &held = "")
{
    if (!port.starts_with("usb:"))
        return port;
    const auto start = Clock::now();
    std::string name = NodeOf(port.substr(4), held);
    while ((name.empty() || !Answers(name)) && Since(start) < 10) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        name = NodeOf(port.substr(4), held);
    }
    return name;
}

using serial::Parity;
using serial::Port;
using serial::StopBits;

// The last failure of the calls below, as the program's port calls keep it.
serial::ErrorCode lastError = 0;

Port Open(const std::string &port)
{
    const serial::Opened opened = serial::OpenPort(port.c_str());
    lastError = opened.error;
    return opened.port;
}

// The serial layer's calls as the program's port thread makes them.
bool LineTakes(Port port, const serial::LineSettings &line)
{
    lastError = serial::SetLine(port, line).error;
    return lastError == 0;
}

bool Closes(Port port)
{
    lastError = serial::ClosePort(port);
    return lastError == 0;
}

Port OpenChecked(const std::string &port, Result &result)
{
    const Port h = Open(port);
    result.Expect(h != Port{}, "open");
    if (h == Port{})
        result.Note("open_error", lastError);
    return h;
}

int Fd(Port port)
{
    return static_cast<int>(port);
}

int ModemLines(int fd)
{
    int bits = -1;
    ::ioctl(fd, TIOCMGET, &bits);
    return bits;
}

bool DtrOrRtsUp(int fd)
{
    return (ModemLines(fd) & (TIOCM_DTR | TIOCM_RTS)) != 0;
}

termios Settings(int fd)
{
    termios tio{};
    ::tcgetattr(fd, &tio);
    return tio;
}

// A line set up the way nothing of ours leaves it: another speed, hardware
// flow, cooked input and output. Every read-back check has something to see.
void SetForeignState(int fd)
{
    termios tio = Settings(fd);
    cfsetspeed(&tio, B9600);
    tio.c_cflag = CS8 | CREAD | HUPCL | CRTSCTS;
    tio.c_iflag = ICRNL | IXON | IXOFF;
    tio.c_oflag = OPOST | ONLCR;
    tio.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
    ::tcsetattr(fd, TCSANOW, &tio);
}

constexpr tcflag_t kFrame = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;

bool IsSpeed(const termios &tio, speed_t speed)
{
    return cfgetispeed(&tio) == speed && cfgetospeed(&tio) == speed;
}

void SendRecordTakes(const std::string &port, Result &result)
{
    const Port h = OpenChecked(port, result);
    const int fd = Fd(h);
    result.Expect((ModemLines(fd) & (TIOCM_DTR | TIOCM_RTS)) == (TIOCM_DTR | TIOCM_RTS),
                  "dtr_rts_up_at_open");
    SetForeignState(fd);
    serial::LineSettings line;
    result.Expect(LineTakes(h, line), "set");
    const termios tio = Settings(fd);
    result.Expect(IsSpeed(tio, B4800), "speed");
    result.Expect((tio.c_cflag & (kFrame | CRTSCTS)) == CS8, "frame_8n1_no_flow");
    result.Expect((tio.c_cflag & CLOCAL) != 0, "clocal");
    result.Expect((tio.c_oflag & OPOST) == 0 && (tio.c_lflag & (ICANON | ECHO | ISIG)) == 0, "raw");
    result.Expect((tio.c_iflag & (IXON | IXOFF)) == 0, "no_xon_xoff");
    result.Expect(!DtrOrRtsUp(fd), "dtr_rts_off_after_set");
    result.Expect(Closes(h), "close");
}

// Frames a pseudo-terminal cannot carry (it runs 8 bits without parity).
void UartFramesTake(const std::string &port, Result &result)
{
    struct Frame {
        const char *name;
        std::uint8_t bits;
        Parity parity;
        StopBits stopBits;
        tcflag_t expected;
    };
    const Frame frames[] = {
        {"7E2", 7, Parity::Even, StopBits::Two, CS7 | PARENB | CSTOPB},
        {"7E1", 7, Parity::Even, StopBits::One, CS7 | PARENB},
        {"5N1.5", 5, Parity::None, StopBits::OneAndHalf, CS5 | CSTOPB},
        {"6O1", 6, Parity::Odd, StopBits::One, CS6 | PARENB | PARODD},
        {"8M1", 8, Parity::Mark, StopBits::One, CS8 | PARENB | PARODD | CMSPAR},
    };
    const Port h = OpenChecked(port, result);
    SetForeignState(Fd(h));
    for (const Frame &frame : frames) {
        serial::LineSettings line;
        line.dataBits = frame.bits;
        line.parity = frame.parity;
        line.stopBits = frame.stopBits;
        const std::string name = frame.name;
        result.Expect(LineTakes(h, line), name + "_set");
        const termios tio = Settings(Fd(h));
        result.Expect((tio.c_cflag & kFrame) == frame.expected && IsSpeed(tio, B4800), name + "_read_back");
    }
    result.Expect(Closes(h), "close");
}

// 230400 is beyond the emulated UART's clock, so the driver keeps another
// speed while taking the 7E1 frame: the record is refused, and whatever the
// driver took must be undone.
void RefusedRecordLeavesLine(const std::string &port, Result &result)
{
    const Port h = OpenChecked(port, result);
    const int fd = Fd(h);
    SetForeignState(fd);
    const termios before = Settings(fd);
    const int linesBefore = ModemLines(fd);
    serial::LineSettings line;
    line.bitsPerSecond = 230400;
    line.dataBits = 7;
    line.parity = Parity::Even;
    result.Expect(!LineTakes(h, line), "refused");
    result.Note("error", lastError);
    const termios after = Settings(fd);
    result.Expect(after.c_cflag == before.c_cflag, "cflag");
    result.Expect(cfgetispeed(&after) == cfgetispeed(&before) && cfgetospeed(&after) == cfgetospeed(&before),
                  "speed");
    result.Expect(after.c_iflag == before.c_iflag && after.c_oflag == before.c_oflag
                      && after.c_lflag == before.c_lflag,
                  "iflag_oflag_lflag");
    result.Expect(ModemLines(fd) == linesBefore, "modem_lines");
    result.Expect(Closes(h), "close");
}

// Bytes the host regenerates: a linear congruential sequence, so that a
// lost, repeated or swapped byte shows at once.
std::vector<char> Payload(std::uint32_t count)
{
    std::vector<char> bytes(count);
    std::uint32_t state = count;
    for (char &byte : bytes) {
        state = state * 1103515245U + 12345U;
        byte = static_cast<char>((state >> 16) & 0xFFU);
    }
    return bytes;
}

// How far a write has come, for a case's cues.
struct Progress {
    bool handedOver; // every byte is with the driver
};

// What a Send came to, as the form would report it.
struct Outcome {
    std::uint32_t error = 0;
    std::uint32_t sent = 0;
    std::uint32_t sentAtMost = 0;
    double closeSeconds = 0;
};

using StepHook = std::function<void(const Progress &)>;
using EndHook = std::function<void(const Outcome &, int)>;

// Sends `count` bytes with the Send record in effect, the one place the
// long write is run; `eachStep` runs after every step of the write,
// `afterSend` between the end of the write and the close.
Outcome Send(const std::string &port, std::uint32_t count, Result &result, const EndHook &afterSend,
             const StepHook &eachStep = {})
{
    const Port h = OpenChecked(port, result);
    serial::LineSettings line;
    result.Expect(LineTakes(h, line), "set");
    const std::vector<char> bytes = Payload(count);
    const serial::Waker waker;
    serial::WriteControl control;
    if (eachStep)
        control.observer = [&](const serial::WriteState &state) { eachStep({state.handed == count}); };
    const auto start = Clock::now();
    const SendAccount send = serial::SendToPort(h, bytes, control, waker);
    Outcome outcome{send.error, send.atLeast, send.atMost};
    result.Note("send_s", Seconds(Since(start)));
    result.Note("sent", outcome.sent);
    result.Note("sent_at_most", outcome.sentAtMost);
    result.Note("error", outcome.error);
    afterSend(outcome, Fd(h));
    const auto closeStart = Clock::now();
    result.Expect(Closes(h), "close");
    outcome.closeSeconds = Since(closeStart);
    result.Note("close_s", Seconds(outcome.closeSeconds));
    return outcome;
}

void PacedSend(const std::string &port, std::uint32_t count, Result &result)
{
    Send(port, count, result, [&](const Outcome &outcome, int) {
        result.Expect(outcome.error == 0, "error");
        result.Expect(outcome.sent == count && outcome.sentAtMost == count, "sent_all");
    });
}

// What the driver holds, or -1 when it cannot say.
long Queued(int fd)
{
    int queued = -1;
    return ::ioctl(fd, TIOCOUTQ, &queued) == 0 ? queued : -1;
}

// The host unplugs the device a set time after the guest's cue: while the
// text is being handed over, the cue comes with the first step; in the
// drain, once every byte is with the driver. For a plain unplug in the
// drain the write steps on only once the device has gone, so that the
// unplug falls in the drain however little the serial layer keeps queued;
// where the device's transfers fail first, it steps on through the failing.
// The Send must fail, and the close return at once; the host checks the
// account against what arrived.
void UnpluggedSend(const std::string &port, const std::string &id, std::uint32_t count, bool inDrain,
                   bool awaitGone, Result &result)
{
    bool cued = false;
    Clock::time_point cuedAt;
    const auto cue = [&](const Progress &progress) {
        if (cued || (inDrain && !progress.handedOver))
            return;
        cued = true;
        cuedAt = Clock::now();
        Say("@@UNPLUG " + id);
        if (awaitGone)
            result.Expect(AwaitNode(port, false), "node_gone");
    };
    const Outcome outcome = Send(
        port, count, result,
        [&](const Outcome &ended, int) {
            result.Expect(ended.error != 0, "send_failed");
            result.Note("ended_after_cue_s", Seconds(Since(cuedAt)));
        },
        cue);
    result.Expect(cued, "cued");
    AwaitNode(port, false);
    result.Note("gone_after_cue_s", Seconds(Since(cuedAt)));
    result.Expect(outcome.closeSeconds < kAtOnce, "close_at_once");
}

// Unplugged while connected and idle: the next Send fails at the line
// settings, with the reason kept. Plugged back while the old handle is still
// held, the device comes under a new name; the old handle then closes at
// once, and a Send arrives at the new name, as after a Disconnect and a
// Connect to it (the serial layer holds one port at a time).
void UnpluggedIdle(const std::string &requested, const std::string &port, const std::string &id,
                   std::uint32_t count, Result &result)
{
    const Port old = OpenChecked(port, result);
    serial::LineSettings line;
    result.Expect(LineTakes(old, line), "set");
    Say("@@UNPLUG " + id);
    result.Expect(AwaitNode(port, false), "node_gone");
    result.Expect(!LineTakes(old, line), "set_fails");
    const std::uint32_t error = lastError;
    result.Note("set_error", error);
    result.Expect(error != 0, "set_error_kept");
    Say("@@PLUG " + id);
    const std::string renamed = ResolvePort(requested, port);
    result.Note("new_port", renamed.empty() ? "none" : renamed);
    result.Expect(!renamed.empty(), "renamed");
    const auto closeStart = Clock::now();
    result.Expect(Closes(old), "old_close");
    const double closeSeconds = Since(closeStart);
    result.Note("old_close_s", Seconds(closeSeconds));
    result.Expect(closeSeconds < kAtOnce, "old_close_at_once");
    if (!renamed.empty())
        PacedSend(renamed, count, result);
}

// Whether the UART has sent its last bit: what the write counted as sent
// includes bytes in the UART's FIFO.
bool LineEmpty(int fd)
{
    unsigned int lsr = 0;
    return ::ioctl(fd, TIOCSERGETLSR, &lsr) == 0 && (lsr & TIOCSER_TEMT) != 0;
}

// The host stops reading for good. Once the write has ended, the host is
// told to read again and the port stays open until the UART is empty, so
// that everything that left the driver reaches the host before the close
// clears the UART's FIFO.
void StalledSend(const std::string &port, const std::string &id, std::uint32_t count, Result &result)
{
    Send(port, count, result, [&](const Outcome &outcome, int fd) {
        result.Expect(outcome.error == serial::kSendStalled, "error_stalled");
        result.Expect(outcome.sentAtMost == outcome.sent, "exact");
        result.Expect(outcome.sent < count, "sent_part");
        result.Expect(Queued(fd) == 0, "queue_discarded");
        Say("@@SENT " + id);
        const auto start = Clock::now();
        while (!LineEmpty(fd) && Since(start) < 30)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        result.Expect(LineEmpty(fd), "uart_emptied");
    });
}

// A USB device's far end stops reading: the Send must fail by the stall
// rule. The port is then closed at once, or, where the far end reads again
// once the Send has failed, after the two seconds in which the line carries
// what the driver still held. The close must return at once; the host
// counts what arrives after the Send too.
void StalledUsbSend(const std::string &port, const std::string &id, std::uint32_t count, bool resumes,
                    Result &result)
{
    const Outcome outcome = Send(port, count, result, [&](const Outcome &ended, int) {
        result.Expect(ended.error == serial::kSendStalled, "error_stalled");
        Say("@@SENT " + id);
        if (resumes)
            std::this_thread::sleep_for(std::chrono::seconds(2));
    });
    result.Expect(outcome.closeSeconds < kAtOnce, "close_at_once");
}

// A plain open, as another program would make, sees neither the kernel's
// exclusive mode nor the lock; `held` says which state is expected.
void CheckExclusive(const std::string &device, bool held, Result &result, const std::string &when)
{
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    int exclusive = -1;
    ::ioctl(fd, TIOCGEXCL, &exclusive);
    result.Expect(exclusive == (held ? 1 : 0), "tiocgexcl_" + when);
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    result.Expect(locked == held, "flock_" + when);
    ::close(fd);
}

void ExclusiveUse(const std::string &port, Result &result)
{
    const std::string device = ResolvePortName(port).value_or("");
    const Port first = OpenChecked(port, result);
    CheckExclusive(device, true, result, "held");
    const Port second = Open(port);
    result.Expect(second == Port{} && lastError == EBUSY, "second_open_ebusy");
    result.Expect(Closes(first), "close");
    const Port again = Open(port);
    result.Expect(again != Port{}, "reopen");
    result.Expect(Closes(again), "close_again");
    CheckExclusive(device, false, result, "after_close");
}

std::string Run(const std::string &id, const std::string &requested, const std::string &op,
                std::uint32_t count)
{
    Result result;
    const std::string port = ResolvePort(requested);
    result.Note("port", port.empty() ? "none" : port);
    result.Expect(!port.empty() && AwaitNode(port, true), "no_device");
    if (op == "send_record")
        SendRecordTakes(port, result);
    else if (op == "uart_frames")
        UartFramesTake(port, result);
    else if (op == "refused")
        RefusedRecordLeavesLine(port, result);
    else if (op == "send")
        PacedSend(port, count, result);
    else if (op == "stall")
        StalledSend(port, id, count, result);
    else if (op == "exclusive")
        ExclusiveUse(port, result);
    else if (op == "stall_close" || op == "stall_resume")
        StalledUsbSend(port, id, count, op == "stall_resume", result);
    else if (op == "unplug_handover" || op == "fail_handover")
        UnpluggedSend(port, id, count, false, false, result);
    else if (op == "unplug_drain" || op == "fail_drain")
        UnpluggedSend(port, id, count, true, op == "unplug_drain", result);
    else if (op == "unplug_idle")
        UnpluggedIdle(requested, port, id, count, result);
    else
        result.Expect(false, "unknown_op");
    return result.Text();
}

void Dispatch(const std::string &line)
{
    std::istringstream in(line);
    std::string verb, id, port, op;
    std::uint32_t count = 0;
    in >> verb >> id >> port >> op >> count;
    if (verb != "RUN" || op.empty()) {
        Say("@@ERROR bad command: " + line);
        return;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        Say("@@RESULT " + id + Run(id, port, op, count));
        ::_exit(0);
    }
    if (child < 0)
        Say("@@RESULT " + id + " problems=fork");
}

} // namespace

int main()
{
    gConsole = ::open("/dev/ttyS0", O_RDWR | O_NOCTTY);
    if (gConsole < 0)
        return 1;
    termios tio = Settings(gConsole);
    cfmakeraw(&tio);
    ::tcsetattr(gConsole, TCSANOW, &tio);
    std::signal(SIGCHLD, SIG_IGN); // children reap themselves
    Say("@@READY");
    std::string line;
    char c = 0;
    for (;;) {
        const ssize_t n = ::read(gConsole, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || (c == '\n' && line == "QUIT"))
            break;
        if (c != '\n') {
            line += c;
            continue;
        }
        Dispatch(line);
        line.clear();
    }
    // With SIGCHLD ignored, wait() returns once every child has ended.
    while (::wait(nullptr) > 0 || errno == EINTR) {
    }
    Say("@@BYE");
    ::reboot(RB_POWER_OFF);
    return 0;
}
