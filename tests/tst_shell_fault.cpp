// The entry point when creating the main form fails with an exception that
// is not an Exception: one box with an empty message, then 0.
#include "support/formprobe.h"
#include "winmain.h"

#include "platform/application.h"

#include <QTest>

using namespace comsend;

class ShellFaultTest : public QObject {
    Q_OBJECT

private slots:
    void foreignExceptionDuringCreation();

private:
    ProgramRuntime runtime_{"tst_shell_fault"};
};

void ShellFaultTest::foreignExceptionDuringCreation()
{
    int result = -1;
    const AnsweredBoxes boxes =
        AnswerBoxes([&] { result = WinMain(nullptr, nullptr, nullptr, SW_SHOWDEFAULT); });
    QCOMPARE(result, 0);
    QVERIFY(boxes.texts == std::vector<std::string>{""});
    QCOMPARE(boxes.withOtherButtons, 0);
    QVERIFY(Form1 == nullptr);
}

QTEST_MAIN(ShellFaultTest)
#include "tst_shell_fault.moc"
