// What a Send that stopped part-way leaves in the text box and tells the
// user, in whatever narrow encoding the system has: UTF-8 on most Linux
// systems, Big5 under zh_TW.BIG5 or on a Traditional Chinese Windows.
#include "reports.h"
#include "support/narrow.h"

#include <gtest/gtest.h>

#include <string>

using namespace comsend;

namespace {

std::string Lines(const AnsiString &message)
{
    return message.c_str();
}

} // namespace

TEST(PartialSend, KeepsExactlyWhatDidNotGoOut)
{
    const PartialSend partial(Narrow("abcdef"), 4, ERROR_TIMEOUT);
    EXPECT_STREQ(partial.Unsent().c_str(), "ef");
    EXPECT_EQ(Lines(partial.Message()),
              "Send Fail!\n" + SysErrorMessage(ERROR_TIMEOUT) + "\n4 of 6 bytes were sent.");
}

TEST(PartialSend, NothingSentKeepsTheWholeText)
{
    const PartialSend partial(Narrow("abc"), 0, ERROR_OPERATION_ABORTED);
    EXPECT_STREQ(partial.Unsent().c_str(), "abc");
    EXPECT_EQ(Lines(partial.Message()), "Send cancelled.\n0 of 3 bytes were sent.");
}

// The line stopped after the first byte of a character: it arrived broken,
// so it is not sent again, and the message names it.
TEST(PartialSend, CharacterCutOffIsNotSentAgain)
{
    const AnsiString text = Narrow("ab傳c");
    if (!text.IsRepresentable())
        GTEST_SKIP() << "the system's encoding has no 傳 (a single-byte code page)";
    const std::size_t width = text.Length() - 3;
    ASSERT_GE(width, 2U);
    const std::string character(text.c_str() + 2, width);

    const PartialSend partial(text, 3, ERROR_TIMEOUT);
    EXPECT_STREQ(partial.Unsent().c_str(), "c");
    EXPECT_EQ(Lines(partial.Message()),
              "Send Fail!\n" + SysErrorMessage(ERROR_TIMEOUT) + "\n3 of " + std::to_string(width + 3)
                  + " bytes were sent.\nThe character \"" + character + "\" was cut off after 1 of its "
                  + std::to_string(width) + " bytes; it is not sent again.");

    const PartialSend whole(text, static_cast<DWORD>(2 + width), ERROR_TIMEOUT);
    EXPECT_STREQ(whole.Unsent().c_str(), "c");
    EXPECT_EQ(Lines(whole.Message()).find("cut off"), std::string::npos);
}
