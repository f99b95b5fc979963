// Long Sends through the real window, with a pseudo-terminal whose far end
// stops reading or reads a little now and then: the window stays alive, and
// what the user is told and what the text box keeps match what the far end
// got, byte for byte. A far end that stops the line (its output stopped,
// as flow control would) stands for a device that stops taking bytes: a
// pseudo-terminal's own buffer would take far more than the line's rate
// lets a test send in reasonable time.
#include "native.h"
#include "support/portfd.h"
#include "support/qt/formonpty.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>

#include <termios.h>
#include <unistd.h>

using namespace comsend;

namespace {

// Long enough for the progress box and for the line to be stopped part-way.
constexpr int kLongText = 5000;
constexpr qsizetype kStopAfter = 1000;

// A text in which a byte sent twice or lost would show.
QString LongText(int length)
{
    QString text;
    for (int i = 0; text.size() < length; ++i)
        text += QString::number(i) + ' ';
    return text.left(length);
}

QByteArray Received(PtyPair &pty, std::size_t expected = 0)
{
    const auto bytes = pty.Drain(expected, 300);
    return {reinterpret_cast<const char *>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

// A click on the Cancel of the progress box that is up.
void ClickCancel()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && qobject_cast<QDialog *>(widget) != nullptr)
            QTest::mouseClick(widget->findChild<QAbstractButton *>(), Qt::LeftButton);
    }
}

// The count in "N of M bytes were sent.", or -1.
int SentCount(const QString &message, int total)
{
    const QRegularExpression count(QStringLiteral("\\n([\\d,]+) of %1 bytes were sent\\.$")
                                       .arg(QLocale(QLocale::English).toString(total)));
    const auto match = count.match(message);
    return match.hasMatch() ? match.captured(1).remove(',').toInt() : -1;
}

} // namespace

class LongSendTest : public FormOnPtyTest {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void stallThenRetrySendsEveryByteOnce();
    void cancelPartWay();

private:
    ProgramRuntime runtime_{"tst_longsend"};
};

void LongSendTest::initTestCase()
{
    Application->Initialize();
}

void LongSendTest::init()
{
    QVERIFY(StartForm());
    Connect();
}

void LongSendTest::cleanup()
{
    EndForm();
}

// The line stops part-way until the Send has failed, then moves again: the
// far end has exactly what the box says went out, the text box holds
// exactly the rest, and the retry completes the text.
void LongSendTest::stallThenRetrySendsEveryByteOnce()
{
    const QString text = LongText(kLongText);
    const int port = DescriptorOpenOn(pty_->SlavePath());
    QByteArray received;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, [&] {
        if (received.size() < kStopAfter && (received += Received(*pty_, 1)).size() >= kStopAfter)
            ::tcflow(port, TCOOFF);
    });
    watcher.start(100);
    QString progressShown;
    form_->Edit1->SetText(AnsiString(text.toStdString()));
    const auto answer = [&](ShownBox kind, const std::string &shown) {
        if (kind == ShownBox::Progress)
            progressShown = QString::fromStdString(shown);
        return kind == ShownBox::Message;
    };
    const std::vector<std::string> boxes = ScriptBoxes([&] { ui_->Click(*form_->BitBtn3); }, answer);
    QCOMPARE(boxes.size(), std::size_t(1));
    const QString failed = QString::fromStdString(boxes[0]);
    QVERIFY2(failed.startsWith("Send Fail!\nThe device stopped taking bytes.\n"), qPrintable(failed));
    const int sent = SentCount(failed, kLongText);
    QVERIFY2(sent > 0 && sent < kLongText, qPrintable(failed));
    QVERIFY2(progressShown.startsWith("Sending: "), qPrintable(progressShown));
    QCOMPARE(Text(*form_->Edit1), text.mid(sent));
    // The label shows the start of a long text; screen readers get all of it.
    QCOMPARE(WidgetOf(*form_->Label3)->accessibleName(), text);
    const QString shown = Text(*form_->Label3);
    QVERIFY(shown.size() < 1100 && text.startsWith(shown.chopped(1)));
    QCOMPARE(received + Received(*pty_, static_cast<std::size_t>(sent - received.size() + 1)),
             text.left(sent).toLatin1());

    QByteArray retried;
    QSocketNotifier reader(pty_->Master(), QSocketNotifier::Read);
    connect(&reader, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t got = ::read(pty_->Master(), buffer, sizeof buffer);
        if (got > 0)
            retried.append(buffer, got);
    });
    ui_->Focus(*form_->Edit1);
    QCOMPARE(BoxTexts([&] { ui_->Press(Key::Enter); }), QStringList());
    reader.setEnabled(false);
    retried += Received(*pty_);
    QCOMPARE(retried, text.mid(sent).toLatin1());
    QCOMPARE(Text(*form_->Edit1), QString());
}

// Cancel in the progress box ends the Send at once, with the same exact
// account; meanwhile the form takes no input. The far end reads a little
// now and then, so that only Cancel ends the Send.
void LongSendTest::cancelPartWay()
{
    const QString text = LongText(kLongText);
    QByteArray received;
    QTimer reader;
    connect(&reader, &QTimer::timeout, [&] { received += Received(*pty_, 1024); });
    reader.start(500);
    bool cancelled = false;
    bool disconnectRan = false;
    form_->Edit1->SetText(AnsiString(text.toStdString()));
    const std::vector<std::string> boxes =
        ScriptBoxes([&] { ui_->Click(*form_->BitBtn3); },
                    [&](ShownBox kind, const std::string &) {
                        if (kind == ShownBox::Progress && !cancelled && !received.isEmpty()) {
                            cancelled = true;
                            ui_->Click(*form_->BitBtn2); // swallowed: the box is modal
                            disconnectRan = ui_->States() != kConnected;
                            ClickCancel();
                        }
                        return kind == ShownBox::Message;
                    });
    reader.stop();
    QVERIFY(!disconnectRan);
    QCOMPARE(boxes.size(), std::size_t(1));
    const QString ended = QString::fromStdString(boxes[0]);
    QVERIFY2(ended.startsWith("Send cancelled.\n"), qPrintable(ended));
    const int sent = SentCount(ended, kLongText);
    QVERIFY2(sent > 0 && sent < kLongText, qPrintable(ended));
    QCOMPARE(Text(*form_->Edit1), text.mid(sent));
    received += Received(*pty_, static_cast<std::size_t>(sent - received.size() + 1));
    QCOMPARE(received, text.left(sent).toLatin1());
    QVERIFY(ui_->BoxUp().empty());
    QCOMPARE(ui_->States(), kConnected);
}

QTEST_MAIN(LongSendTest)
#include "tst_longsend.moc"
