// The toolkit's floor for comsend's start-up: the same window, built straight
// with Qt Widgets and nothing else. Same nine controls, same geometry, same
// fonts (and the same stand-ins for the faces that are missing), same title
// and place on the screen; no handlers, no serial code, no icon. Whatever
// comsend spends above this program is comsend's own.
//
// Built with FLOOR_GLYPHS, the three buttons also show the style's stock
// glyphs that comsend's buttons show (OK, retry, abort), fetched the same
// way: that variant tells how much of comsend's start-up those glyphs take.
// Built with FLOOR_XPM_GLYPHS instead, they show a glyph compiled into the
// program as XPM, which Qt decodes without its image reader: that variant
// tells what a glyph costs when no image file has to be read.
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QWidget>

#ifdef FLOOR_XPM_GLYPHS
#include <QIcon>
#include <QPixmap>

// A check mark, 16 by 16.
// clang-format off
static const char *const check_xpm[] = {
    "16 16 2 1",
    ". c None",
    "g c #008000",
    "................",
    "................",
    "..............g.",
    ".............gg.",
    "............ggg.",
    "...........ggg..",
    "..........ggg...",
    ".g.......ggg....",
    ".gg.....ggg.....",
    ".ggg...ggg......",
    "..ggg.ggg.......",
    "...ggggg........",
    "....ggg.........",
    ".....g..........",
    "................",
    "................",
};
// clang-format on
#endif

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QFont::insertSubstitutions(QStringLiteral("新細明體"),
                               {QStringLiteral("AR PL UMing TW"), QStringLiteral("AR PL UMing TW MBE"),
                                QStringLiteral("Noto Serif CJK TC"), QStringLiteral("AR PL New Sung")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});

    QWidget form;
    form.setObjectName("Form1");
    form.setWindowTitle(QStringLiteral("Form1"));
    form.resize(404, 186);
    QFont formFont;
    formFont.setFamilies({QStringLiteral("MS Sans Serif")});
    formFont.setPointSize(8);
    form.setFont(formFont);

    QFont labelFont;
    labelFont.setFamilies({QStringLiteral("新細明體")});
    labelFont.setPointSize(12);
    labelFont.setBold(true);

    auto *label1 = new QLabel(QStringLiteral("選擇連接埠"), &form);
    label1->setGeometry(48, 16, 85, 16);
    label1->setFont(labelFont);
    label1->setTextFormat(Qt::PlainText);

    auto *combo = new QComboBox(&form);
    combo->addItems({QStringLiteral("COM1"), QStringLiteral("COM2")});
    combo->setGeometry(16, 48, 145, 21);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);

    auto *connect = new QPushButton(QStringLiteral("Connect"), &form);
    connect->setGeometry(176, 48, 97, 25);
    connect->setAutoDefault(false);

    auto *disconnect = new QPushButton(QStringLiteral("Disconnect"), &form);
    disconnect->setGeometry(272, 48, 97, 25);
    disconnect->setAutoDefault(false);

    auto *edit = new QLineEdit(&form);
    edit->setGeometry(16, 112, 273, 21);
    edit->setMaxLength(2147483647);

    auto *label2 = new QLabel(QStringLiteral("傳送的文字"), &form);
    label2->setGeometry(48, 88, 85, 16);
    label2->setFont(labelFont);
    label2->setTextFormat(Qt::PlainText);

    auto *send = new QPushButton(QStringLiteral("Send"), &form);
    send->setGeometry(296, 112, 75, 25);
    send->setEnabled(false);
    send->setAutoDefault(false);

    auto *memo = new QPlainTextEdit(QStringLiteral("Memo1"), &form);
    memo->setGeometry(200, 8, 129, 33);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setTabChangesFocus(true);

    auto *label3 = new QLabel(QStringLiteral("Label3"), &form);
    label3->setGeometry(216, 88, 32, 13);
    label3->setTextFormat(Qt::PlainText);

    QWidget::setTabOrder(combo, connect);
    QWidget::setTabOrder(connect, disconnect);
    QWidget::setTabOrder(disconnect, edit);
    QWidget::setTabOrder(edit, send);
    QWidget::setTabOrder(send, memo);

#ifdef FLOOR_GLYPHS
    const auto glyph = [&form](QStyle::StandardPixmap wanted, QStyle::StandardPixmap fallback) {
        const QIcon icon = form.style()->standardIcon(wanted);
        return icon.isNull() ? form.style()->standardIcon(fallback) : icon;
    };
    connect->setIcon(glyph(QStyle::SP_DialogRetryButton, QStyle::SP_BrowserReload));
    disconnect->setIcon(glyph(QStyle::SP_DialogAbortButton, QStyle::SP_BrowserStop));
    send->setIcon(glyph(QStyle::SP_DialogOkButton, QStyle::SP_DialogApplyButton));
#endif
#ifdef FLOOR_XPM_GLYPHS
    const QIcon check{QPixmap(check_xpm)};
    connect->setIcon(check);
    disconnect->setIcon(check);
    send->setIcon(check);
#endif

    form.move(192, 107);
    form.show();
    return QApplication::exec();
}
