#include "fonts.h"

#include "textcodec.h"

#include <cwchar>
#include <string>
#include <string_view>

namespace comsend {

namespace {

// Where the Traditional Chinese caption face is missing: PMingLiU is the
// English name of 新細明體 (Windows lists either, by the system's language);
// MingLiU and Microsoft JhengHei come with every Traditional Chinese Windows.
constexpr std::wstring_view kChineseFace = L"新細明體";
constexpr std::wstring_view kChineseStandIns[] = {L"PMingLiU", L"MingLiU", L"Microsoft JhengHei"};

int CALLBACK NoteFound(const LOGFONTW * /*font*/, const TEXTMETRICW * /*metrics*/, DWORD /*type*/,
                       LPARAM found)
{
    *reinterpret_cast<bool *>(found) = true;
    return 0; // one is enough
}

bool FaceExists(std::wstring_view face)
{
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    face.copy(query.lfFaceName, LF_FACESIZE - 1);
    bool found = false;
    HDC screen = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(screen, &query, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, screen);
    return found;
}

std::wstring ResolveFace(const std::wstring &face, const char *fallbackFace)
{
    if (FaceExists(face))
        return face;
    if (face == kChineseFace) {
        for (const std::wstring_view standIn : kChineseStandIns) {
            if (FaceExists(standIn))
                return std::wstring(standIn);
        }
    }
    return fallbackFace != nullptr ? WideFromUtf8(fallbackFace) : face;
}

} // namespace

FontHandle CreateDescribedFont(const TFontDescription &Font, int height, const char *fallbackFace)
{
    const std::wstring face = ResolveFace(WideFromUtf8(Font.Name), fallbackFace);
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWeight = Font.Bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = Font.Charset == TFontCharset::Ansi ? ANSI_CHARSET : DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return FontHandle(::CreateFontIndirectW(&font));
}

int ScreenDpi()
{
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

} // namespace comsend
