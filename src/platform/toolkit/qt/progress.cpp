// The progress box on Qt. It is not modal in Qt's sense: Qt drops a close
// request for a window that a modal one blocks, and the user's close of the
// main window must still cancel the operation and end the program. The box
// blocks the other windows' input itself instead, and stays above its form.
#include "native.h"
#include "textcodec.h"

#include "toolkit/backend.h"

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

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

class QtProgressBox : public QDialog, public ProgressBox {
public:
    explicit QtProgressBox(const TProgressWork &work) : QDialog(QApplication::activeWindow()), work_(work)
    {
        setWindowTitle(QApplication::applicationName());
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(text_);
        const TProgress progress = work_.Progress();
        if (progress.Total != 0) {
            bar_ = new QProgressBar(this);
            bar_->setRange(0, kProgressScale);
            layout->addWidget(bar_);
        }
        QPushButton *cancel = nullptr;
        if (work_.Cancel) {
            cancel = new QPushButton(QStringLiteral("Cancel"), this);
            layout->addWidget(cancel, 0, Qt::AlignHCenter);
            connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        }
        connect(this, &QDialog::rejected, this, [this] { cancelled_ = true; });
        Refresh();
        qApp->installEventFilter(this);
        show();
        activateWindow();
        if (cancel != nullptr)
            cancel->setFocus();
    }
    ~QtProgressBox() override { qApp->removeEventFilter(this); }

    void Update() override
    {
        Refresh();
        QApplication::processEvents();
    }
    bool CancelRequested() const override { return cancelled_; }

protected:
    // The rest of the program takes no input while the box is up.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        return widget != nullptr && IsUserInput(event->type()) && widget->window() != this;
    }

private:
    void Refresh()
    {
        const TProgress progress = work_.Progress();
        text_->setText(FromAnsiString(progress.Text));
        if (bar_ != nullptr)
            bar_->setValue(ProgressPosition(progress));
    }

    const TProgressWork &work_;
    QLabel *text_ = new QLabel(this);
    QProgressBar *bar_ = nullptr;
    bool cancelled_ = false;
};

} // namespace

std::unique_ptr<ProgressBox> OpenProgressBox(const TProgressWork &Work)
{
    return std::make_unique<QtProgressBox>(Work);
}

} // namespace comsend
