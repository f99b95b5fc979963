#include "support/qt/formonpty.h"

#include <QTest>

bool FormOnPtyTest::StartForm()
{
    pty_ = std::make_unique<PtyPair>();
    if (!pty_->IsOpen())
        return false;
    form_ = std::make_unique<TForm1>(comsend::Application);
    ui_ = std::make_unique<FormDriver>(*form_);
    form_->Show();
    return true;
}

void FormOnPtyTest::EndForm()
{
    ui_.reset();
    form_.reset();
    pty_.reset();
}

void FormOnPtyTest::Connect()
{
    QCOMPARE(ui_->Connect(QString::fromStdString(pty_->SlavePath())), QStringList{"Connect Success!"});
}
