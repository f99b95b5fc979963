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

struct ProgressBox::Window : QDialog {
    explicit Window(const TProgressWork &work) : QDialog(QApplication::activeWindow()), work_(work)
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

ProgressBox::ProgressBox(const TProgressWork &Work) : window_(std::make_unique<Window>(Work)) {}

ProgressBox::~ProgressBox() = default;

void ProgressBox::Update(bool Redraw)
{
    if (Redraw)
        window_->Refresh();
    QApplication::processEvents();
}

bool ProgressBox::CancelRequested() const
{
    return window_->cancelled_;
}

} // namespace comsend
