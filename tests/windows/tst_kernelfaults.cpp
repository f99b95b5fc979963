// The form against a serial driver that fails as real drivers do and wine's
// never do (fakeserial.h): a removed adapter, timeouts, aborts, a hold that
// is not kept, a slow open, a port of another file type. What the user is
// told, and what the text box keeps, is checked against what the driver
// knows really left the line.
#include "fakeserial.h"
#include "support/formprobe.h"

#include "textcodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <regex>

using namespace comsend;

namespace {

const std::string kGone = "The device does not answer: it may have been unplugged.";
constexpr DWORD kStepOfLine = 24; // what 4800 8N1 carries in 50 ms

// Numbers, 4 bytes each, in which a byte repeated or skipped shows: 120 of
// them are a second of the line.
std::string Numbered(int count = 120)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += std::to_string(1000 + i).substr(1) + ",";
    return text;
}

// The thread's progress box, if one is up.
HWND ProgressBox()
{
    HWND box = ::FindWindowW(L"comsendProgressBox", nullptr);
    const bool ours = box != nullptr && ::GetWindowThreadProcessId(box, nullptr) == ::GetCurrentThreadId();
    return ours && ::IsWindowVisible(box) ? box : nullptr;
}

// A timer the window loop runs while the watch lives: it keeps each text
// the progress box shows and calls `tick` with the box (null while none).
class BoxWatch {
public:
    explicit BoxWatch(std::function<void(HWND)> tick = {}) : tick_(std::move(tick))
    {
        watching = this;
        timer_ = ::SetTimer(nullptr, 0, 20, Tick);
    }
    ~BoxWatch()
    {
        ::KillTimer(nullptr, timer_);
        watching = nullptr;
    }
    std::vector<std::string> texts;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND box = ProgressBox();
        const std::string text =
            box != nullptr ? Utf8FromWide(WindowText(::FindWindowExW(box, nullptr, L"STATIC", nullptr))) : "";
        if (box != nullptr && (watching->texts.empty() || watching->texts.back() != text))
            watching->texts.push_back(text);
        if (watching->tick_)
            watching->tick_(box);
    }

    static inline BoxWatch *watching = nullptr;
    std::function<void(HWND)> tick_;
    UINT_PTR timer_;
};

class KernelFaults : public testing::Test {
protected:
    void SetUp() override
    {
        form_ = std::make_unique<TForm1>(Application);
        ui_ = std::make_unique<FormProbe>(*form_);
        ui_->ShowAndActivate();
    }

    std::vector<std::string> Click(const TBitBtn &button)
    {
        return AnswerBoxes([&] { ui_->Click(button); }).texts;
    }
    std::vector<std::string> Connect()
    {
        ui_->Type(*form_->ComboBox1, "COM7");
        return Click(*form_->BitBtn1);
    }
    // Connects, sends the text and disconnects; the box the Send brought up.
    std::string Send(const std::string &text)
    {
        EXPECT_EQ(Connect(), std::vector<std::string>{"Connect Success!"});
        ui_->Type(*form_->Edit1, text);
        const std::vector<std::string> boxes = Click(*form_->BitBtn3);
        EXPECT_EQ(Click(*form_->BitBtn2), std::vector<std::string>{"Disconnect!"});
        EXPECT_LE(boxes.size(), 1U);
        return boxes.empty() ? "" : boxes[0];
    }

    // The account a failed Send gave holds what really left, and the text
    // box keeps everything from the first byte not known to have left. No
    // byte reached the driver twice.
    void ExpectTruthfulAccount(const std::string &message, const std::string &text, const FakeSerial &port)
    {
        SCOPED_TRACE(message);
        EXPECT_EQ(port.taken, text.substr(0, port.taken.size()));
        EXPECT_EQ(port.left, text.substr(0, port.left.size()));
        std::smatch m;
        const std::regex range(R"(\n(?:Between (\d+) and )?(\d+) of (\d+) bytes (?:was|were) sent\.)");
        ASSERT_TRUE(std::regex_search(message, m, range));
        const std::size_t upper = std::stoul(m[2]);
        const std::size_t lower = m[1].matched ? std::stoul(m[1]) : upper;
        EXPECT_EQ(std::stoul(m[3]), text.size());
        EXPECT_LE(lower, port.left.size());
        EXPECT_GE(upper, port.left.size());
        EXPECT_EQ(ui_->Text(*form_->Edit1), text.substr(lower));
    }

    std::unique_ptr<TForm1> form_;
    std::unique_ptr<FormProbe> ui_;
};

// The adapter is pulled while its driver still holds bytes, or while they
// are being handed over; a write aborted by the removal is a failure too.
TEST_F(KernelFaults, ARemovedAdapterFailsTheSendWithATruthfulAccount)
{
    const std::string text = Numbered();
    for (const DWORD code : {ERROR_GEN_FAILURE, ERROR_ACCESS_DENIED, ERROR_DEVICE_REMOVED, ERROR_BAD_COMMAND,
                             ERROR_DEVICE_NOT_CONNECTED, ERROR_OPERATION_ABORTED}) {
        for (const Call call : {Call::QueueQuery, Call::Write}) {
            if (call == Call::QueueQuery && code == ERROR_OPERATION_ABORTED)
                continue; // only a write is aborted
            SCOPED_TRACE(testing::Message() << "error " << code << (call == Call::Write ? " writing" : ""));
            FakeSerial port;
            port.fault = Fault{call, code, call == Call::Write ? 200 : text.size()};
            const std::string message = Send(text);
            // Where the status query still answers, an abort is the driver's
            // own, not an unplug.
            const std::string reason =
                code == ERROR_OPERATION_ABORTED ? "The port's driver broke off the send." : kGone;
            EXPECT_EQ(message.rfind("Send Fail!\n" + reason + "\n", 0), 0U) << message;
            EXPECT_LT(port.left.size(), text.size());
            ExpectTruthfulAccount(message, text, port);
        }
    }
}

TEST_F(KernelFaults, ConnectFailuresReadAsTheirCause)
{
    {
        FakeSerial port;
        port.fault = Fault{Call::Open, ERROR_ACCESS_DENIED};
        EXPECT_EQ(Connect(), std::vector<std::string>{"Connect Fail!\nAnother program is using the port."});
    }
    // A Bluetooth port whose device is off: while it waits, the window loop
    // runs the watch's timer, which finds a box that names the port.
    FakeSerial port;
    port.fault = Fault{Call::Open, ERROR_SEM_TIMEOUT};
    port.openTime = std::chrono::seconds(3);
    BoxWatch watch;
    EXPECT_EQ(Connect(), std::vector<std::string>{"Connect Fail!\nThe device does not answer: a Bluetooth "
                                                  "device may be off or out of range."});
    EXPECT_EQ(watch.texts, std::vector<std::string>{"Connecting to COM7..."});
    EXPECT_EQ(ProgressBox(), nullptr);
    EXPECT_EQ(ui_->States(), kNotConnected);
}

// Some drivers report 0 for a write they had partly sent.
TEST_F(KernelFaults, AWriteThatTimesOutIsNeverRepeated)
{
    const std::string text = Numbered();
    for (const DWORD code : {ERROR_SEM_TIMEOUT, ERROR_TIMEOUT}) {
        SCOPED_TRACE(code);
        FakeSerial port;
        port.fault = Fault{Call::Write, code, 200, false};
        const std::string message = Send(text);
        EXPECT_EQ(message.rfind("Send Fail!\nThe device stopped taking bytes.\n", 0), 0U) << message;
        ExpectTruthfulAccount(message, text, port);
    }
}

// Each write is held up for the line time of what it was offered.
TEST_F(KernelFaults, AWriteThatIgnoresItsTimeoutHoldsTheWindowOneStep)
{
    const std::string text = Numbered();
    FakeSerial port;
    port.ignoresWriteTimeout = true;
    BoxWatch watch;
    EXPECT_EQ(Send(text), "");
    EXPECT_EQ(port.left, text);
    EXPECT_EQ(port.taken, text);
    EXPECT_TRUE(
        std::all_of(port.offered.begin(), port.offered.end(), [](DWORD n) { return n <= kStepOfLine; }));
    EXPECT_EQ(ui_->Text(*form_->Edit1), "");
    ASSERT_FALSE(watch.texts.empty());
    EXPECT_EQ(watch.texts[0].rfind("Sending: ", 0), 0U);
}

// Cancel as soon as the progress box is up, a quarter of the way: where
// the hold is kept, the count is exact; where the line runs on regardless,
// it is a range.
TEST_F(KernelFaults, CancelIsExactOnlyWhereTheHoldIsKept)
{
    const std::string text = Numbered(240);
    for (const bool honoursHold : {true, false}) {
        SCOPED_TRACE(honoursHold ? "hold kept" : "hold ignored");
        FakeSerial port;
        port.honoursHold = honoursHold;
        BoxWatch watch([&](HWND box) {
            if (box != nullptr)
                ::SendMessageW(::GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
        });
        const std::string message = Send(text);
        const std::size_t left = port.left.size();
        ASSERT_LT(left, text.size());
        if (honoursHold)
            EXPECT_EQ(message, "Send cancelled.\n" + std::to_string(left) + " of 960 bytes were sent.");
        else
            EXPECT_EQ(message.rfind("Send cancelled.\nBetween ", 0), 0U) << message;
        ExpectTruthfulAccount(message, text, port);
    }
}

// A port is what takes line settings, whatever its file type; the fake's
// handles are no kernel objects, so the system knows no file type for them.
TEST_F(KernelFaults, APortIsWhatTakesLineSettings)
{
    {
        FakeSerial port;
        EXPECT_EQ(Connect(), std::vector<std::string>{"Connect Success!"});
        EXPECT_NE(::GetFileType(port.lastHandle), static_cast<DWORD>(FILE_TYPE_CHAR));
        EXPECT_EQ(Click(*form_->BitBtn2), std::vector<std::string>{"Disconnect!"});
    }
    FakeSerial port;
    port.fault = Fault{Call::GetCommState, ERROR_INVALID_FUNCTION};
    EXPECT_EQ(Connect(), std::vector<std::string>{"Connect Fail!\nThis is not a serial port."});
    EXPECT_EQ(port.closes, 1);
    EXPECT_EQ(ui_->States(), kNotConnected);
}

} // namespace
