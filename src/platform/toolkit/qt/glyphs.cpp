#include "glyphs.h"

#include <QInputMethodQueryEvent>
#include <QPixmap>
#include <QWidget>

// The stock kinds' glyphs, 16 x 16 in 16 colours, the same images the
// Windows build carries as icons. Compiled in, they cost nothing at
// start-up; the style's own glyphs come from image files whose reader loads
// every image-format plugin first.
// NOLINTBEGIN: pixel data in the XPM format
#include "toolkit/glyphs/abort.xpm"
#include "toolkit/glyphs/ok.xpm"
#include "toolkit/glyphs/retry.xpm"
// NOLINTEND

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
    const char *const *xpm = nullptr;
    switch (Kind) {
    case TBitBtnKind::bkOK:
        xpm = glyph_ok;
        break;
    case TBitBtnKind::bkRetry:
        xpm = glyph_retry;
        break;
    case TBitBtnKind::bkAbort:
        xpm = glyph_abort;
        break;
    case TBitBtnKind::bkCustom:
        break;
    }
    return xpm != nullptr ? QIcon(QPixmap(xpm)) : QIcon();
}

void AskForChineseInput(QWidget *Box)
{
    Box->installEventFilter(new ChineseInputMode(Box));
}

} // namespace comsend
