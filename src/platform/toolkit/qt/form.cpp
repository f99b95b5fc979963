// A form's window and controls, built from its description: one widget per
// control, placed at the description's pixels, in the description's order.
#include "formwindow.h"
#include "glyphs.h"
#include "native.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include <climits>
#include <cmath>

namespace comsend {

namespace {

QString Utf8(const char *text)
{
    return QString::fromUtf8(text);
}

// Font heights are pixels at the design resolution; Qt sizes fonts in points.
QFont FontOf(const TFontDescription &description, int pixelsPerInch)
{
    QFont font(Utf8(description.Name));
    const double points = std::abs(description.Height) * 72.0 / pixelsPerInch;
    font.setPointSize(static_cast<int>(std::lround(points)));
    font.setBold(description.Bold);
    return font;
}

QWidget *CreateLabel(const TControlDescription &d, QWidget *window)
{
    auto *label = new QLabel(Utf8(d.Text), window);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QWidget *CreateComboBox(const TControlDescription &d, QWidget *window)
{
    auto *box = new QComboBox(window);
    box->setEditable(true);
    // The port name is taken exactly as typed: Enter never adds it to the
    // list, and nothing completes it from the list.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    for (const char *item : d.Items)
        box->addItem(Utf8(item));
    if (d.ItemHeight > 0) {
        for (int i = 0; i < box->count(); ++i)
            box->setItemData(i, QSize(0, d.ItemHeight), Qt::SizeHintRole);
    }
    box->setEditText(Utf8(d.Text));
    return box;
}

QWidget *CreateBitBtn(const TControlDescription &d, QWidget *window)
{
    auto *button = new QPushButton(Utf8(d.Text), window);
    button->setAutoDefault(false);
    button->setIcon(GlyphOfKind(d.Kind));
    return button;
}

QWidget *CreateEdit(const TControlDescription &d, QWidget *window)
{
    auto *edit = new QLineEdit(Utf8(d.Text), window);
    edit->setMaxLength(INT_MAX); // no limit: no typed text is cut
    if (d.ImeMode == TImeMode::imChinese)
        AskForChineseInput(edit);
    return edit;
}

QWidget *CreateMemo(const TControlDescription &d, QWidget *window)
{
    auto *memo = new QPlainTextEdit(Utf8(d.Text), window);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setTabChangesFocus(true);
    return memo;
}

QWidget *CreateControl(const TControlDescription &d, QWidget *window)
{
    switch (d.Class) {
    case TControlClass::Label:
        return CreateLabel(d, window);
    case TControlClass::ComboBox:
        return CreateComboBox(d, window);
    case TControlClass::BitBtn:
        return CreateBitBtn(d, window);
    case TControlClass::Edit:
        return CreateEdit(d, window);
    case TControlClass::Memo:
        return CreateMemo(d, window);
    }
    return nullptr;
}

void Place(QWidget *widget, const TControlDescription &d, const TFormDescription &form)
{
    widget->setObjectName(QString::fromLatin1(d.Name));
    if (d.Font != nullptr)
        widget->setFont(FontOf(*d.Font, form.PixelsPerInch));
    widget->setGeometry(d.Left, d.Top, d.Width, d.Height);
    if (d.AutoSize)
        widget->adjustSize();
    widget->setEnabled(d.Enabled);
    if (d.AccessibleName != nullptr)
        widget->setAccessibleName(Utf8(d.AccessibleName));
    if (d.AccessibleDescription != nullptr)
        widget->setAccessibleDescription(Utf8(d.AccessibleDescription));
}

// Labels name their control for screen readers; Tab follows TabOrder.
void Connect(const TFormDescription &form, const std::vector<QWidget *> &controls)
{
    for (std::size_t i = 0; i < form.Controls.size(); ++i) {
        const char *target = form.Controls[i].FocusControl;
        if (const TControlDescription *named = target != nullptr ? form.Find(target) : nullptr)
            static_cast<QLabel *>(controls[i])->setBuddy(controls[form.IndexOf(*named)]);
    }
    const std::vector<std::size_t> stops = form.TabStops();
    for (std::size_t i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(controls[stops[i - 1]], controls[stops[i]]);
    if (!stops.empty())
        controls[stops.front()]->setFocus();
}

} // namespace

TForm::TForm(TComponent *Owner, const TFormDescription &Description,
             std::initializer_list<comsend::PublishedMethod> Methods)
    : TComponent(Owner), description_(Description), methods_(Methods), native_(std::make_unique<NativeForm>())
{
    native_->window = std::make_unique<FormWindow>(this);
    QWidget *window = native_->window.get();
    window->setObjectName(QString::fromLatin1(Description.Name));
    window->setWindowTitle(Utf8(Description.Caption));
    window->setFont(FontOf(Description.Font, Description.PixelsPerInch));
    // Without a window manager the window is exactly this size; with one,
    // Qt cannot know the frame before the window is mapped, so it is the
    // client area that gets it.
    window->resize(Description.Width, Description.Height);
    // The controls stand at fixed pixels, so a larger window only shows more
    // background; no larger than the desktop, it never makes the toolkit
    // paint and hold gigabytes because another client asked for a huge one.
    window->setMaximumSize(window->screen()->virtualSize().expandedTo(window->size()));
    for (const TControlDescription &control : Description.Controls) {
        QWidget *widget = CreateControl(control, window);
        Place(widget, control, Description);
        native_->controls.push_back(widget);
    }
    Connect(Description, native_->controls);
}

TForm::~TForm() = default;

void TForm::Show()
{
    native_->window->move(description_.Left, description_.Top);
    native_->window->show();
}

QWidget *WindowOf(const TForm &Form)
{
    return Form.Native().window.get();
}

} // namespace comsend
