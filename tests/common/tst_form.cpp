// The main window through its real controls and real message boxes, on
// whichever window backend the program is built with. What the window must
// look like is read from the form's own description.
#include "support/formprobe.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

using namespace comsend;

namespace {

Rect Described(const TControlDescription &d)
{
    return {d.Left, d.Top, d.Width, d.Height};
}

class FormTest : public testing::Test {
protected:
    void SetUp() override
    {
        form_ = std::make_unique<TForm1>(Application);
        ui_ = std::make_unique<FormProbe>(*form_);
        ui_->ShowAndActivate();
    }
    void TearDown() override
    {
        ui_.reset();
        form_.reset();
    }

    std::vector<const TControl *> Controls() const
    {
        return {form_->Label1, form_->ComboBox1, form_->BitBtn1, form_->BitBtn2, form_->Edit1,
                form_->Label2, form_->BitBtn3,   form_->Memo1,   form_->Label3};
    }

    std::string FocusedName() const
    {
        const TControl *focused = ui_->Focused();
        return focused != nullptr ? focused->Description().Name : "(none)";
    }

    std::vector<std::string> Connect(const std::string &port)
    {
        ui_->Type(*form_->ComboBox1, port);
        return AnswerBoxes([&] { ui_->Click(*form_->BitBtn1); }).texts;
    }

    std::unique_ptr<TForm1> form_;
    std::unique_ptr<FormProbe> ui_;
};

TEST_F(FormTest, StartsAsDescribed)
{
    EXPECT_EQ(ui_->WindowCaption(), TFORM1.Caption);
    EXPECT_EQ(ui_->WindowRect(), (Rect{TFORM1.Left, TFORM1.Top, TFORM1.Width, TFORM1.Height}));
    for (const TControl *control : Controls()) {
        const TControlDescription &d = control->Description();
        SCOPED_TRACE(d.Name);
        EXPECT_EQ(ui_->Text(*control), d.Text);
        const Rect at = ui_->ControlRect(*control);
        if (d.AutoSize) {
            const Rect needed = ui_->TextExtent(*control);
            EXPECT_EQ(at, (Rect{d.Left, d.Top, needed.width, needed.height}));
        } else {
            EXPECT_EQ(at, Described(d));
        }
    }
    const auto *ports = form_->ComboBox1;
    EXPECT_EQ(ui_->Items(*ports),
              std::vector<std::string>(ports->Description().Items.begin(), ports->Description().Items.end()));
    EXPECT_TRUE(ui_->Editable(*ports));
    EXPECT_EQ(ui_->States(), kInitial);
    EXPECT_EQ(FocusedName(), "ComboBox1");
}

TEST_F(FormTest, TabSkipsDisabledButtons)
{
    const auto visit = [&] {
        ui_->Focus(*form_->ComboBox1);
        std::vector<std::string> visited;
        for (int i = 0; i < 5; ++i) {
            ui_->Press(Key::Tab);
            visited.push_back(FocusedName());
        }
        return visited;
    };
    EXPECT_EQ(visit(), (std::vector<std::string>{"BitBtn1", "BitBtn2", "Edit1", "Memo1", "ComboBox1"}));
    TestPort port;
    EXPECT_EQ(Connect(port.Name()), std::vector<std::string>{"Connect Success!"});
    ui_->ShowAndActivate();
    EXPECT_EQ(visit(), (std::vector<std::string>{"BitBtn2", "Edit1", "BitBtn3", "Memo1", "ComboBox1"}));
}

// The buttons change only once the box is dismissed.
TEST_F(FormTest, ConnectAndDisconnect)
{
    TestPort port;
    ui_->Type(*form_->ComboBox1, port.Name());
    std::vector<ButtonStates> whileUp;
    const AnsweredBoxes boxes = AnswerBoxes(
        [&] {
            ui_->Click(*form_->BitBtn1);
            EXPECT_EQ(ui_->States(), kConnected);
            ui_->Click(*form_->BitBtn2);
            EXPECT_EQ(ui_->States(), kNotConnected);
            ui_->Click(*form_->BitBtn1); // the port was given back, so it opens again
        },
        [&] { whileUp.push_back(ui_->States()); });
    EXPECT_EQ(ui_->States(), kConnected);
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{"Connect Success!", "Disconnect!", "Connect Success!"}));
    EXPECT_EQ(whileUp, (std::vector<ButtonStates>{kInitial, kConnected, kNotConnected}));
    EXPECT_EQ(boxes.withOtherButtons, 0);
}

TEST_F(FormTest, DisconnectBeforeConnectDoesNothing)
{
    EXPECT_TRUE(AnswerBoxes([&] { ui_->Click(*form_->BitBtn2); }).texts.empty());
    EXPECT_EQ(ui_->States(), kInitial);
}

TEST_F(FormTest, ConnectFailsOnNoSuchPortAndTheListNeverGrows)
{
    const std::vector<std::string> listed = ui_->Items(*form_->ComboBox1);
    for (const std::string name : {"ttyUSB7", "COM3", ""}) {
        ui_->Type(*form_->ComboBox1, name);
        EXPECT_TRUE(AnswerBoxes([&] { ui_->Press(Key::Enter); }).texts.empty()); // Send is disabled
        EXPECT_EQ(ui_->Text(*form_->ComboBox1), name);
    }
    // Which ports there are is the machine's own.
    const std::vector<std::string> texts = Connect(TestPort::Missing());
    ASSERT_EQ(texts.size(), 1U);
    EXPECT_TRUE(
        std::regex_match(texts[0], std::regex("Connect Fail!\nThere is no such port\\.\n"
                                              "(Ports on this computer: [^\n]+\\.|No serial port is on "
                                              "this computer\\.)")))
        << texts[0];
    EXPECT_EQ(ui_->States(), kNotConnected);
    EXPECT_EQ(ui_->Items(*form_->ComboBox1), listed);
}

TEST_F(FormTest, EnterOnAFocusedButtonPressesThatButton)
{
    TestPort port;
    ui_->Type(*form_->ComboBox1, port.Name());
    const AnsweredBoxes boxes = AnswerBoxes([&] {
        ui_->Focus(*form_->BitBtn1);
        ui_->Press(Key::Enter);
        ui_->Focus(*form_->BitBtn2);
        ui_->Press(Key::Enter);
    });
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{"Connect Success!", "Disconnect!"}));
    EXPECT_EQ(ui_->States(), kNotConnected);
}

TEST_F(FormTest, EnterInTheTextBoxSendsOnlyWhileSendIsEnabled)
{
    ui_->Type(*form_->Edit1, "abc");
    EXPECT_TRUE(AnswerBoxes([&] { ui_->Press(Key::Enter); }).texts.empty());
    EXPECT_EQ(ui_->Text(*form_->Edit1), "abc");
    EXPECT_EQ(ui_->Text(*form_->Label3), "Label3");

    TestPort port;
    EXPECT_EQ(Connect(port.Name()), std::vector<std::string>{"Connect Success!"});
    ui_->Focus(*form_->Edit1);
    EXPECT_TRUE(AnswerBoxes([&] { ui_->Press(Key::Enter); }).texts.empty());
    EXPECT_EQ(ui_->Text(*form_->Edit1), "");
    EXPECT_EQ(ui_->Text(*form_->Label3), "abc");
    const Rect label = ui_->ControlRect(*form_->Label3);
    EXPECT_EQ(label.width, ui_->TextExtent(*form_->Label3).width);
}

// Up and Down step through the texts Send took up, newest first, the text
// being typed below them; an edited text stays as the one typed.
TEST_F(FormTest, UpAndDownRecallTheTextsSent)
{
    TestPort port;
    EXPECT_EQ(Connect(port.Name()), std::vector<std::string>{"Connect Success!"});
    const auto shown = [&](Key key) {
        ui_->Press(key);
        return ui_->Text(*form_->Edit1);
    };
    ui_->Type(*form_->Edit1, "typed");
    EXPECT_EQ(shown(Key::Up), "typed"); // nothing sent yet
    for (const char *text : {"one", "two", "two"}) {
        ui_->Type(*form_->Edit1, text);
        ui_->Press(Key::Enter);
    }
    ui_->Type(*form_->Edit1, "draft");
    EXPECT_EQ(shown(Key::Up), "two");
    EXPECT_EQ(shown(Key::Up), "one");
    EXPECT_EQ(shown(Key::Up), "one");
    EXPECT_EQ(shown(Key::Down), "two");
    EXPECT_EQ(shown(Key::Down), "draft");
    EXPECT_EQ(shown(Key::Down), "draft");

    EXPECT_EQ(shown(Key::Up), "two");
    ui_->Type(*form_->Edit1, "two again");
    EXPECT_EQ(shown(Key::Up), "two");
    EXPECT_EQ(shown(Key::Down), "two again");
    EXPECT_EQ(shown(Key::Up), "two");
    EXPECT_EQ(shown(Key::Up), "one");
    EXPECT_TRUE(AnswerBoxes([&] { ui_->Press(Key::Enter); }).texts.empty());
    EXPECT_EQ(ui_->Text(*form_->Label3), "one");
    EXPECT_EQ(shown(Key::Up), "one");
    EXPECT_EQ(shown(Key::Up), "two");
    EXPECT_EQ(FocusedName(), "Edit1");
    EXPECT_EQ(ui_->Text(*form_->Memo1), "Memo1");
}

TEST_F(FormTest, EnterInTheMemoStartsANewLine)
{
    TestPort port;
    EXPECT_EQ(Connect(port.Name()), std::vector<std::string>{"Connect Success!"});
    ui_->Type(*form_->Edit1, "abc");
    ui_->Type(*form_->Memo1, "x");
    EXPECT_TRUE(AnswerBoxes([&] { ui_->Press(Key::Enter); }).texts.empty());
    EXPECT_EQ(ui_->Text(*form_->Memo1), "x\n");
    EXPECT_EQ(ui_->Text(*form_->Edit1), "abc"); // nothing was sent
    EXPECT_EQ(ui_->Text(*form_->Label3), "Label3");
}

TEST_F(FormTest, TheTextBoxAsksForChineseInput)
{
    EXPECT_TRUE(ui_->AsksForChineseInput(*form_->Edit1));
}

// Each handler runs to its end before another press is handled, however the
// press comes: a click, a key, or a screen reader's press, which no box's
// input filter sees. And a key held down since before a box appeared (the
// Enter that started a Send) never acts in it: only a deliberate press does.
// Meanwhile the text box takes no edit, not even through the accessibility
// interface, so that what the Send leaves in it is exactly the unsent rest;
// afterwards it takes typing again.
TEST_F(FormTest, WhileABoxIsUpOnlyADeliberatePressInItActs)
{
    TestPort port(FarEnd::Stopped);
    ui_->Type(*form_->ComboBox1, port.Name());
    // In each box: every press that must not act; then, a fifth of a second
    // later, when any of them would have acted, the box is still up and a
    // deliberate press answers it.
    std::vector<std::string> stayed;
    int ticks = 0;
    bool cancelled = false;
    const auto script = [&](ShownBox kind, const std::string &box) {
        const bool busy = kind == ShownBox::Progress;
        if (cancelled && busy)
            return false;
        if (ticks++ == 0) {
            for (const TBitBtn *button : {form_->BitBtn1, form_->BitBtn2, form_->BitBtn3})
                ui_->AccessiblePress(*button);
            ui_->Press(Key::Enter, Stroke::Repeated);
            ui_->Press(Key::Escape, Stroke::Repeated);
            ui_->AccessibleEdit(*form_->Edit1, "meanwhile");
        }
        if (ticks < 20)
            return false;
        stayed.push_back(box);
        ticks = 0;
        if (busy) {
            ui_->Press(Key::Escape);
            cancelled = true;
        }
        return true;
    };
    EXPECT_EQ(ScriptBoxes([&] { ui_->Click(*form_->BitBtn1); }, script),
              std::vector<std::string>{"Connect Success!"});
    EXPECT_EQ(ui_->States(), kConnected);

    // Longer than the far end holds, so that the Send waits in its box.
    constexpr std::size_t kLength = 30000;
    form_->Edit1->SetText(AnsiString(std::string(kLength, 'x')));
    ui_->Focus(*form_->Edit1);
    const std::vector<std::string> sent = ScriptBoxes([&] { ui_->Press(Key::Enter); }, script);
    ASSERT_EQ(stayed.size(), 3U);
    EXPECT_EQ(stayed[0], "Connect Success!");
    EXPECT_EQ(stayed[1].rfind("Sending: ", 0), 0U) << stayed[1];
    ASSERT_EQ(sent.size(), 1U);
    EXPECT_EQ(stayed[2], sent[0]);
    const std::string ending = " of 30,000 bytes were sent.";
    ASSERT_EQ(sent[0].rfind("Send cancelled.\n", 0), 0U) << sent[0];
    ASSERT_TRUE(sent[0].ends_with(ending)) << sent[0];
    std::string count = sent[0].substr(16, sent[0].size() - 16 - ending.size());
    std::erase(count, ',');
    const std::string kept = ui_->Text(*form_->Edit1);
    EXPECT_EQ(kept.size() + std::stoul(count), kLength);
    EXPECT_EQ(kept, std::string(kept.size(), 'x'));
    EXPECT_EQ(ui_->States(), kConnected);
    ui_->Type(*form_->Edit1, "typed");
    EXPECT_EQ(ui_->Text(*form_->Edit1), "typed");
}

TEST_F(FormTest, EscapeDoesNothing)
{
    const AnsweredBoxes boxes = AnswerBoxes([&] {
        for (const TControl *control :
             {static_cast<const TControl *>(form_->ComboBox1), static_cast<const TControl *>(form_->Edit1),
              static_cast<const TControl *>(form_->BitBtn2)}) {
            ui_->Focus(*control);
            ui_->Press(Key::Escape);
        }
    });
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(ui_->States(), kInitial);
    EXPECT_EQ(ui_->WindowCaption(), TFORM1.Caption);
}

} // namespace
