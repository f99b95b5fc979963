// The application object on Qt: the QApplication, what its start needs
// first (the signals that end the program, what a run takes from the
// system, the toolkit's run-time folder), the window loop, message boxes,
// and the end of the program on a close request.
#include "boxmodality.h"
#include "closesignals.h"
#include "native.h"
#include "textcodec.h"
#include "toolkit/backend.h"

#include "posix/endingsignals.h"
#include "posix/quickexit.h"
#include "posix/startreserve.h"

#include <QClipboard>
#include <QEventLoop>
#include <QFile>
#include <QFont>
#include <QIcon>
#include <QImageReader>
#include <QMessageBox>
#include <QPixmap>
#include <QShortcut>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <unistd.h>
#include <utility>

namespace comsend {

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

// What Qt says while it starts, held back until it is known whether the
// window system came up.
QStringList startupMessages;

// Qt ends the process with abort() when its window system cannot start,
// after messages that blame the installation. Where that happens while the
// toolkit starts, the user is told in one line what is missing instead, and
// the process ends with status 1.
void NoWindowSystem(QtMsgType type, const QMessageLogContext & /*context*/, const QString &message)
{
    if (type != QtFatalMsg) {
        startupMessages << message;
        return;
    }
    const bool noDisplay = std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr;
    // The first thing Qt said is the cause ("could not connect to display :9").
    const QString cause = startupMessages.isEmpty() ? message : startupMessages.front();
    if (noDisplay)
        std::fprintf(stderr,
                     "comsend: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are unset)\n");
    else
        std::fprintf(stderr, "comsend: no display to show the window on: %s\n",
                     qPrintable(cause.section('\n', 0, 0).trimmed()));
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

} // namespace

// Modal in comsend's way (boxmodality.h): a close request for the main
// window ends the box's loop with the others, at once. Ctrl+C copies the
// text, as a Windows message box does, so that a command the box advises
// can be pasted into a terminal; Qt has that only on Windows.
void ShowBox(BoxKind Kind, const AnsiString &Text)
{
    QMessageBox box(Kind == BoxKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QApplication::applicationName(), FromAnsiString(Text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    new QShortcut(QKeySequence::Copy, &box, [&box] { QGuiApplication::clipboard()->setText(box.text()); });
    box.setWindowModality(Qt::NonModal); // a message box is born modal
    const BoxModality modality(&box);
    QEventLoop loop;
    QObject::connect(&box, &QDialog::finished, &loop, &QEventLoop::quit);
    box.show();
    box.activateWindow();
    loop.exec();
}

bool ToolkitStarted()
{
    return QApplication::instance() != nullptr;
}

TApplication::TApplication(std::string ProgramName)
    : TComponent(nullptr), programName_(std::move(ProgramName)),
      native_(std::make_unique<NativeApplication>())
{}

// The forms own the toolkit's windows, so they go before the toolkit does.
TApplication::~TApplication()
{
    mainForm_ = nullptr;
    DestroyComponents();
}

namespace {

// Qt looks into XDG_RUNTIME_DIR while it starts; where the variable is
// unset, as after su or in a bare session, it makes the folder
// runtime-<user> in the temporary directory instead, and that stays behind
// after the program. There, Qt is given a private folder for the run,
// removed again at every end of the process.
void ProvideRuntimeDirectory()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const QByteArray temporary = qgetenv("TMPDIR");
    QByteArray path = (temporary.isEmpty() ? QByteArray("/tmp") : temporary) + "/comsend-XXXXXX";
    // Without a folder of its own Qt makes its usual one: the program goes on.
    if (::mkdtemp(path.data()) == nullptr)
        return;
    if (!RemoveAtEnd(path.constData())) {
        ::rmdir(path.constData());
        return;
    }
    qputenv("XDG_RUNTIME_DIR", path);
}

// Short of what a run takes, the program says so in one line and ends with
// status 1 before there is any window.
[[noreturn]] void CannotStart(const std::string &why)
{
    std::fprintf(stderr, "comsend: %s\n", why.c_str());
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

void StartToolkit(NativeApplication &native, std::string &programName)
{
    EndOnSignals();
    if (const std::string missing = ShortOfStartResources(); !missing.empty())
        CannotStart(missing);
    ProvideRuntimeDirectory();
    // With X's shared memory, every new picture of a window (a message box's
    // included) comes with a descriptor over the X connection; where none is
    // free, the connection breaks and the window loop waits for it forever.
    // The windows are small: their pictures go over the connection instead.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    // The toolkit is given the program's name only: nothing on the command
    // line, not even the toolkit's own options, has any effect.
    native.argv[0] = programName.data();
    const QtMessageHandler previous = qInstallMessageHandler(NoWindowSystem);
    try {
        native.toolkit = std::make_unique<QApplication>(native.argc, native.argv.data());
    } catch (const std::bad_alloc &) {
        CannotStart("not enough memory to start");
    }
    qInstallMessageHandler(previous);
    for (const QString &message : std::exchange(startupMessages, {}))
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

void TApplication::Initialize()
{
    if (QApplication::instance() == nullptr)
        StartToolkit(*native_, programName_);
    QApplication::setQuitOnLastWindowClosed(false);
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.comsend.Comsend"));
    SubstituteFonts();
    // Programs built without the icon resource (the tests) keep Qt's default.
    if (QFile::exists(QStringLiteral(":/MAINICON")))
        QApplication::setWindowIcon(ReadXpmIcon(QStringLiteral(":/MAINICON")));
    native_->closeSignals = std::make_unique<CloseSignals>();
}

void RunWindowLoop()
{
    QApplication::exec();
}

// Every loop of the thread ends, not only the innermost.
void EndWindowLoops()
{
    QApplication::exit(0);
}

} // namespace comsend
