// What the Qt backend adds to the main window: the names screen readers
// announce. The window's look and behaviour are checked on every backend in
// common/tst_form.cpp.
#include "native.h"
#include "tform1.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>

#include <memory>

using namespace comsend;

class FormTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void accessibleNames_data();
    void accessibleNames();

private:
    ProgramRuntime runtime_{"tst_form"};
    std::unique_ptr<TForm1> form_;
};

void FormTest::initTestCase()
{
    Application->Initialize();
}

void FormTest::init()
{
    form_ = std::make_unique<TForm1>(Application);
}

void FormTest::cleanup()
{
    form_.reset();
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
