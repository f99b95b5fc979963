// What a Send that did not finish leaves in the text box and tells the
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

SendAccount Sent(DWORD error, DWORD atLeast, DWORD atMost, PortStage stage = PortStage::Held)
{
    return {.error = error, .stage = stage, .atLeast = atLeast, .atMost = atMost};
}

} // namespace

TEST(PartialSend, AnExactCountKeepsExactlyWhatDidNotGoOut)
{
    const PartialSend stalled(Narrow("abcdef"), Sent(ERROR_SEND_STALLED, 4, 4));
    EXPECT_STREQ(stalled.Unsent().c_str(), "ef");
    EXPECT_EQ(Lines(stalled.Message()),
              "Send Fail!\nThe device stopped taking bytes.\n4 of 6 bytes were sent.");

    const PartialSend cancelled(Narrow("abc"), Sent(ERROR_SEND_CANCELLED, 0, 0));
    EXPECT_STREQ(cancelled.Unsent().c_str(), "abc");
    EXPECT_EQ(Lines(cancelled.Message()), "Send cancelled.\n0 of 3 bytes were sent.");

    // A driver's own abort is a failure, not the user's cancel.
    const PartialSend aborted(Narrow("abc"), Sent(ERROR_OPERATION_ABORTED, 1, 1));
    EXPECT_EQ(Lines(aborted.Message()).rfind("Send Fail!\n", 0), 0U) << Lines(aborted.Message());
    EXPECT_NE(Lines(aborted.Message()).find("\n1 of 3 bytes was sent."), std::string::npos);
}

// When the driver could not say what it still held, the box keeps everything
// from the first byte not known to have left, and the message says how much
// a retry may repeat.
TEST(PartialSend, ARangeKeepsEverythingNotKnownToHaveLeft)
{
    const PartialSend gone(Narrow("0123456789"), Sent(ERROR_SEND_STALLED, 2, 7));
    EXPECT_STREQ(gone.Unsent().c_str(), "23456789");
    EXPECT_EQ(Lines(gone.Message()), "Send Fail!\nThe device stopped taking bytes.\n"
                                     "Between 2 and 7 of 10 bytes were sent.\n"
                                     "The text box keeps everything after the first 2 bytes: "
                                     "sending it again may repeat up to 5 bytes.");
    const PartialSend lost(Narrow("0123456789"), Sent(ERROR_SEND_STALLED, 0, 7));
    EXPECT_STREQ(lost.Unsent().c_str(), "0123456789");
    EXPECT_NE(Lines(lost.Message())
                  .find("\nThe text box keeps the whole text: sending it again may repeat up to 7"),
              std::string::npos);
}

// Nothing left before the write: the count says so too.
TEST(PartialSend, NothingSentBeforeTheWrite)
{
    const PartialSend refused(Narrow("abc"), Sent(ERROR_INVALID_PARAMETER, 0, 0, PortStage::Settings));
    EXPECT_STREQ(refused.Unsent().c_str(), "abc");
    EXPECT_EQ(Lines(refused.Message()),
              "Send Fail!\nThe port does not take the line settings.\n0 of 3 bytes were sent.");

    const AnsiString nul = AnsiString::Unrepresentable(std::string("a\0b", 3));
    const PartialSend unsendable(nul, Sent(ERROR_NO_UNICODE_TRANSLATION, 0, 0));
    EXPECT_EQ(unsendable.Unsent(), nul);
    EXPECT_EQ(Lines(unsendable.Message()), "Send Fail!\nThe text has a character that the system's encoding "
                                           "cannot carry.\nNo byte was sent.");
}

// The line stopped after the first byte of a character: it arrived broken,
// so it is not sent again, and the message names it. Where the count is a
// range, the character may not have left at all, so it is kept.
TEST(PartialSend, ACharacterCutOff)
{
    const AnsiString text = Narrow("ab傳c");
    if (!text.IsRepresentable())
        GTEST_SKIP() << "the system's encoding has no 傳 (a single-byte code page)";
    const std::size_t width = text.Length() - 3;
    ASSERT_GE(width, 2U);
    const std::string character(text.c_str() + 2, width);

    const PartialSend cut(text, Sent(ERROR_SEND_STALLED, 3, 3));
    EXPECT_STREQ(cut.Unsent().c_str(), "c");
    EXPECT_NE(Lines(cut.Message())
                  .find("\nThe character \"" + character + "\" was cut off after 1 of its "
                        + std::to_string(width) + " bytes; it is not sent again."),
              std::string::npos)
        << Lines(cut.Message());

    const PartialSend whole(
        text, Sent(ERROR_SEND_STALLED, static_cast<DWORD>(2 + width), static_cast<DWORD>(2 + width)));
    EXPECT_STREQ(whole.Unsent().c_str(), "c");
    EXPECT_EQ(Lines(whole.Message()).find("cut off"), std::string::npos);

    const PartialSend unsure(text, Sent(ERROR_SEND_STALLED, 3, 4));
    EXPECT_STREQ(unsure.Unsent().c_str(), (character + "c").c_str());
    EXPECT_EQ(Lines(unsure.Message()).find("cut off"), std::string::npos);
    EXPECT_NE(Lines(unsure.Message()).find("keeps everything after the first 2 bytes"), std::string::npos);
}

// An adapter back under another name is named last, with what to do; after
// a Disconnect, only the Connect is left to do.
TEST(PartialSend, WhereTheAdapterIsBack)
{
    const PartialSend gone(Narrow("abc"), Sent(ERROR_SEND_STALLED, 1, 1), "/dev/ttyUSB1");
    EXPECT_TRUE(Lines(gone.Message())
                    .ends_with("\n1 of 3 bytes was sent.\nThe adapter is back as /dev/ttyUSB1: "
                               "Disconnect, then Connect to that name."))
        << Lines(gone.Message());
    EXPECT_EQ(Lines(DisconnectMessage("/dev/ttyUSB1")),
              "Disconnect!\nThe adapter is back as /dev/ttyUSB1: Connect to that name.");
    EXPECT_EQ(Lines(DisconnectMessage("")), "Disconnect!");
}
