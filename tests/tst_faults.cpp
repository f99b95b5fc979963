// Faults through the real window: names that name no terminal, and a device
// that vanishes while connected. Nothing may crash, write to a non-terminal,
// leak a descriptor or lose the typed text.
#include "support/formdriver.h"
#include "support/modalboxes.h"
#include "support/portfd.h"
#include "support/ptypair.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace comsend;

namespace {

enum class Name { Empty, Spaces, Long, Missing, PortNumber, Directory, Fifo, File, Held, Padded, Surrogate };

} // namespace

class FaultTest : public QObject {
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
    std::unique_ptr<TForm1> form_;
    std::unique_ptr<FormDriver> ui_;
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
    form_ = std::make_unique<TForm1>(Application);
    ui_ = std::make_unique<FormDriver>(*form_);
    form_->Show();
}

void FaultTest::cleanup()
{
    ui_.reset();
    form_.reset();
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
    PtyPair pty;
    QTemporaryDir dir;
    const QString slave = QString::fromStdString(pty.SlavePath());
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
        holder = OpenPort(pty.SlavePath());
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
    QList<ButtonStates> whileUp;
    ModalBoxes boxes([&](const QMessageBox &) { whileUp << ui_->States(); });
    ui_->PortBox()->setEditText(name);
    const int descriptors = OpenDescriptorCount();
    ui_->Click(form_->BitBtn1);
    QCOMPARE(boxes.Texts().size(), 1);
    const QString text = boxes.Texts().front();
    QCOMPARE(text.section('\n', 0, 1), "Connect Fail!\n" + reason);
    // Only a missing port has advice here: the ports this machine has.
    const QRegularExpression ports("^(Ports on this computer: .+|No serial port is on this computer)\\.$");
    const QString advice = text.section('\n', 2);
    QVERIFY2(reason == "There is no such port." ? ports.match(advice).hasMatch() : advice.isEmpty(),
             qPrintable(text));
    QCOMPARE(whileUp, QList<ButtonStates>{kInitial});
    QCOMPARE(ui_->States(), kNotConnected);
    QCOMPARE(OpenDescriptorCount(), descriptors);
    QCOMPARE(ui_->PortBox()->currentText(), name);
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
    auto pty = std::make_unique<PtyPair>();
    const QString vanished = QString::fromStdString(pty->SlavePath());
    ModalBoxes boxes;
    ui_->TypePort(vanished);
    ui_->Click(form_->BitBtn1);
    pty->CloseMaster();
    pty.reset();

    ui_->TypeText(QStringLiteral("不要遺失"));
    QTest::keyClick(ui_->TextBox(), Qt::Key_Return);
    QCOMPARE(ui_->TextBox()->text(), QStringLiteral("不要遺失"));
    ui_->Click(form_->BitBtn2);
    QCOMPARE(ui_->States(), kNotConnected);

    PtyPair replacement;
    ui_->TypePort(QString::fromStdString(replacement.SlavePath()));
    ui_->Click(form_->BitBtn1);
    QCOMPARE(ui_->States(), kConnected);
    ui_->TextBox()->setFocus();
    QTest::keyClick(ui_->TextBox(), Qt::Key_Return);
    const QByteArray utf8 = QStringLiteral("不要遺失").toUtf8();
    QCOMPARE(replacement.Drain(12), std::vector<unsigned char>(utf8.begin(), utf8.end()));
    QCOMPARE(boxes.Texts(),
             (QStringList{"Connect Success!",
                          "Send Fail!\nThe device does not answer: it may have been unplugged.\n"
                          "0 of 12 bytes were sent.",
                          "Disconnect!", "Connect Success!"}));
    QCOMPARE(ui_->TextBox()->text(), QString());
}

QTEST_MAIN(FaultTest)
#include "tst_faults.moc"
