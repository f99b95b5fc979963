#include "application.h"

#include "form.h"
#include "textcodec.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QIcon>
#include <QImageReader>
#include <QMessageBox>
#include <QPixmap>

TApplication *Application = nullptr;

namespace {

// Stand-ins for the faces the form asks for where they are missing.
void SubstituteFonts()
{
    QFont::insertSubstitutions(QStringLiteral("新細明體"),
                               {QStringLiteral("AR PL UMing TW"), QStringLiteral("AR PL UMing TW MBE"),
                                QStringLiteral("Noto Serif CJK TC"), QStringLiteral("AR PL New Sung")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
}

// The icon is XPM, which Qt decodes itself. Handed to QIcon as a name without
// a suffix, it would first have the MIME database loaded to find out what the
// file is, which costs the start-up time and memory for nothing; and with
// format detection left on, the reader would still try every image-format
// plugin before its own XPM decoder.
QIcon ReadXpmIcon(const QString &Path)
{
    QImageReader reader(Path, "xpm");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

QString Title()
{
    return QApplication::applicationName();
}

void ShowBox(QMessageBox::Icon icon, const AnsiString &text)
{
    QMessageBox box(icon, Title(), FromAnsiString(text), QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

TApplication::TApplication(std::string ProgramName)
    : TComponent(nullptr), programName_(std::move(ProgramName)), argv_{programName_.data(), nullptr}
{}

TApplication::~TApplication()
{
    // The forms own widgets, so they go while the toolkit is still there.
    mainForm_ = nullptr;
    DestroyComponents();
    toolkit_.reset();
}

void TApplication::Initialize()
{
    // The toolkit is given the program's name only: nothing on the command
    // line, not even the toolkit's own options, has any effect.
    if (QApplication::instance() == nullptr)
        toolkit_ = std::make_unique<QApplication>(argc_, argv_);
    QApplication::setQuitOnLastWindowClosed(false);
    // A steady caret: the window has nothing to do while it waits, so it
    // wakes for nothing either.
    QApplication::setCursorFlashTime(0);
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.comsend.Comsend"));
    SubstituteFonts();
    // Programs built without the icon resource (the tests) keep Qt's default.
    if (QFile::exists(QStringLiteral(":/MAINICON")))
        QApplication::setWindowIcon(ReadXpmIcon(QStringLiteral(":/MAINICON")));
}

void TApplication::Run()
{
    if (mainForm_ == nullptr)
        return;
    mainForm_->Show();
    QApplication::exec();
}

void TApplication::ShowException(const Exception &E)
{
    ShowBox(QMessageBox::Critical, E.Message);
}

void TApplication::HandleException(TObject * /*Sender*/)
{
    try {
        throw;
    } catch (const Exception &exception) {
        ShowException(exception);
    } catch (...) {
        ShowException(Exception(""));
    }
}

void TApplication::FormClosed(TForm *Form)
{
    if (Form == mainForm_)
        QApplication::quit();
}

void ShowMessage(const AnsiString &Msg)
{
    ShowBox(QMessageBox::NoIcon, Msg);
}

ProgramRuntime::ProgramRuntime(const char *ProgramName)
    : application_(std::make_unique<TApplication>(ProgramName != nullptr ? ProgramName : "comsend"))
{
    Application = application_.get();
}

ProgramRuntime::~ProgramRuntime()
{
    Application = nullptr;
}
