// The Qt backend's narrow text: AnsiString in the locale's codeset. How the
// handlers are called is checked on every backend (common/tst_handlers.cpp).
#include "platform/toolkit.h"
#include "textcodec.h"

#include <QTest>

using namespace comsend;

class ToolkitTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void encode_data();
    void encode();
    void decodeBig5();
    void widgetTextRoundTrip();

private:
    ProgramRuntime runtime_{"tst_toolkit"};
};

void ToolkitTest::initTestCase()
{
    Application->Initialize();
}
void ToolkitTest::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("codeset");
    QTest::addColumn<bool>("representable");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("ascii") << "abc" << QByteArray("UTF-8") << true << QByteArray("abc");
    QTest::newRow("space") << " " << QByteArray("UTF-8") << true << QByteArray(" ");
    QTest::newRow("chinese utf-8") << "中文" << QByteArray("UTF-8") << true
                                   << QByteArray("\xe4\xb8\xad\xe6\x96\x87");
    QTest::newRow("chinese big5") << "中文" << QByteArray("BIG5") << true << QByteArray("\xa4\xa4\xa4\xe5");
    QTest::newRow("mixed big5") << "a傳b" << QByteArray("BIG5") << true
                                << QByteArray("a\xb6\xc7"
                                              "b");
    QTest::newRow("simplified outside big5") << "们" << QByteArray("BIG5") << false << QByteArray();
    QTest::newRow("emoji outside big5") << "ok😀" << QByteArray("BIG5") << false << QByteArray();
    QTest::newRow("chinese in ascii") << "中" << QByteArray("ANSI_X3.4-1968") << false << QByteArray();
    QTest::newRow("nul") << QString(QChar(u'\0')) << QByteArray("UTF-8") << false << QByteArray();
    QTest::newRow("lone surrogate") << QString(QChar(0xd800)) << QByteArray("UTF-8") << false << QByteArray();
    QTest::newRow("unknown codeset") << "abc" << QByteArray("NO-SUCH-CODESET") << false << QByteArray();
}

void ToolkitTest::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, codeset);
    QFETCH(bool, representable);
    QFETCH(QByteArray, bytes);
    const auto encoded = EncodeText(text, codeset.constData());
    QCOMPARE(encoded.has_value(), representable);
    if (encoded)
        QCOMPARE(QByteArray::fromStdString(*encoded), bytes);
}

void ToolkitTest::decodeBig5()
{
    QCOMPARE(DecodeText("\xa4\xa4\xa4\xe5", "BIG5"), QStringLiteral("中文"));
    QCOMPARE(DecodeText("\xe4\xb8\xad", "UTF-8"), QStringLiteral("中"));
}

// Text that the locale cannot hold still shows unchanged where it is shown again.
void ToolkitTest::widgetTextRoundTrip()
{
    const QString unrepresentable = QStringLiteral("a") + QChar(u'\0') + QStringLiteral("中");
    const AnsiString text = ToAnsiString(unrepresentable);
    QVERIFY(!text.IsRepresentable());
    QVERIFY(!text.IsEmpty());
    QCOMPARE(QByteArray(text.c_str()), QByteArray());
    QCOMPARE(FromAnsiString(text), unrepresentable);
    QCOMPARE(FromAnsiString(ToAnsiString(QStringLiteral("傳送"))), QStringLiteral("傳送"));
    QVERIFY(AnsiString("").IsEmpty());
    QVERIFY(AnsiString() == AnsiString(""));
}

QTEST_MAIN(ToolkitTest)
#include "tst_toolkit.moc"
