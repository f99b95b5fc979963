// Send through the real window, with a pseudo-terminal as the port.
#include "support/portfd.h"
#include "support/qt/formonpty.h"

#include <QTest>

#include <memory>

using namespace comsend;

using Bytes = std::vector<unsigned char>;
Q_DECLARE_METATYPE(Bytes)

namespace {

enum class Trigger { Click, EnterInTextBox, EnterInPortBox };

termios ForeignSettings(termios tio)
{
    // What another program might leave behind: 1200 baud, 7 bits, even
    // parity, two stop bits, both kinds of flow control, output processing.
    // (A pseudo-terminal itself always keeps 8 bits without parity.)
    cfsetispeed(&tio, B1200);
    cfsetospeed(&tio, B1200);
    tio.c_cflag = (tio.c_cflag & ~(CSIZE | CLOCAL)) | CS7 | PARENB | CSTOPB | CRTSCTS;
    tio.c_iflag |= IXON | IXOFF | ICRNL | INPCK;
    tio.c_oflag |= OPOST | ONLCR;
    tio.c_lflag |= ICANON | ECHO | ISIG;
    return tio;
}

} // namespace

class SendTest : public FormOnPtyTest {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sendsExactBytes_data();
    void sendsExactBytes();
    void emptyTextDoesNothing();
    void replacesForeignSettingsOnEverySend();
    void farEndGone();
    void unrepresentableText();

private:
    ProgramRuntime runtime_{"tst_send"};
};

void SendTest::initTestCase()
{
    Application->Initialize();
}

void SendTest::init()
{
    QVERIFY(StartForm());
}

void SendTest::cleanup()
{
    EndForm();
}

void SendTest::sendsExactBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Trigger>("trigger");
    QTest::addColumn<Bytes>("bytes");
    QTest::newRow("abc by click") << "abc" << Trigger::Click << Bytes{0x61, 0x62, 0x63};
    QTest::newRow("abc by Enter in the text box")
        << "abc" << Trigger::EnterInTextBox << Bytes{0x61, 0x62, 0x63};
    QTest::newRow("abc by Enter in the port box")
        << "abc" << Trigger::EnterInPortBox << Bytes{0x61, 0x62, 0x63};
    QTest::newRow("one space") << " " << Trigger::Click << Bytes{0x20};
    QTest::newRow("chinese in utf-8")
        << "中文" << Trigger::EnterInTextBox << Bytes{0xe4, 0xb8, 0xad, 0xe6, 0x96, 0x87};
    QTest::newRow("mixed") << "Hi 傳送" << Trigger::Click
                           << Bytes{0x48, 0x69, 0x20, 0xe5, 0x82, 0xb3, 0xe9, 0x80, 0x81};
}

void SendTest::sendsExactBytes()
{
    QFETCH(QString, text);
    QFETCH(Trigger, trigger);
    QFETCH(Bytes, bytes);
    Connect();
    ui_->Type(*form_->Edit1, text.toStdString());
    if (trigger == Trigger::EnterInPortBox)
        ui_->Focus(*form_->ComboBox1);
    const auto send = [&] {
        if (trigger == Trigger::Click)
            ui_->Click(*form_->BitBtn3);
        else
            ui_->Press(Key::Enter);
    };
    QCOMPARE(BoxTexts(send), QStringList());
    QCOMPARE(pty_->Drain(bytes.size() + 1), bytes);
    QCOMPARE(Text(*form_->Label3), text);
    QCOMPARE(Text(*form_->Edit1), QString());
    QCOMPARE(ui_->States(), kConnected);
}

void SendTest::emptyTextDoesNothing()
{
    Connect();
    QCOMPARE(BoxTexts([&] {
                 ui_->Type(*form_->Edit1, "abc");
                 ui_->Click(*form_->BitBtn3);
                 QCOMPARE(pty_->Drain(3), (Bytes{0x61, 0x62, 0x63}));
                 pty_->SetSlaveSettings(ForeignSettings(pty_->Settings()));
                 ui_->Click(*form_->BitBtn3);
                 ui_->Focus(*form_->Edit1);
                 ui_->Press(Key::Enter);
             }),
             QStringList());
    QCOMPARE(pty_->Drain(), Bytes{});
    QCOMPARE(Text(*form_->Label3), QStringLiteral("abc"));
    const termios after = pty_->Settings();
    QCOMPARE(cfgetospeed(&after), speed_t(B1200)); // no settings either
}

void SendTest::replacesForeignSettingsOnEverySend()
{
    pty_->SetSlaveSettings(ForeignSettings(pty_->Settings()));
    Connect();
    for (int send = 0; send < 2; ++send) {
        const termios foreign = pty_->Settings();
        QCOMPARE(cfgetospeed(&foreign), speed_t(B1200));
        ui_->Type(*form_->Edit1, "x");
        ui_->Click(*form_->BitBtn3);
        QCOMPARE(pty_->Drain(1), Bytes{'x'});
        const termios tio = pty_->Settings();
        QCOMPARE(cfgetospeed(&tio), speed_t(B4800));
        QCOMPARE(cfgetispeed(&tio), speed_t(B4800));
        QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
        QCOMPARE(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
        QCOMPARE(tio.c_cflag & CLOCAL, tcflag_t(CLOCAL));
        QCOMPARE(tio.c_iflag & (IXON | IXOFF | ICRNL | INPCK), tcflag_t(0));
        QCOMPARE(tio.c_oflag & OPOST, tcflag_t(0));
        QCOMPARE(tio.c_lflag & (ICANON | ECHO | ISIG), tcflag_t(0));
        pty_->SetSlaveSettings(ForeignSettings(tio)); // another program meddles again
    }
}

void SendTest::farEndGone()
{
    Connect();
    pty_->CloseMaster();
    ui_->Type(*form_->Edit1, "keep me");
    QCOMPARE(BoxTexts([&] { ui_->Click(*form_->BitBtn3); }),
             QStringList{"Send Fail!\nThe device does not answer: it may have been unplugged.\n"
                         "0 of 7 bytes were sent."});
    QCOMPARE(Text(*form_->Edit1), QStringLiteral("keep me"));
    QCOMPARE(Text(*form_->Label3), QStringLiteral("keep me"));
    QCOMPARE(BoxTexts([&] { ui_->Click(*form_->BitBtn2); }), QStringList{"Disconnect!"});
    QCOMPARE(ui_->States(), kNotConnected);
}

// A text with a NUL has no NUL-terminated form: nothing of it is sent.
void SendTest::unrepresentableText()
{
    Connect();
    const QString text = QStringLiteral("ab") + QChar(u'\0') + QStringLiteral("cd");
    ui_->Type(*form_->Edit1, text.toStdString());
    QCOMPARE(BoxTexts([&] { ui_->Click(*form_->BitBtn3); }),
             QStringList{"Send Fail!\nThe text has a character that the system's encoding cannot carry.\n"
                         "No byte was sent."});
    QCOMPARE(pty_->Drain(), Bytes{});
    QCOMPARE(Text(*form_->Edit1), text);
    QCOMPARE(Text(*form_->Label3), text);
}

QTEST_MAIN(SendTest)
#include "tst_send.moc"
