// Send through the real window, with a pseudo-terminal as the port.
#include "support/modalboxes.h"
#include "support/portfd.h"
#include "support/qt/formonpty.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
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
    QString Label3Text() const { return WidgetOf(*form_->Label3)->property("text").toString(); }

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
    ModalBoxes boxes;
    ui_->TypeText(text);
    if (trigger == Trigger::Click)
        ui_->Click(form_->BitBtn3);
    else if (trigger == Trigger::EnterInTextBox)
        QTest::keyClick(ui_->TextBox(), Qt::Key_Return);
    else
        QTest::keyClick(ui_->PortBox()->lineEdit(), Qt::Key_Return);
    QCOMPARE(pty_->Drain(bytes.size() + 1), bytes);
    QCOMPARE(Label3Text(), text);
    QCOMPARE(ui_->TextBox()->text(), QString());
    QCOMPARE(boxes.Texts(), QStringList());
    QCOMPARE(ui_->States(), kConnected);
}

void SendTest::emptyTextDoesNothing()
{
    Connect();
    ModalBoxes boxes;
    ui_->TypeText("abc");
    ui_->Click(form_->BitBtn3);
    QCOMPARE(pty_->Drain(3), (Bytes{0x61, 0x62, 0x63}));
    const termios before = pty_->Settings();
    pty_->SetSlaveSettings(ForeignSettings(before));
    ui_->Click(form_->BitBtn3);
    QTest::keyClick(ui_->TextBox(), Qt::Key_Return);
    QCOMPARE(pty_->Drain(), Bytes{});
    QCOMPARE(Label3Text(), QStringLiteral("abc"));
    const termios after = pty_->Settings();
    QCOMPARE(cfgetospeed(&after), speed_t(B1200)); // no settings either
    QCOMPARE(boxes.Texts(), QStringList());
}

void SendTest::replacesForeignSettingsOnEverySend()
{
    pty_->SetSlaveSettings(ForeignSettings(pty_->Settings()));
    Connect();
    for (int send = 0; send < 2; ++send) {
        const termios foreign = pty_->Settings();
        QCOMPARE(cfgetospeed(&foreign), speed_t(B1200));
        ui_->TypeText("x");
        ui_->Click(form_->BitBtn3);
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
    ModalBoxes boxes;
    ui_->TypeText("keep me");
    ui_->Click(form_->BitBtn3);
    const QString gone = QStringLiteral(
        "Send Fail!\nThe device does not answer: it may have been unplugged.\n0 of 7 bytes were sent.");
    QCOMPARE(boxes.Texts(), QStringList{gone});
    QCOMPARE(ui_->TextBox()->text(), QStringLiteral("keep me"));
    QCOMPARE(Label3Text(), QStringLiteral("keep me"));
    ui_->Click(form_->BitBtn2);
    QCOMPARE(boxes.Texts(), (QStringList{gone, "Disconnect!"}));
    QCOMPARE(ui_->States(), kNotConnected);
}

// A text with a NUL has no NUL-terminated form: nothing of it is sent.
void SendTest::unrepresentableText()
{
    Connect();
    ModalBoxes boxes;
    const QString text = QStringLiteral("ab") + QChar(u'\0') + QStringLiteral("cd");
    ui_->TextBox()->setText(text);
    ui_->Click(form_->BitBtn3);
    QCOMPARE(boxes.Texts(),
             QStringList{"Send Fail!\nThe text has a character that the system's encoding cannot carry.\n"
                         "No byte was sent."});
    QCOMPARE(pty_->Drain(), Bytes{});
    QCOMPARE(ui_->TextBox()->text(), text);
    QCOMPARE(Label3Text(), text);
}

QTEST_MAIN(SendTest)
#include "tst_send.moc"
