#include "textcodec.h"

#include "posix/narrowtext.h"
#include "toolkit/backend.h"

#include <QString>
#include <QStringEncoder>

namespace comsend {

std::optional<std::string> EncodeText(const QString &text, const char *codeset)
{
    if (text.contains(QChar(u'\0')))
        return std::nullopt;
    QStringEncoder toUtf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QByteArray utf8 = toUtf8.encode(text);
    if (toUtf8.hasError())
        return std::nullopt; // a lone surrogate is no character at all
    return FromUtf8(std::string(utf8.constData(), static_cast<std::size_t>(utf8.size())), codeset);
}

QString DecodeText(const std::string &narrow, const char *codeset)
{
    if (const auto utf8 = ToUtf8(narrow, codeset))
        return QString::fromUtf8(utf8->data(), static_cast<qsizetype>(utf8->size()));
    QString decoded;
    for (const char byte : narrow) {
        const auto code = static_cast<unsigned char>(byte);
        decoded += code < 0x80 ? QChar(code) : QChar(QChar::ReplacementCharacter);
    }
    return decoded;
}

AnsiString ToAnsiString(const QString &text)
{
    if (const auto narrow = EncodeText(text, LocaleCodeset()))
        return {narrow->c_str()};
    return AnsiString::Unrepresentable(text.toStdString());
}

QString FromAnsiString(const AnsiString &text)
{
    if (!text.IsRepresentable())
        return QString::fromStdString(text.UnrepresentableText());
    return DecodeText(text.c_str(), LocaleCodeset());
}

std::size_t NarrowCharacterLength(std::string_view Narrow)
{
    return LocaleCharacterLength(Narrow);
}

} // namespace comsend
