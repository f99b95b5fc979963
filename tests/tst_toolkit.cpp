// The toolkit layer: handlers bound from a form description, exceptions that
// escape them, and the narrow text of AnsiString.
#include "native.h"
#include "platform/toolkit.h"
#include "support/modalboxes.h"
#include "support/testform.h"
#include "textcodec.h"

#include <QPushButton>
#include <QTest>

#include <stdexcept>

using namespace comsend;

namespace {

// A form with one button whose description names `handler` for its click.
template <const char *handler> struct ButtonForm {
    static constexpr TControlDescription controls[] = {{.Name = "Button",
                                                        .Class = TControlClass::BitBtn,
                                                        .Left = 8,
                                                        .Top = 8,
                                                        .Width = 75,
                                                        .Height = 25,
                                                        .Text = "Go",
                                                        .OnClick = handler}};
    static constexpr TFormDescription description = TestForm(controls);
};

constexpr char kButtonClick[] = "ButtonClick";
constexpr char kMissingClick[] = "MissingClick";

class ThrowingForm : public TForm {
public:
    explicit ThrowingForm(TComponent *Owner, std::function<void()> body)
        : TForm(Owner, ButtonForm<kButtonClick>::description,
                {{"ButtonClick", [this](TObject *Sender) { ButtonClick(Sender); }}}),
          Button(Bind<TBitBtn>("Button")), body_(std::move(body))
    {}
    void ButtonClick(TObject * /*Sender*/)
    {
        ++clicks;
        body_();
    }
    TBitBtn *Button;
    int clicks = 0;

private:
    std::function<void()> body_;
};

class UnboundForm : public TForm {
public:
    explicit UnboundForm(TComponent *Owner)
        : TForm(Owner, ButtonForm<kMissingClick>::description, {}), Button(Bind<TBitBtn>("Button"))
    {}
    TBitBtn *Button;
};

} // namespace

class ToolkitTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void escapingExceptionIsShown_data();
    void escapingExceptionIsShown();
    void unknownHandlerFailsCreation();
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

void ToolkitTest::escapingExceptionIsShown_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("shown");
    QTest::newRow("Exception") << 0 << QStringLiteral("port gone");
    QTest::newRow("other exception") << 1 << QString();
    QTest::newRow("not even an object") << 2 << QString();
}

void ToolkitTest::escapingExceptionIsShown()
{
    QFETCH(int, kind);
    QFETCH(QString, shown);
    ThrowingForm form(Application, [kind] {
        if (kind == 0)
            throw Exception("port gone");
        if (kind == 1)
            throw std::runtime_error("internal detail");
        throw 42;
    });
    form.Show();
    ModalBoxes boxes;
    auto *button = static_cast<QPushButton *>(WidgetOf(*form.Button));
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseClick(button, Qt::LeftButton); // the loop went on
    QCOMPARE(form.clicks, 2);
    QCOMPARE(boxes.Texts(), (QStringList{shown, shown}));
}

void ToolkitTest::unknownHandlerFailsCreation()
{
    try {
        UnboundForm form(Application);
        QFAIL("a form whose description names a missing handler was created");
    } catch (const Exception &e) {
        QVERIFY(QByteArray(e.Message.c_str()).contains("MissingClick"));
    }
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
