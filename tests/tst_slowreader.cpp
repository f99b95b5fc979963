// Far ends that read at their own pace, on pseudo-terminals (virtual
// cables, emulators, network serial bridges): one that keeps reading never
// fails a Send, however slowly it reads, although a pseudo-terminal says it
// holds nothing while it offers no room for seconds on end; one that has
// stopped fails it, with an exact account. The lines run side by side.
#include "serial/portsend.h"
#include "support/ptypair.h"
#include "support/sendrecord.h"

#include "platform/kernel.h"

#include <QTest>

#include <chrono>
#include <thread>
#include <unistd.h>

using namespace comsend;

namespace {

using Clock = std::chrono::steady_clock;

struct Line {
    int bytesPerSecond; // 0: the far end has stopped
    DWORD count;        // more than a pseudo-terminal holds for its reader
    std::vector<char> text{};
    std::vector<char> received{};
    DWORD sent = 0;
    DWORD sentAtMost = 0;
    DWORD error = 0;
    double seconds = 0;
};

std::vector<char> Text(DWORD count)
{
    std::vector<char> text(count);
    for (DWORD i = 0; i < count; ++i)
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
    const HANDLE port = OpenSerialPort(pty.SlavePath().c_str());
    if (port != INVALID_HANDLE_VALUE && SetPortState(port, SendRecord()).error == 0) {
        const serial::Waker waker;
        const auto start = Clock::now();
        const SendAccount account = SendToPort(port, line.text, {}, waker);
        line.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        line.sent = account.atLeast;
        line.sentAtMost = account.atMost;
        line.error = account.error;
        ClosePort(port);
    }
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
            QCOMPARE(line.error, DWORD{0});
            QCOMPARE(line.sent, line.count);
        } else {
            QCOMPARE(line.error, ERROR_SEND_STALLED);
            QVERIFY(line.sent > 0 && line.sent < line.count);
        }
    }
}

QTEST_GUILESS_MAIN(SlowReaderTest)
#include "tst_slowreader.moc"
