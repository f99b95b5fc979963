// The runtime's start-up on POSIX: everything but the program's name is left
// behind, a locale the environment names but the machine lacks is reported,
// and WinMain takes over.
//
// When one locale the environment names does not exist, the C library's
// setlocale(LC_ALL, "") refuses them all and leaves the program in the "C"
// locale, whose encoding is ASCII: a Big5 or UTF-8 user would otherwise only
// find out when Send refuses Chinese text. Qt makes that call while its
// application object is constructed, and a newer Qt than Debian 12's
// switches the character type to a UTF-8 locale afterwards; so the check
// runs as a Qt start-up routine, after both, and names the encoding the
// text is really sent in.
#include "platform/application.h"
#include "winmain.h"

#include <QCoreApplication>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <langinfo.h>
#include <string>

namespace comsend {

namespace {

struct Category {
    int mask;
    const char *variable;
};

// Every category setlocale(LC_ALL, "") sets. LC_CTYPE, which decides the
// encoding, comes first.
constexpr Category kCategories[] = {
    {LC_CTYPE_MASK, "LC_CTYPE"},
    {LC_NUMERIC_MASK, "LC_NUMERIC"},
    {LC_TIME_MASK, "LC_TIME"},
    {LC_COLLATE_MASK, "LC_COLLATE"},
    {LC_MONETARY_MASK, "LC_MONETARY"},
    {LC_MESSAGES_MASK, "LC_MESSAGES"},
    {LC_PAPER_MASK, "LC_PAPER"},
    {LC_NAME_MASK, "LC_NAME"},
    {LC_ADDRESS_MASK, "LC_ADDRESS"},
    {LC_TELEPHONE_MASK, "LC_TELEPHONE"},
    {LC_MEASUREMENT_MASK, "LC_MEASUREMENT"},
    {LC_IDENTIFICATION_MASK, "LC_IDENTIFICATION"},
};

// The locale the environment names for a category, looked up in the C
// library's order.
std::string NamedLocale(const char *variable)
{
    for (const char *name : {"LC_ALL", variable, "LANG"}) {
        const char *value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return value;
    }
    return "C";
}

// The first locale the environment names that the C library cannot load,
// or "" when it can load them all.
std::string MissingLocale()
{
    for (const Category &category : kCategories) {
        const locale_t loaded = ::newlocale(category.mask, "", nullptr);
        if (loaded == nullptr)
            return NamedLocale(category.variable);
        ::freelocale(loaded);
    }
    return {};
}

// How to generate a locale on Debian: its line in /etc/locale.gen is its
// name and its character set, which the name carries after the dot
// ("zh_TW.BIG5 BIG5").
std::string HowToGenerate(const std::string &locale)
{
    const std::size_t dot = locale.find('.');
    const std::size_t charsetEnd = locale.find('@', dot);
    const std::string charset =
        dot == std::string::npos ? std::string() : locale.substr(dot + 1, charsetEnd - dot - 1);
    if (charset.empty()) {
        return "add it to /etc/locale.gen with its character set (as /usr/share/i18n/SUPPORTED "
               "lists it) and run locale-gen as root";
    }
    return "add the line \"" + locale + " " + charset + "\" to /etc/locale.gen and run locale-gen as root";
}

void ReportNow()
{
    const std::string missing = MissingLocale();
    if (missing.empty())
        return;
    std::fprintf(stderr,
                 "comsend: the locale \"%s\" does not exist on this machine, so text is sent in %s; to "
                 "generate it, %s\n",
                 missing.c_str(), ::nl_langinfo(CODESET), HowToGenerate(missing).c_str());
    std::fflush(stderr);
}

} // namespace

} // namespace comsend

int main(int argc, char *argv[])
{
    qAddPreRoutine(comsend::ReportNow);
    const comsend::ProgramRuntime runtime(argc > 0 ? argv[0] : nullptr);
    return WinMain(nullptr, nullptr, nullptr, SW_SHOWDEFAULT);
}
