// The entry point with the real main form: it runs until the form closes
// and returns 0 without a word.
#include "native.h"
#include "support/qt/formonpty.h"
#include "winmain.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

using namespace comsend;

class ShellTest : public QObject {
    Q_OBJECT

private slots:
    void runsUntilTheFormCloses();

private:
    ProgramRuntime runtime_{"tst_shell"};
};

void ShellTest::runsUntilTheFormCloses()
{
    bool closedByTest = false;
    bool iconShown = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (Form1 != nullptr && WindowOf(*Form1)->isVisible()) {
            closedByTest = true;
            iconShown = !WindowOf(*Form1)->windowIcon().isNull();
            WindowOf(*Form1)->close();
        }
    });
    closer.start(20);
    int result = -1;
    QCOMPARE(BoxTexts([&] { result = WinMain(nullptr, nullptr, nullptr, SW_SHOWDEFAULT); }), QStringList());
    QCOMPARE(result, 0);
    QVERIFY(closedByTest);
    QVERIFY(iconShown);
}

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
