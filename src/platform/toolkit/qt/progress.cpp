// The progress box on Qt: a dialog above its form, modal in comsend's way
// (boxmodality.h), so that the user's close of the main window still
// cancels the work and ends the program.
#include "boxmodality.h"
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
        show();
        activateWindow();
        if (cancel != nullptr)
            cancel->setFocus();
    }
    void Update(bool Redraw) override
    {
        if (Redraw)
            Refresh();
        QApplication::processEvents();
    }
    bool CancelRequested() const override { return cancelled_; }

private:
    void Refresh()
    {
        const TProgress progress = work_.Progress();
        text_->setText(FromAnsiString(progress.Text));
        if (bar_ != nullptr)
            bar_->setValue(ProgressPosition(progress));
    }

    const TProgressWork &work_;
    const BoxModality modality_{this};
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
