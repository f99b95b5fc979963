#include "glyphs.h"

#include "toolkit/bitbtnglyphs.h"

#include <QInputMethodQueryEvent>
#include <QPixmap>
#include <QWidget>

namespace comsend {

namespace {

// Answers the input method's queries for a text box that wants Chinese
// entry: the widget's own answers, with zh_TW as the preferred language.
class ChineseInputMode : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::InputMethodQuery)
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        auto *query = static_cast<QInputMethodQueryEvent *>(event);
        for (unsigned bit = 0; bit < 32; ++bit) {
            const auto item = static_cast<Qt::InputMethodQuery>(query->queries().toInt() & (1U << bit));
            if (item == 0)
                continue;
            QVariant value = widget->inputMethodQuery(item);
            if (item == Qt::ImEnabled && !value.isValid())
                value = widget->isEnabled();
            if (item == Qt::ImPreferredLanguage)
                value = QStringLiteral("zh_TW");
            query->setValue(item, value);
        }
        query->accept();
        return true;
    }
};

} // namespace

QIcon GlyphOfKind(TBitBtnKind Kind)
{
    const char *const *xpm = GlyphXpm(Kind);
    return xpm != nullptr ? QIcon(QPixmap(xpm)) : QIcon();
}

void AskForChineseInput(QWidget *Box)
{
    Box->installEventFilter(new ChineseInputMode(Box));
}

} // namespace comsend
