// Far ends that read at their own pace, on pseudo-terminals (virtual
// cables, emulators, network serial bridges): one that keeps reading never
// fails a Send, however slowly it reads, although a pseudo-terminal says it
// holds nothing while it offers no room for seconds on end; one that has
// stopped fails it, with an exact account. The lines run side by side, each
// a raw 4800-baud pseudo-terminal under the long write, as Send leaves it.
#include "portio_posix.h"
#include "support/ptypair.h"

#include "platform/errorcodes.h"

#include <QTest>

#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace comsend;

namespace {

using Clock = std::chrono::steady_clock;

struct Line {
    int bytesPerSecond;  // 0: the far end has stopped
    std::uint32_t count; // more than a pseudo-terminal holds for its reader
    std::vector<char> text{};
    std::vector<char> received{};
    std::uint32_t sent = 0;
    std::uint32_t sentAtMost = 0;
    std::uint32_t error = 0;
    double seconds = 0;
};

std::vector<char> Text(std::uint32_t count)
{
    std::vector<char> text(count);
    for (std::uint32_t i = 0; i < count; ++i)
        text[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
    return text;
}

// Reads at the line's pace, a little every 10 ms, until told to stop.
void Read(PtyPair &pty, Line &line, const bool &done)
{
    const auto start = Clock::now();
    while (!done) {
        const auto due = static_cast<std::size_t>(std::chrono::duration<double>(Clock::now() - start).count()
                                                  * line.bytesPerSecond);
        if (due > line.received.size()) {
            std::vector<char> chunk(due - line.received.size());
            const ssize_t got = ::read(pty.Master(), chunk.data(), chunk.size());
            if (got > 0)
                line.received.insert(line.received.end(), chunk.begin(), chunk.begin() + got);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void Send(Line &line)
{
    PtyPair pty;
    bool done = false;
    std::thread reader([&] { Read(pty, line, done); });
    const int fd = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios raw{};
    if (fd >= 0 && ::tcgetattr(fd, &raw) == 0) {
        ::cfmakeraw(&raw);
        ::cfsetspeed(&raw, B4800);
        ::tcsetattr(fd, TCSANOW, &raw);
        const serial::Waker waker;
        serial::PosixPortIo io(fd, waker, serial::kPseudoTerminal);
        const serial::SteadyTime time;
        const auto start = Clock::now();
        const SendAccount account = serial::LongWrite(io, time, line.text, {});
        line.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        line.sent = account.atLeast;
        line.sentAtMost = account.atMost;
        line.error = account.error;
    }
    if (fd >= 0)
        ::close(fd);
    done = true;
    reader.join();
    for (const unsigned char byte : pty.Drain())
        line.received.push_back(static_cast<char>(byte));
}

} // namespace

class SlowReaderTest : public QObject {
    Q_OBJECT

private slots:
    void farEndsAtTheirOwnPace();
};

void SlowReaderTest::farEndsAtTheirOwnPace()
{
    Line lines[] = {{.bytesPerSecond = 480, .count = 26000},
                    {.bytesPerSecond = 100, .count = 22000},
                    {.bytesPerSecond = 0, .count = 30000}};
    std::vector<std::thread> senders;
    for (Line &line : lines) {
        line.text = Text(line.count);
        senders.emplace_back([&line] { Send(line); });
    }
    for (std::thread &sender : senders)
        sender.join();
    for (const Line &line : lines) {
        qInfo("%d bytes a second: error %u, %u to %u of %u bytes sent, %zu received, in %.1f s",
              line.bytesPerSecond, line.error, line.sent, line.sentAtMost, line.count, line.received.size(),
              line.seconds);
        const std::vector<char> expected(line.text.begin(), line.text.begin() + line.sent);
        QCOMPARE(line.sentAtMost, line.sent);
        QCOMPARE(line.received, expected);
        if (line.bytesPerSecond > 0) {
            QCOMPARE(line.error, std::uint32_t{0});
            QCOMPARE(line.sent, line.count);
        } else {
            QCOMPARE(line.error, serial::kSendStalled);
            QVERIFY(line.sent > 0 && line.sent < line.count);
        }
    }
}

QTEST_GUILESS_MAIN(SlowReaderTest)
#include "tst_slowreader.moc"
