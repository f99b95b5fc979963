#include "textcodec.h"

#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <iconv.h>
#include <langinfo.h>

namespace comsend {

namespace {

bool IsUtf8(const char *codeset)
{
    return ::strcasecmp(codeset, "UTF-8") == 0 || ::strcasecmp(codeset, "UTF8") == 0;
}

// An iconv conversion descriptor that closes itself.
class Converter {
public:
    Converter(const char *to, const char *from) : cd_(::iconv_open(to, from)) {}
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;
    ~Converter()
    {
        if (Valid())
            ::iconv_close(cd_);
    }
    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // The whole input converted, or nothing at the first byte that has no
    // form in the target.
    std::optional<std::string> Convert(const std::string &input)
    {
        std::string output(input.size() * 4 + 16, '\0');
        char *in = const_cast<char *>(input.data()); // iconv's signature; it never writes the input
        std::size_t inLeft = input.size();
        char *out = output.data();
        std::size_t outLeft = output.size();
        bool done = false;
        while (!done) {
            const std::size_t result = ::iconv(cd_, inLeft > 0 ? &in : nullptr, &inLeft, &out, &outLeft);
            if (result == static_cast<std::size_t>(-1) && errno == E2BIG) {
                const std::size_t used = output.size() - outLeft;
                output.resize(output.size() * 2);
                out = output.data() + used;
                outLeft = output.size() - used;
            } else if (result != 0) {
                return std::nullopt; // invalid input, or a character iconv would have replaced
            } else {
                done = inLeft == 0;
            }
        }
        output.resize(output.size() - outLeft);
        return output;
    }

private:
    iconv_t cd_;
};

const char *LocaleCodeset()
{
    return ::nl_langinfo(CODESET);
}

} // namespace

std::optional<std::string> EncodeText(const QString &text, const char *codeset)
{
    if (text.contains(QChar(u'\0')))
        return std::nullopt;
    QStringEncoder toUtf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QByteArray utf8 = toUtf8.encode(text);
    if (toUtf8.hasError())
        return std::nullopt; // a lone surrogate is no character at all
    std::string bytes(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    if (IsUtf8(codeset))
        return bytes;
    Converter converter(codeset, "UTF-8");
    return converter.Valid() ? converter.Convert(bytes) : std::nullopt;
}

QString DecodeText(const std::string &narrow, const char *codeset)
{
    const auto fromUtf8 = [](const std::string &bytes) {
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    };
    if (IsUtf8(codeset))
        return fromUtf8(narrow);
    Converter converter("UTF-8", codeset);
    if (const auto utf8 = converter.Valid() ? converter.Convert(narrow) : std::nullopt)
        return fromUtf8(*utf8);
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

std::size_t AnsiString::CharLengthAt(std::size_t Index) const
{
    if (Index >= narrow_.size())
        return 0;
    const std::size_t left = narrow_.size() - Index;
    std::mbstate_t state{};
    const std::size_t length = std::mbrlen(narrow_.data() + Index, left, &state);
    // A byte that starts no valid character counts as one character.
    return length == 0 || length > left ? 1 : length;
}

} // namespace comsend
