// Port names to device paths, and which devices count as serial lines.
#include "portname.h"
#include "ttydevice.h"

#include <QTest>

using namespace comsend;

class PortNames : public QObject {
    Q_OBJECT

private slots:
    void resolve_data();
    void resolve();
    void classify_data();
    void classify();
};

void PortNames::resolve_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("path"); // empty: names nothing

    QTest::newRow("COM1") << QByteArray("COM1") << QByteArray("/dev/ttyS0");
    QTest::newRow("lower case") << QByteArray("com2") << QByteArray("/dev/ttyS1");
    QTest::newRow("mixed case") << QByteArray("cOm12") << QByteArray("/dev/ttyS11");
    QTest::newRow("largest number") << QByteArray("COM999999999") << QByteArray("/dev/ttyS999999998");
    QTest::newRow("too many digits") << QByteArray("COM1000000000") << QByteArray("/dev/COM1000000000");
    QTest::newRow("COM0") << QByteArray("COM0") << QByteArray("/dev/COM0");
    QTest::newRow("leading zero") << QByteArray("COM01") << QByteArray("/dev/COM01");
    QTest::newRow("no number") << QByteArray("COM") << QByteArray("/dev/COM");
    QTest::newRow("trailing space kept") << QByteArray("COM1 ") << QByteArray("/dev/COM1 ");
    QTest::newRow("leading space kept") << QByteArray(" COM1") << QByteArray("/dev/ COM1");
    QTest::newRow("sign") << QByteArray("COM+1") << QByteArray("/dev/COM+1");
    QTest::newRow("device name") << QByteArray("ttyUSB0") << QByteArray("/dev/ttyUSB0");
    QTest::newRow("below /dev") << QByteArray("serial/by-id/x") << QByteArray("/dev/serial/by-id/x");
    QTest::newRow("path") << QByteArray("/dev/pts/7") << QByteArray("/dev/pts/7");
    QTest::newRow("path with spaces") << QByteArray("/tmp/a b ") << QByteArray("/tmp/a b ");
    QTest::newRow("only spaces") << QByteArray("   ") << QByteArray("/dev/   ");
    QTest::newRow("empty") << QByteArray("") << QByteArray();
}

void PortNames::resolve()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, path);
    const auto resolved = ResolvePortName(std::string_view(name.constData(), name.size()));
    QCOMPARE(resolved.has_value(), !path.isEmpty());
    if (resolved)
        QCOMPARE(QByteArray::fromStdString(*resolved), path);
}

namespace {

const char *const kDriverTable = "/dev/tty             /dev/tty        5       0 system:/dev/tty\n"
                                 "/dev/console         /dev/console    5       1 system:console\n"
                                 "/dev/ptmx            /dev/ptmx       5       2 system\n"
                                 "/dev/vc/0            /dev/vc/0       4       0 system:vtmaster\n"
                                 "usbserial            /dev/ttyUSB   188 0-511 serial\n"
                                 "serial               /dev/ttyS       4      64 serial\n"
                                 "pty_slave            /dev/pts      136 0-1048575 pty:slave\n"
                                 "pty_master           /dev/ptm      128 0-1048575 pty:master\n"
                                 "unknown              /dev/tty        4 1-63 console\n";

} // namespace

void PortNames::classify_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<unsigned>("major");
    QTest::addColumn<unsigned>("minor");
    QTest::addColumn<int>("verdict");

    const QByteArray table(kDriverTable);
    const auto terminal = static_cast<int>(TtyVerdict::Terminal);
    const auto notTerminal = static_cast<int>(TtyVerdict::NotTerminal);
    const auto unknown = static_cast<int>(TtyVerdict::Unknown);
    QTest::newRow("pty slave") << table << 136U << 5U << terminal;
    QTest::newRow("usb serial, last minor") << table << 188U << 511U << terminal;
    QTest::newRow("usb serial, past the range") << table << 188U << 512U << notTerminal;
    QTest::newRow("single serial port") << table << 4U << 64U << terminal;
    QTest::newRow("serial port not registered") << table << 4U << 65U << notTerminal;
    QTest::newRow("virtual console") << table << 4U << 1U << notTerminal;
    QTest::newRow("/dev/tty") << table << 5U << 0U << notTerminal;
    QTest::newRow("/dev/console") << table << 5U << 1U << notTerminal;
    QTest::newRow("/dev/ptmx") << table << 5U << 2U << notTerminal;
    QTest::newRow("pty master") << table << 128U << 3U << notTerminal;
    QTest::newRow("/dev/null") << table << 1U << 3U << notTerminal;
    QTest::newRow("empty table") << QByteArray() << 136U << 5U << unknown;
    QTest::newRow("unreadable table")
        << QByteArray("garbage\nmore garbage here x y\n") << 136U << 5U << unknown;
    QTest::newRow("malformed range") << QByteArray("x /dev/x 136 5-z serial\n") << 136U << 5U << unknown;
}

void PortNames::classify()
{
    QFETCH(QByteArray, table);
    QFETCH(unsigned, major);
    QFETCH(unsigned, minor);
    QFETCH(int, verdict);
    const std::string_view text(table.constData(), table.size());
    QCOMPARE(static_cast<int>(ClassifyInDriverTable(text, major, minor)), verdict);
}

QTEST_APPLESS_MAIN(PortNames)
#include "tst_portnames.moc"
