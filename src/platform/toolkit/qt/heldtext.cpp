#include "heldtext.h"

#include "native.h"
#include "toolkit/backend.h"

#include <QLineEdit>
#include <QValidator>

namespace comsend {

namespace {

class HeldText : public QValidator {
public:
    explicit HeldText(QLineEdit *box) : QValidator(box), text_(box->text()) {}

    void Allow(const QString &text) { text_ = text; }

    State validate(QString &input, int &position) const override
    {
        if (input != text_) {
            input = text_;
            position = static_cast<int>(text_.size());
        }
        return Acceptable;
    }

private:
    QString text_;
};

} // namespace

void HoldTextBox(QLineEdit *Box, bool Hold)
{
    Box->setReadOnly(Hold);
    if (Hold) {
        Box->setValidator(new HeldText(Box));
        return;
    }
    const QValidator *held = Box->validator();
    Box->setValidator(nullptr);
    delete held;
}

void SetBoxText(QLineEdit *Box, const QString &Text)
{
    if (auto *held = const_cast<HeldText *>(dynamic_cast<const HeldText *>(Box->validator())))
        held->Allow(Text);
    Box->setText(Text);
}

void HoldTextBoxes(TForm &Form, bool Hold)
{
    const TFormDescription &description = Form.Description();
    for (std::size_t i = 0; i < description.Controls.size(); ++i) {
        if (description.Controls[i].Class == TControlClass::Edit)
            HoldTextBox(static_cast<QLineEdit *>(Form.Native().controls[i]), Hold);
    }
}

} // namespace comsend
