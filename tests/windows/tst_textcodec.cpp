// The text's conversion in the ANSI code pages a Windows system may have:
// Big5 (950), a Western one (1252) and UTF-8 itself (65001, where Windows is
// set to use UTF-8 for programs that are not Unicode), whatever the code
// page of the system the test runs on.
#include "textcodec.h"

#include <gtest/gtest.h>

using comsend::EncodeText;

TEST(TextCodec, EachCodePageByItsOwnRules)
{
    const std::wstring chinese = L"傳送";
    EXPECT_EQ(EncodeText(chinese, 65001), "\xE5\x82\xB3\xE9\x80\x81");
    EXPECT_EQ(EncodeText(chinese, 950), "\xB6\xC7\xB0\x65");
    EXPECT_EQ(EncodeText(chinese, 1252), std::nullopt);
    EXPECT_EQ(EncodeText(L"caf\u00E9", 1252), "caf\xE9");
    // A lone surrogate is no character in any of them; nor is a NUL
    // anything a NUL-terminated text can carry.
    for (const unsigned codePage : {65001U, 950U, 1252U}) {
        EXPECT_EQ(EncodeText(std::wstring(L"a") + wchar_t{0xD800}, codePage), std::nullopt) << codePage;
        EXPECT_EQ(EncodeText(std::wstring(L"a\0b", 3), codePage), std::nullopt) << codePage;
    }
}
