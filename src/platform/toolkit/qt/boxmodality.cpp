#include "boxmodality.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace comsend {

namespace {

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

bool IsKeyRepeat(const QEvent *event)
{
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease
                     || event->type() == QEvent::ShortcutOverride;
    return key && static_cast<const QKeyEvent *>(event)->isAutoRepeat();
}

} // namespace

BoxModality::BoxModality(QWidget *Box) : box_(Box)
{
    qApp->installEventFilter(this);
}

BoxModality::~BoxModality()
{
    qApp->removeEventFilter(this);
}

bool BoxModality::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (widget == nullptr || !IsUserInput(event->type()))
        return false;
    return widget->window() != box_ || IsKeyRepeat(event);
}

} // namespace comsend
