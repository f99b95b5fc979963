// The guest side of the UART rig: the only program after /init in the QEMU
// guest. It takes commands on the console (ttyS0), runs each against the
// serial layer on one of the emulated 16550 ports or the USB adapter, in a
// child process of its own so that commands for different ports overlap, and
// answers with one line:
//
//   RUN <id> <port> <op> [<count>]   ->  @@RESULT <id> key=value... [problems=a,b]
//   QUIT                             ->  @@BYE, then power off
//
// A check that fails adds its name to `problems`; the host checks the bytes
// that reached its end of the line. The write is run the way the window
// loop runs it: PortSend stepped until it ends. Where the host is to unplug
// the adapter, or plug it back, the guest asks with "@@UNPLUG <id>" or
// "@@PLUG <id>".
#include "platform/kernel.h"
#include "portname.h"
#include "serial/portsend.h"
#include "support/sendrecord.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
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

// The name an adapter comes back under while `held` is still open: another
// ttyUSBn node, once it appears (within 10 s).
std::string NewUsbName(const std::string &held)
{
    const auto start = Clock::now();
    while (Since(start) < 10) {
        for (int n = 0; n < 8; ++n) {
            std::string name = "ttyUSB" + std::to_string(n);
            if (name != held && ::access(("/dev/" + name).c_str(), F_OK) == 0)
                return name;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return "";
}

HANDLE Open(const std::string &port)
{
    return OpenSerialPort(port.c_str());
}

HANDLE OpenChecked(const std::string &port, Result &result)
{
    const HANDLE h = Open(port);
    result.Expect(h != INVALID_HANDLE_VALUE, "open");
    if (h == INVALID_HANDLE_VALUE)
        result.Note("open_error", GetLastError());
    return h;
}

int Fd(HANDLE handle)
{
    return static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
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
    const HANDLE h = OpenChecked(port, result);
    const int fd = Fd(h);
    result.Expect((ModemLines(fd) & (TIOCM_DTR | TIOCM_RTS)) == (TIOCM_DTR | TIOCM_RTS),
                  "dtr_rts_up_at_open");
    SetForeignState(fd);
    DCB dcb = SendRecord();
    result.Expect(SetCommState(h, &dcb) == TRUE, "set");
    const termios tio = Settings(fd);
    result.Expect(IsSpeed(tio, B4800), "speed");
    result.Expect((tio.c_cflag & (kFrame | CRTSCTS)) == CS8, "frame_8n1_no_flow");
    result.Expect((tio.c_cflag & CLOCAL) != 0, "clocal");
    result.Expect((tio.c_oflag & OPOST) == 0 && (tio.c_lflag & (ICANON | ECHO | ISIG)) == 0, "raw");
    result.Expect((tio.c_iflag & (IXON | IXOFF)) == 0, "no_xon_xoff");
    result.Expect(!DtrOrRtsUp(fd), "dtr_rts_off_after_set");
    result.Expect(CloseHandle(h) == TRUE, "close");
}

// Frames a pseudo-terminal cannot carry (it runs 8 bits without parity).
void UartFramesTake(const std::string &port, Result &result)
{
    struct Frame {
        const char *name;
        BYTE bits, parity, stopBits;
        tcflag_t expected;
    };
    const Frame frames[] = {
        {"7E2", 7, EVENPARITY, TWOSTOPBITS, CS7 | PARENB | CSTOPB},
        {"7E1", 7, EVENPARITY, ONESTOPBIT, CS7 | PARENB},
        {"5N1.5", 5, NOPARITY, ONE5STOPBITS, CS5 | CSTOPB},
        {"6O1", 6, ODDPARITY, ONESTOPBIT, CS6 | PARENB | PARODD},
        {"8M1", 8, MARKPARITY, ONESTOPBIT, CS8 | PARENB | PARODD | CMSPAR},
    };
    const HANDLE h = OpenChecked(port, result);
    SetForeignState(Fd(h));
    for (const Frame &frame : frames) {
        DCB dcb = SendRecord();
        dcb.ByteSize = frame.bits;
        dcb.Parity = frame.parity;
        dcb.StopBits = frame.stopBits;
        const std::string name = frame.name;
        result.Expect(SetCommState(h, &dcb) == TRUE, name + "_set");
        const termios tio = Settings(Fd(h));
        result.Expect((tio.c_cflag & kFrame) == frame.expected && IsSpeed(tio, B4800), name + "_read_back");
    }
    result.Expect(CloseHandle(h) == TRUE, "close");
}

// 230400 is beyond the emulated UART's clock, so the driver keeps another
// speed while taking the 7E1 frame: the record is refused, and whatever the
// driver took must be undone.
void RefusedRecordLeavesLine(const std::string &port, Result &result)
{
    const HANDLE h = OpenChecked(port, result);
    const int fd = Fd(h);
    SetForeignState(fd);
    const termios before = Settings(fd);
    const int linesBefore = ModemLines(fd);
    DCB dcb = SendRecord();
    dcb.BaudRate = 230400;
    dcb.ByteSize = 7;
    dcb.Parity = EVENPARITY;
    result.Expect(SetCommState(h, &dcb) == FALSE, "refused");
    result.Note("error", GetLastError());
    const termios after = Settings(fd);
    result.Expect(after.c_cflag == before.c_cflag, "cflag");
    result.Expect(cfgetispeed(&after) == cfgetispeed(&before) && cfgetospeed(&after) == cfgetospeed(&before),
                  "speed");
    result.Expect(after.c_iflag == before.c_iflag && after.c_oflag == before.c_oflag
                      && after.c_lflag == before.c_lflag,
                  "iflag_oflag_lflag");
    result.Expect(ModemLines(fd) == linesBefore, "modem_lines");
    result.Expect(CloseHandle(h) == TRUE, "close");
}

// Bytes the host regenerates: a linear congruential sequence, so that a
// lost, repeated or swapped byte shows at once.
std::vector<char> Payload(DWORD count)
{
    std::vector<char> bytes(count);
    std::uint32_t state = count;
    for (char &byte : bytes) {
        state = state * 1103515245U + 12345U;
        byte = static_cast<char>((state >> 16) & 0xFFU);
    }
    return bytes;
}

using SendHook = std::function<void(const PortSend &, int)>;

// Sends `count` bytes with the Send record in effect; `eachStep` runs after
// every step that does not end the write, `afterSend` between the end of the
// write and the close. Returns how long the close took.
double Send(const std::string &port, DWORD count, Result &result, const SendHook &afterSend,
            const SendHook &eachStep = {})
{
    const HANDLE h = OpenChecked(port, result);
    DCB dcb = SendRecord();
    result.Expect(SetCommState(h, &dcb) == TRUE, "set");
    const std::vector<char> bytes = Payload(count);
    PortSend send(h, bytes.data(), count);
    const auto start = Clock::now();
    while (send.Step()) {
        if (eachStep)
            eachStep(send, Fd(h));
    }
    result.Note("send_s", Seconds(Since(start)));
    result.Note("sent", send.Sent());
    result.Note("sent_at_most", send.SentAtMost());
    result.Note("error", send.Error());
    afterSend(send, Fd(h));
    const auto closeStart = Clock::now();
    result.Expect(CloseHandle(h) == TRUE, "close");
    const double closeSeconds = Since(closeStart);
    result.Note("close_s", Seconds(closeSeconds));
    return closeSeconds;
}

void PacedSend(const std::string &port, DWORD count, Result &result)
{
    Send(port, count, result, [&](const PortSend &send, int) {
        result.Expect(send.Error() == 0, "error");
        result.Expect(send.Sent() == count && send.SentAtMost() == count, "sent_all");
    });
}

// What the driver holds, or -1 when it cannot say.
long Queued(int fd)
{
    int queued = -1;
    return ::ioctl(fd, TIOCOUTQ, &queued) == 0 ? queued : -1;
}

// The host unplugs the adapter a set time after the guest's cue: while the
// text is being handed over, the cue comes with the first step; in the
// drain, once every byte is with the driver, and the write steps on only
// once the adapter has gone, so that the unplug falls in the drain however
// little the serial layer keeps queued. The Send must fail, and the close
// return at once; the host checks the account against what arrived.
void UnpluggedSend(const std::string &port, const std::string &id, DWORD count, bool inDrain, Result &result)
{
    bool cued = false;
    const auto cue = [&](const PortSend &send, int fd) {
        if (cued || (inDrain && static_cast<long>(send.Sent()) + Queued(fd) < static_cast<long>(count)))
            return;
        cued = true;
        Say("@@UNPLUG " + id);
        if (inDrain)
            result.Expect(AwaitNode(port, false), "node_gone");
    };
    const double closeSeconds = Send(
        port, count, result,
        [&](const PortSend &send, int) { result.Expect(send.Error() != 0, "send_failed"); }, cue);
    result.Expect(cued, "cued");
    result.Expect(closeSeconds < kAtOnce, "close_at_once");
}

// Unplugged while connected and idle: the next Send fails at the line
// settings, with the reason kept. Plugged back while the old handle is still
// held, the adapter comes under a new name, where a Send arrives; the old
// handle then closes at once.
void UnpluggedIdle(const std::string &port, const std::string &id, DWORD count, Result &result)
{
    const HANDLE old = OpenChecked(port, result);
    DCB dcb = SendRecord();
    result.Expect(SetCommState(old, &dcb) == TRUE, "set");
    Say("@@UNPLUG " + id);
    result.Expect(AwaitNode(port, false), "node_gone");
    result.Expect(SetCommState(old, &dcb) == FALSE, "set_fails");
    const DWORD error = GetLastError();
    result.Note("set_error", error);
    result.Expect(error != 0, "set_error_kept");
    Say("@@PLUG " + id);
    const std::string renamed = NewUsbName(port);
    result.Note("new_port", renamed.empty() ? "none" : renamed);
    result.Expect(!renamed.empty(), "renamed");
    if (!renamed.empty())
        PacedSend(renamed, count, result);
    const auto closeStart = Clock::now();
    result.Expect(CloseHandle(old) == TRUE, "old_close");
    const double closeSeconds = Since(closeStart);
    result.Note("old_close_s", Seconds(closeSeconds));
    result.Expect(closeSeconds < kAtOnce, "old_close_at_once");
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
void StalledSend(const std::string &port, const std::string &id, DWORD count, Result &result)
{
    Send(port, count, result, [&](const PortSend &send, int fd) {
        result.Expect(send.Error() == ERROR_TIMEOUT, "error_timeout");
        result.Expect(send.SentAtMost() == send.Sent(), "exact");
        result.Expect(send.Sent() < count, "sent_part");
        result.Expect(Queued(fd) == 0, "queue_discarded");
        Say("@@SENT " + id);
        const auto start = Clock::now();
        while (!LineEmpty(fd) && Since(start) < 30)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        result.Expect(LineEmpty(fd), "uart_emptied");
    });
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
    const HANDLE first = OpenChecked(port, result);
    CheckExclusive(device, true, result, "held");
    const HANDLE second = Open(port);
    result.Expect(second == INVALID_HANDLE_VALUE && GetLastError() == EBUSY, "second_open_ebusy");
    result.Expect(CloseHandle(first) == TRUE, "close");
    const HANDLE again = Open(port);
    result.Expect(again != INVALID_HANDLE_VALUE, "reopen");
    result.Expect(CloseHandle(again) == TRUE, "close_again");
    CheckExclusive(device, false, result, "after_close");
}

std::string Run(const std::string &id, const std::string &port, const std::string &op, DWORD count)
{
    Result result;
    result.Expect(AwaitNode(port, true), "no_device");
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
    else if (op == "unplug_handover" || op == "unplug_drain")
        UnpluggedSend(port, id, count, op == "unplug_drain", result);
    else if (op == "unplug_idle")
        UnpluggedIdle(port, id, count, result);
    else
        result.Expect(false, "unknown_op");
    return result.Text();
}

void Dispatch(const std::string &line)
{
    std::istringstream in(line);
    std::string verb, id, port, op;
    DWORD count = 0;
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
