// The line-settings record and the write, on pseudo-terminals.
#include "linesettings.h"
#include "platform/serial.h"
#include "support/portfd.h"
#include "support/ptypair.h"
#include "support/sendrecord.h"

#include <QTest>

#include <cstring>
#include <thread>

using namespace comsend;

namespace {

using Change = void (*)(DCB &);
using Line = void (*)(serial::LineSettings &);

} // namespace

Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(Line)

class LineSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void refusedRecordLeavesLineAlone_data();
    void refusedRecordLeavesLineAlone();
    void accepted_data();
    void accepted();
    void takesEffectOnDevice();
    void ptyKeepsEightBitsSoSevenIsRefused();
    void writesEverythingThroughPartialWrites();
    void writeFailsWhenPtyMasterCloses();
    void writeGivesUpOnFullPtyBuffer();
    void badHandles();
};

// Records that ask for more than a plain line, and lines the port cannot
// run, on the device: refused, with the line as it was.
void LineSettingsTest::refusedRecordLeavesLineAlone_data()
{
    QTest::addColumn<Change>("change");
    QTest::newRow("length 0") << Change([](DCB &d) { d.DCBlength = 0; });
    QTest::newRow("4 data bits") << Change([](DCB &d) { d.ByteSize = 4; });
    QTest::newRow("9 data bits") << Change([](DCB &d) { d.ByteSize = 9; });
    QTest::newRow("parity code 5") << Change([](DCB &d) { d.Parity = 5; });
    QTest::newRow("stop-bit code 3") << Change([](DCB &d) { d.StopBits = 3; });
    QTest::newRow("1.5 stop bits with 8 data bits") << Change([](DCB &d) { d.StopBits = ONE5STOPBITS; });
    QTest::newRow("2 stop bits with 5 data bits") << Change([](DCB &d) {
        d.ByteSize = 5;
        d.StopBits = TWOSTOPBITS;
    });
    QTest::newRow("speed 0") << Change([](DCB &d) { d.BaudRate = 0; });
    QTest::newRow("speed 14400") << Change([](DCB &d) { d.BaudRate = 14400; });
    QTest::newRow("length 27") << Change([](DCB &d) { d.DCBlength = 27; });
    QTest::newRow("CTS flow") << Change([](DCB &d) { d.fOutxCtsFlow = 1; });
    QTest::newRow("DSR flow") << Change([](DCB &d) { d.fOutxDsrFlow = 1; });
    QTest::newRow("DSR sensitivity") << Change([](DCB &d) { d.fDsrSensitivity = 1; });
    QTest::newRow("DTR on") << Change([](DCB &d) { d.fDtrControl = 1; });
    QTest::newRow("DTR handshake") << Change([](DCB &d) { d.fDtrControl = 2; });
    QTest::newRow("RTS on") << Change([](DCB &d) { d.fRtsControl = 1; });
    QTest::newRow("RTS handshake") << Change([](DCB &d) { d.fRtsControl = 2; });
    QTest::newRow("RTS toggle") << Change([](DCB &d) { d.fRtsControl = 3; });
    QTest::newRow("XON/XOFF output") << Change([](DCB &d) { d.fOutX = 1; });
    QTest::newRow("XON/XOFF input") << Change([](DCB &d) { d.fInX = 1; });
    QTest::newRow("error replacement") << Change([](DCB &d) { d.fErrorChar = 1; });
    QTest::newRow("NUL discarding") << Change([](DCB &d) { d.fNull = 1; });
    QTest::newRow("abort on error") << Change([](DCB &d) { d.fAbortOnError = 1; });
}

void LineSettingsTest::refusedRecordLeavesLineAlone()
{
    QFETCH(Change, change);
    PtyPair pty;
    const HANDLE port = OpenPort(pty.SlavePath());
    QVERIFY(port != INVALID_HANDLE_VALUE);
    const termios before = pty.Settings();
    DCB dcb = SendRecord();
    change(dcb);
    QCOMPARE(SetCommState(port, &dcb), FALSE);
    QCOMPARE(GetSendAccount(port).stage, PortStage::Settings);
    const termios after = pty.Settings();
    QCOMPARE(after.c_cflag, before.c_cflag);
    QCOMPARE(after.c_iflag, before.c_iflag);
    QCOMPARE(after.c_oflag, before.c_oflag);
    QCOMPARE(cfgetospeed(&after), cfgetospeed(&before));
    CloseHandle(port);
}

void LineSettingsTest::accepted_data()
{
    QTest::addColumn<Line>("change");
    QTest::addColumn<speed_t>("speed");
    QTest::addColumn<tcflag_t>("cflag"); // of CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS
    QTest::newRow("send record") << Line([](serial::LineSettings &) {}) << speed_t(B4800) << tcflag_t(CS8);
    QTest::newRow("9600 7E2") << Line([](serial::LineSettings &l) {
        l = {.bitsPerSecond = 9600,
             .dataBits = 7,
             .parity = serial::Parity::Even,
             .stopBits = serial::StopBits::Two};
    }) << speed_t(B9600) << tcflag_t(CS7 | PARENB | CSTOPB);
    QTest::newRow("mark parity") << Line([](serial::LineSettings &l) { l.parity = serial::Parity::Mark; })
                                 << speed_t(B4800) << tcflag_t(CS8 | PARENB | PARODD | CMSPAR);
    QTest::newRow("5 bits, 1.5 stop bits") << Line([](serial::LineSettings &l) {
        l.dataBits = 5;
        l.stopBits = serial::StopBits::OneAndHalf;
    }) << speed_t(B4800) << tcflag_t(CS5 | CSTOPB);
}

// Each line turns into these termios flags, whatever the line had before:
// raw, with no flow control.
void LineSettingsTest::accepted()
{
    QFETCH(Line, change);
    QFETCH(speed_t, speed);
    QFETCH(tcflag_t, cflag);
    serial::LineSettings settings;
    change(settings);
    termios tio{};
    cfsetospeed(&tio, B1200);
    tio.c_cflag = CS7 | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL;
    tio.c_iflag = IXON | IXOFF | IXANY | ICRNL | ISTRIP | INPCK;
    tio.c_oflag = OPOST | ONLCR;
    tio.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
    QVERIFY(!LineSettingsTook(settings, tio));
    QVERIFY(ApplyLineSettings(settings, tio));
    QVERIFY(LineSettingsTook(settings, tio));
    QCOMPARE(cfgetospeed(&tio), speed);
    QCOMPARE(cfgetispeed(&tio), speed);
    QCOMPARE(tio.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS), cflag);
    QCOMPARE(tio.c_cflag & (CLOCAL | CREAD | HUPCL), tcflag_t(CLOCAL | CREAD | HUPCL));
    QCOMPARE(tio.c_iflag & (IXON | IXOFF | INPCK | IXANY | ICRNL | ISTRIP), tcflag_t(0));
    QCOMPARE(tio.c_oflag, tcflag_t(0));
    QCOMPARE(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), tcflag_t(0));
}

// On the device, read back at the far end. A pseudo-terminal keeps stop
// bits but always runs 8 bits without parity.
void LineSettingsTest::takesEffectOnDevice()
{
    PtyPair pty;
    const HANDLE port = OpenPort(pty.SlavePath());
    QVERIFY(port != INVALID_HANDLE_VALUE);
    DCB dcb = SendRecord();
    dcb.BaudRate = 115200;
    dcb.StopBits = TWOSTOPBITS;
    QCOMPARE(SetCommState(port, &dcb), TRUE);
    termios tio = pty.Settings();
    QCOMPARE(cfgetospeed(&tio), speed_t(B115200));
    QCOMPARE(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8 | CSTOPB));
    dcb = SendRecord();
    QCOMPARE(SetCommState(port, &dcb), TRUE);
    tio = pty.Settings();
    QCOMPARE(cfgetospeed(&tio), speed_t(B4800));
    QCOMPARE(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8));
    QCOMPARE(tio.c_oflag & OPOST, tcflag_t(0));
    CloseHandle(port);
}

// The device took only part of the record: that is a refusal. A
// pseudo-terminal takes 7E1 as 8 bits without parity.
void LineSettingsTest::ptyKeepsEightBitsSoSevenIsRefused()
{
    PtyPair pty;
    const HANDLE port = OpenPort(pty.SlavePath());
    DCB dcb = SendRecord();
    dcb.ByteSize = 7;
    dcb.Parity = EVENPARITY;
    QCOMPARE(SetCommState(port, &dcb), FALSE);
    CloseHandle(port);
}

// Far more than the device buffers at once: the write goes on as the far end
// reads, and every byte arrives once, in order. The line is fast, since a
// write keeps to the line's pace.
void LineSettingsTest::writesEverythingThroughPartialWrites()
{
    PtyPair pty;
    const HANDLE port = OpenPort(pty.SlavePath());
    DCB dcb = SendRecord();
    dcb.BaudRate = 4000000;
    QCOMPARE(SetCommState(port, &dcb), TRUE);
    std::vector<unsigned char> text(std::size_t{512} * 1024);
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<unsigned char>(i * 7 + i / 251);
    std::vector<unsigned char> received;
    std::thread reader([&] { received = pty.Drain(text.size(), 2000); });
    DWORD written = 0;
    const BOOL result = WriteFile(port, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    reader.join();
    QCOMPARE(result, TRUE);
    QCOMPARE(written, DWORD(text.size()));
    QVERIFY(received == text);
    CloseHandle(port);
}

void LineSettingsTest::writeFailsWhenPtyMasterCloses()
{
    PtyPair pty;
    const HANDLE port = OpenPort(pty.SlavePath());
    pty.CloseMaster();
    DWORD written = 99;
    QCOMPARE(WriteFile(port, "abc", 3, &written, nullptr), FALSE);
    QCOMPARE(written, DWORD(0));
    CloseHandle(port);
}

void LineSettingsTest::writeGivesUpOnFullPtyBuffer()
{
    PtyPair pty;
    const HANDLE port = OpenPort(pty.SlavePath());
    DCB dcb = SendRecord();
    QCOMPARE(SetCommState(port, &dcb), TRUE);
    // Fill the device's buffers; the far end never reads.
    const int fd = static_cast<int>(reinterpret_cast<std::intptr_t>(port));
    QVERIFY(FillUntilFull(fd) > 0);
    DWORD written = 99;
    QCOMPARE(WriteFile(port, "abc", 3, &written, nullptr), FALSE);
    QCOMPARE(written, DWORD(0));
    CloseHandle(port);
}

void LineSettingsTest::badHandles()
{
    DCB dcb = SendRecord();
    DWORD written = 0;
    QCOMPARE(SetCommState(INVALID_HANDLE_VALUE, &dcb), FALSE);
    QCOMPARE(SetCommState(nullptr, &dcb), FALSE);
    QCOMPARE(WriteFile(INVALID_HANDLE_VALUE, "a", 1, &written, nullptr), FALSE);
    PtyPair pty;
    const HANDLE port = OpenPort(pty.SlavePath());
    QCOMPARE(SetCommState(port, nullptr), FALSE);
    CloseHandle(port);
}

QTEST_APPLESS_MAIN(LineSettingsTest)
#include "tst_linesettings.moc"
