// Faults through the real window: names that name no terminal, and a device
// that vanishes while connected. Nothing may crash, write to a non-terminal,
// leak a descriptor or lose the typed text.
#include "native.h"
#include "support/portfd.h"
#include "support/qt/formonpty.h"

#include <QComboBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace comsend;

namespace {

enum class Name { Empty, Spaces, Long, Missing, PortNumber, Directory, Fifo, File, Held, Padded, Surrogate };

} // namespace

class FaultTest : public FormOnPtyTest {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void connectFails_data();
    void connectFails();
    void deviceVanishesWhileConnected();

private:
    ProgramRuntime runtime_{"tst_faults"};
};

void FaultTest::initTestCase()
{
    Application->Initialize();
    // The port thread, and its waker's descriptor, come with the first port
    // call and stay: the count of descriptors starts after them.
    CloseHandle(INVALID_HANDLE_VALUE);
}

void FaultTest::init()
{
    QVERIFY(StartForm());
}

void FaultTest::cleanup()
{
    EndForm();
}

void FaultTest::connectFails_data()
{
    const QString none = QStringLiteral("There is no such port.");
    const QString notPort = QStringLiteral("This is not a serial port.");
    QTest::addColumn<Name>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << Name::Empty << none;
    QTest::newRow("only spaces") << Name::Spaces << none;
    QTest::newRow("5000 characters") << Name::Long << none;
    QTest::newRow("missing path") << Name::Missing << none;
    QTest::newRow("port number the machine lacks") << Name::PortNumber << none;
    QTest::newRow("directory") << Name::Directory << notPort;
    QTest::newRow("fifo") << Name::Fifo << notPort;
    QTest::newRow("regular file") << Name::File << notPort;
    QTest::newRow("held by another opener")
        << Name::Held << QStringLiteral("Another program is using the port.");
    QTest::newRow("port with surrounding spaces") << Name::Padded << none;
    QTest::newRow("not valid in the locale's encoding")
        << Name::Surrogate
        << QStringLiteral("The port name has a character that the system's encoding cannot carry.");
}

void FaultTest::connectFails()
{
    QFETCH(Name, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString slave = QString::fromStdString(pty_->SlavePath());
    const QString file = dir.filePath("port");
    const QString fifo = dir.filePath("fifo");
    HANDLE holder = INVALID_HANDLE_VALUE;
    int fifoReader = -1;
    QString name;
    switch (kind) {
    case Name::Empty:
        break;
    case Name::Spaces:
        name = "   ";
        break;
    case Name::Long:
        name = QString(5000, u'x');
        break;
    case Name::Missing:
        name = dir.filePath("none");
        break;
    case Name::PortNumber:
        name = "COM4096";
        break;
    case Name::Directory:
        name = dir.path();
        break;
    case Name::Fifo:
        QCOMPARE(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        fifoReader = ::open(fifo.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
        name = fifo;
        break;
    case Name::File: {
        QFile created(file);
        QVERIFY(created.open(QIODevice::WriteOnly));
        name = file;
        break;
    }
    case Name::Held:
        holder = OpenPort(pty_->SlavePath());
        QVERIFY(holder != INVALID_HANDLE_VALUE);
        name = slave;
        break;
    case Name::Padded:
        name = " " + slave + " ";
        break;
    case Name::Surrogate:
        name = slave + QChar(0xd800);
        break;
    }
    // Set, not typed: a lone surrogate has no UTF-8 to type it with.
    auto *portBox = static_cast<QComboBox *>(WidgetOf(*form_->ComboBox1));
    portBox->setEditText(name);
    QList<ButtonStates> whileUp;
    const int descriptors = OpenDescriptorCount();
    const AnsweredBoxes boxes =
        AnswerBoxes([&] { ui_->Click(*form_->BitBtn1); }, [&] { whileUp << ui_->States(); });
    QCOMPARE(boxes.texts.size(), std::size_t(1));
    const QString text = QString::fromStdString(boxes.texts.front());
    QCOMPARE(text.section('\n', 0, 1), "Connect Fail!\n" + reason);
    // Only a missing port has advice here: the ports this machine has.
    const QRegularExpression ports("^(Ports on this computer: .+|No serial port is on this computer)\\.$");
    const QString advice = text.section('\n', 2);
    QVERIFY2(reason == "There is no such port." ? ports.match(advice).hasMatch() : advice.isEmpty(),
             qPrintable(text));
    QCOMPARE(whileUp, QList<ButtonStates>{kInitial});
    QCOMPARE(ui_->States(), kNotConnected);
    QCOMPARE(OpenDescriptorCount(), descriptors);
    QCOMPARE(portBox->currentText(), name);
    if (kind == Name::File)
        QCOMPARE(QFileInfo(file).size(), qint64(0));
    if (kind == Name::Fifo) {
        char byte = 0;
        QVERIFY(::read(fifoReader, &byte, 1) <= 0); // nobody opened it to write
        ::close(fifoReader);
    }
    if (holder != INVALID_HANDLE_VALUE)
        CloseHandle(holder);
}

// The adapter is pulled while connected: Send fails and keeps the text,
// Disconnect still works, and the kept text goes out on the next port.
void FaultTest::deviceVanishesWhileConnected()
{
    const QStringList texts = BoxTexts([&] {
        ui_->Type(*form_->ComboBox1, pty_->SlavePath());
        ui_->Click(*form_->BitBtn1);
        pty_->CloseMaster();
        pty_.reset();

        ui_->Type(*form_->Edit1, "不要遺失");
        ui_->Press(Key::Enter);
        QCOMPARE(Text(*form_->Edit1), QStringLiteral("不要遺失"));
        ui_->Click(*form_->BitBtn2);
        QCOMPARE(ui_->States(), kNotConnected);

        PtyPair replacement;
        ui_->Type(*form_->ComboBox1, replacement.SlavePath());
        ui_->Click(*form_->BitBtn1);
        QCOMPARE(ui_->States(), kConnected);
        ui_->Focus(*form_->Edit1);
        ui_->Press(Key::Enter);
        const QByteArray utf8 = QStringLiteral("不要遺失").toUtf8();
        QCOMPARE(replacement.Drain(12), std::vector<unsigned char>(utf8.begin(), utf8.end()));
    });
    QCOMPARE(texts, (QStringList{"Connect Success!",
                                 "Send Fail!\nThe device does not answer: it may have been unplugged.\n"
                                 "0 of 12 bytes were sent.",
                                 "Disconnect!", "Connect Success!"}));
    QCOMPARE(Text(*form_->Edit1), QString());
}

QTEST_MAIN(FaultTest)
#include "tst_faults.moc"
