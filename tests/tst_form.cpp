// The main window through its real widgets and the real message boxes.
#include "support/formdriver.h"
#include "support/modalboxes.h"
#include "support/ptypair.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QInputMethodQueryEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>

using namespace comsend;

namespace {

constexpr const char *kNoSuchPort = "/nonexistent/port";

} // namespace

class FormTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void initialState();
    void layout_data();
    void layout();
    void tabOrder_data();
    void tabOrder();
    void portListNeverGrows();
    void connectAndDisconnect();
    void disconnectBeforeConnect();
    void enterOnFocusedButton();
    void enterWhileSendDisabled();
    void enterInMemoStartsNewLine();
    void escapeDoesNothing();
    void textBoxAsksForChinese();
    void accessibleNames_data();
    void accessibleNames();

private:
    void ShowAndActivate();

    ProgramRuntime runtime_{"tst_form"};
    std::unique_ptr<TForm1> form_;
    std::unique_ptr<FormDriver> ui_;
};

void FormTest::initTestCase()
{
    Application->Initialize();
}

void FormTest::init()
{
    form_ = std::make_unique<TForm1>(Application);
    ui_ = std::make_unique<FormDriver>(*form_);
}

void FormTest::cleanup()
{
    ui_.reset();
    form_.reset();
}

void FormTest::ShowAndActivate()
{
    form_->Show();
    QApplication::setActiveWindow(WindowOf(*form_));
    QVERIFY(QTest::qWaitForWindowActive(WindowOf(*form_)));
}

void FormTest::initialState()
{
    ShowAndActivate();
    QCOMPARE(WindowOf(*form_)->windowTitle(), QStringLiteral("Form1"));
    QCOMPARE(ui_->PortBox()->currentText(), QStringLiteral("COM1"));
    QCOMPARE(ui_->PortBox()->count(), 2);
    QCOMPARE(ui_->PortBox()->itemText(0), QStringLiteral("COM1"));
    QCOMPARE(ui_->PortBox()->itemText(1), QStringLiteral("COM2"));
    QVERIFY(ui_->PortBox()->isEditable());
    QCOMPARE(ui_->TextBox()->text(), QString());
    QCOMPARE(WidgetOf(*form_->Label1)->property("text").toString(), QStringLiteral("選擇連接埠"));
    QCOMPARE(WidgetOf(*form_->Label2)->property("text").toString(), QStringLiteral("傳送的文字"));
    QCOMPARE(WidgetOf(*form_->Label3)->property("text").toString(), QStringLiteral("Label3"));
    QCOMPARE(WidgetOf(*form_->Memo1)->property("plainText").toString(), QStringLiteral("Memo1"));
    QCOMPARE(ui_->Button(form_->BitBtn1)->text(), QStringLiteral("Connect"));
    QCOMPARE(ui_->Button(form_->BitBtn2)->text(), QStringLiteral("Disconnect"));
    QCOMPARE(ui_->Button(form_->BitBtn3)->text(), QStringLiteral("Send"));
    QCOMPARE(ui_->States(), kInitial);
    QCOMPARE(QApplication::focusWidget(), ui_->PortBox());
}

void FormTest::layout_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("Label1") << "Label1" << QRect(48, 16, 85, 16);
    QTest::newRow("Label2") << "Label2" << QRect(48, 88, 85, 16);
    QTest::newRow("ComboBox1") << "ComboBox1" << QRect(16, 48, 145, 21);
    QTest::newRow("BitBtn1") << "BitBtn1" << QRect(176, 48, 97, 25);
    QTest::newRow("BitBtn2") << "BitBtn2" << QRect(272, 48, 97, 25);
    QTest::newRow("Edit1") << "Edit1" << QRect(16, 112, 273, 21);
    QTest::newRow("BitBtn3") << "BitBtn3" << QRect(296, 112, 75, 25);
    QTest::newRow("Memo1") << "Memo1" << QRect(200, 8, 129, 33);
}

void FormTest::layout()
{
    QFETCH(QString, control);
    QFETCH(QRect, geometry);
    form_->Show();
    QCOMPARE(WindowOf(*form_)->pos(), QPoint(192, 107));
    QCOMPARE(WindowOf(*form_)->findChild<QWidget *>(control)->geometry(), geometry);
    // Label3 sizes itself to its caption, from where the description put it.
    const QWidget *label3 = WidgetOf(*form_->Label3);
    QCOMPARE(label3->pos(), QPoint(216, 88));
    QCOMPARE(label3->size(), label3->sizeHint());
}

void FormTest::tabOrder_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("initial") << false << QStringList{"BitBtn1", "BitBtn2", "Edit1", "Memo1", "ComboBox1"};
    QTest::newRow("connected") << true << QStringList{"BitBtn2", "Edit1", "BitBtn3", "Memo1", "ComboBox1"};
}

void FormTest::tabOrder()
{
    QFETCH(bool, connected);
    QFETCH(QStringList, order);
    PtyPair pty;
    ShowAndActivate();
    if (connected) {
        ModalBoxes boxes;
        ui_->TypePort(QString::fromStdString(pty.SlavePath()));
        ui_->Click(form_->BitBtn1);
        QCOMPARE(boxes.Texts(), QStringList{"Connect Success!"});
        ShowAndActivate();
        ui_->PortBox()->setFocus();
    }
    QCOMPARE(QApplication::focusWidget(), ui_->PortBox());
    QStringList visited;
    for (qsizetype i = 0; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, order);
}

void FormTest::portListNeverGrows()
{
    ShowAndActivate();
    ModalBoxes boxes;
    for (const QString &name : {QStringLiteral("ttyUSB7"), QStringLiteral("COM3"), QStringLiteral("")}) {
        ui_->TypePort(name);
        QTest::keyClick(ui_->PortBox()->lineEdit(), Qt::Key_Return);
        QCOMPARE(ui_->PortBox()->currentText(), name);
    }
    ui_->TypePort(kNoSuchPort);
    ui_->Click(form_->BitBtn1);
    QCOMPARE(ui_->PortBox()->count(), 2);
    QCOMPARE(ui_->PortBox()->itemText(0), QStringLiteral("COM1"));
    QCOMPARE(ui_->PortBox()->itemText(1), QStringLiteral("COM2"));
    QCOMPARE(boxes.Texts(), QStringList{"Connect Fail!\nThere is no such port."});
}

void FormTest::connectAndDisconnect()
{
    PtyPair pty;
    ShowAndActivate();
    QList<ButtonStates> whileUp;
    ModalBoxes boxes([&](const QMessageBox &) { whileUp << ui_->States(); });
    ui_->TypePort(QString::fromStdString(pty.SlavePath()));

    ui_->Click(form_->BitBtn1);
    QCOMPARE(ui_->States(), kConnected);
    ui_->Click(form_->BitBtn2);
    QCOMPARE(ui_->States(), kNotConnected);
    ui_->Click(form_->BitBtn1); // the port was given back, so it opens again
    QCOMPARE(ui_->States(), kConnected);

    QCOMPARE(boxes.Texts(), (QStringList{"Connect Success!", "Disconnect!", "Connect Success!"}));
    QCOMPARE(whileUp, (QList<ButtonStates>{kInitial, kConnected, kNotConnected}));
    QCOMPARE(boxes.BoxesWithOtherButtons(), 0);
}

void FormTest::disconnectBeforeConnect()
{
    ShowAndActivate();
    ModalBoxes boxes;
    ui_->Click(form_->BitBtn2);
    QCOMPARE(boxes.Texts(), QStringList());
    QCOMPARE(ui_->States(), kInitial);
}

void FormTest::enterOnFocusedButton()
{
    PtyPair pty;
    ShowAndActivate();
    ModalBoxes boxes;
    ui_->TypePort(QString::fromStdString(pty.SlavePath()));
    ui_->Button(form_->BitBtn1)->setFocus();
    QTest::keyClick(ui_->Button(form_->BitBtn1), Qt::Key_Return);
    QCOMPARE(ui_->States(), kConnected);
    ui_->Button(form_->BitBtn2)->setFocus();
    QTest::keyClick(ui_->Button(form_->BitBtn2), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(boxes.Texts(), (QStringList{"Connect Success!", "Disconnect!"}));
    QCOMPARE(ui_->States(), kNotConnected);
}

void FormTest::enterWhileSendDisabled()
{
    ShowAndActivate();
    ModalBoxes boxes;
    ui_->TypeText(QStringLiteral("abc"));
    QTest::keyClick(ui_->TextBox(), Qt::Key_Return);
    ui_->TypePort(kNoSuchPort);
    QTest::keyClick(ui_->PortBox()->lineEdit(), Qt::Key_Return);
    QCOMPARE(boxes.Texts(), QStringList());
    QCOMPARE(ui_->TextBox()->text(), QStringLiteral("abc"));
    QCOMPARE(WidgetOf(*form_->Label3)->property("text").toString(), QStringLiteral("Label3"));
    QCOMPARE(ui_->States(), kInitial);
}

void FormTest::enterInMemoStartsNewLine()
{
    PtyPair pty;
    ShowAndActivate();
    ModalBoxes boxes;
    ui_->TypePort(QString::fromStdString(pty.SlavePath()));
    ui_->Click(form_->BitBtn1);
    auto *memo = static_cast<QPlainTextEdit *>(WidgetOf(*form_->Memo1));
    memo->setFocus();
    memo->moveCursor(QTextCursor::End);
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, "x");
    QCOMPARE(memo->toPlainText(), QStringLiteral("Memo1\nx"));
    QCOMPARE(boxes.Texts(), QStringList{"Connect Success!"});
}

void FormTest::escapeDoesNothing()
{
    ShowAndActivate();
    ModalBoxes boxes;
    for (QWidget *widget :
         {static_cast<QWidget *>(ui_->PortBox()->lineEdit()), static_cast<QWidget *>(ui_->TextBox()),
          static_cast<QWidget *>(ui_->Button(form_->BitBtn2))}) {
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_Escape);
    }
    QVERIFY(WindowOf(*form_)->isVisible());
    QCOMPARE(boxes.Texts(), QStringList());
    QCOMPARE(ui_->States(), kInitial);
}

void FormTest::textBoxAsksForChinese()
{
    QInputMethodQueryEvent query(Qt::ImPreferredLanguage | Qt::ImEnabled | Qt::ImSurroundingText);
    ui_->TextBox()->setText(QStringLiteral("中文"));
    QApplication::sendEvent(ui_->TextBox(), &query);
    QCOMPARE(query.value(Qt::ImPreferredLanguage).toString(), QStringLiteral("zh_TW"));
    QCOMPARE(query.value(Qt::ImEnabled).toBool(), true);
    QCOMPARE(query.value(Qt::ImSurroundingText).toString(), QStringLiteral("中文"));
}

void FormTest::accessibleNames_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::newRow("port box") << "ComboBox1" << QStringLiteral("選擇連接埠") << QAccessible::ComboBox;
    QTest::newRow("text box") << "Edit1" << QStringLiteral("傳送的文字") << QAccessible::EditableText;
    QTest::newRow("Connect") << "BitBtn1" << QStringLiteral("Connect") << QAccessible::Button;
    QTest::newRow("Disconnect") << "BitBtn2" << QStringLiteral("Disconnect") << QAccessible::Button;
    QTest::newRow("Send") << "BitBtn3" << QStringLiteral("Send") << QAccessible::Button;
    QTest::newRow("memo") << "Memo1" << QStringLiteral("Memo") << QAccessible::EditableText;
    QTest::newRow("last text sent") << "Label3" << QStringLiteral("Label3") << QAccessible::StaticText;
}

// What a screen reader announces for each control: its own name, or, where
// the platform names a box by the label that labels it, that label's text.
void FormTest::accessibleNames()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QAccessible::Role, role);
    form_->Show();
    QAccessibleInterface *accessible =
        QAccessible::queryAccessibleInterface(WindowOf(*form_)->findChild<QWidget *>(control));
    QVERIFY(accessible != nullptr);
    QCOMPARE(accessible->role(), role);
    QStringList names{accessible->text(QAccessible::Name)};
    for (const auto &[label, relation] : accessible->relations(QAccessible::Label))
        names << label->text(QAccessible::Name);
    QVERIFY2(names.contains(name), qPrintable(names.join(", ")));
}

QTEST_MAIN(FormTest)
#include "tst_form.moc"
