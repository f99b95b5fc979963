// Up and Down in a text box step through the texts it recalls
// (toolkit/textrecall.h). A QLineEdit has no use of its own for them, so a
// filter takes them before it; a held box (heldtext.h) is read-only and
// takes neither.
#include "native.h"
#include "toolkit/backend.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace comsend {

namespace {

class RecallKeys : public QObject {
public:
    RecallKeys(QLineEdit *box, TEdit &edit) : QObject(box), box_(box), edit_(edit) {}

    bool eventFilter(QObject * /*watched*/, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || box_->isReadOnly())
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        // The keypad's arrows carry KeypadModifier; any other modifier is
        // another shortcut.
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier
            || (key->key() != Qt::Key_Up && key->key() != Qt::Key_Down))
            return false;
        edit_.StepRecall(key->key() == Qt::Key_Up);
        return true;
    }

private:
    QLineEdit *box_;
    TEdit &edit_;
};

} // namespace

void BindRecallKeys(TEdit &Edit)
{
    auto *box = static_cast<QLineEdit *>(WidgetOf(Edit));
    box->installEventFilter(new RecallKeys(box, Edit));
}

} // namespace comsend
