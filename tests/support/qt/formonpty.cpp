#include "support/qt/formonpty.h"

#include <QTest>

#include <sstream>

char *toString(const ButtonStates &states)
{
    std::ostringstream text;
    text << states;
    return qstrdup(text.str().c_str());
}

QStringList BoxTexts(const std::function<void()> &action)
{
    QStringList texts;
    for (const std::string &text : AnswerBoxes(action).texts)
        texts << QString::fromStdString(text);
    return texts;
}

bool FormOnPtyTest::StartForm()
{
    pty_ = std::make_unique<PtyPair>();
    if (!pty_->IsOpen())
        return false;
    form_ = std::make_unique<comsend::TForm1>(comsend::Application);
    ui_ = std::make_unique<FormProbe>(*form_);
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
    ui_->Type(*form_->ComboBox1, pty_->SlavePath());
    QCOMPARE(BoxTexts([&] { ui_->Click(*form_->BitBtn1); }), QStringList{"Connect Success!"});
}

QString FormOnPtyTest::Text(const comsend::TControl &control) const
{
    return QString::fromStdString(ui_->Text(control));
}
