#include "engine/failure.h"
#include "engine/failure_policy.h"
#include "engine/text_search.h"

#include <gtest/gtest.h>

#include <string>

namespace orvelin {
namespace {

TEST(InStr, FindsTheFirstOccurrenceAtOrAfterTheStart)
{
    EXPECT_EQ(InStr(1, "abcabc", "bc", CompareMode::Exact), 2);
    EXPECT_EQ(InStr(3, "abcabc", "bc", CompareMode::Exact), 5);
    EXPECT_EQ(InStr(6, "abcabc", "bc", CompareMode::Exact), 0);
    EXPECT_EQ(InStr(1, "abcabc", "BC", CompareMode::Exact), 0);
}

TEST(InStr, TextCompareIgnoresLetterCaseOnly)
{
    EXPECT_EQ(InStr(1, "xx Begin:VEvent", "BEGIN:VEVENT", CompareMode::Text), 4);
    EXPECT_EQ(InStr(1, "begin;vevent", "BEGIN:VEVENT", CompareMode::Text), 0);
    EXPECT_EQ(InStr(1, "Vx vcalendar", "VCALENDAR", CompareMode::Text), 4) << "letters only, the first in lower case";
    EXPECT_EQ(InStr(1, "a-z A-Z", "A-Z", CompareMode::Text), 1) << "the first and the last letter";
    // Bytes above 7-bit ASCII are compared as they are.
    EXPECT_EQ(InStr(1, "\xE9\xC9", "\xC9", CompareMode::Text), 2);
}

// The letter-case-blind search finds candidates by their first byte: these
// cases sit where such a scan goes wrong (the bytes beside the letters, both
// ends of the text, long runs of near misses).
TEST(InStr, TextCompareAtTheEdgesOfItsCandidateScan)
{
    const std::string nearMisses(100, 'B');
    const std::string shifted =
        "@EGIN:VEVENT [EGIN:VEVENT `EGIN:VEVENT {EGIN:VEVENT \xC2"
        "EGIN:VEVENT \xE2"
        "EGIN:VEVENT";
    const struct {
        std::string text;
        Position start;
        Position expected;
    } cases[] = {
        {"begin:vevent", 1, 1},
        {"xxBEGIN:VEVENT", 1, 3},
        {"BEGIN:VEVEN", 1, 0},
        {"BEGIN:VEVENTbegin:vevent", 2, 13},
        {shifted, 1, 0},
        {shifted + "bEgIn:VeVeNt", 1, static_cast<Position>(shifted.size()) + 1},
        {nearMisses + "BEGIN:VEVENT", 1, 101},
        {std::string(31, '.') + "BEGIN:VEVENT", 1, 32},
        {std::string(63, '.') + "Begin:Vevent" + std::string(64, '.'), 1, 64},
        {"b" + std::string(200, 'x') + "BEGIN:VEVENT", 2, 202},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InStr(c.start, c.text, "BEGIN:VEVENT", CompareMode::Text), c.expected) << c.text.substr(0, 40);
    EXPECT_EQ(InStr(1, "\xE9:\xC9", "\xC9", CompareMode::Text), 3) << "bytes from 0x80 fold to nothing";
    EXPECT_EQ(InStr(1, "x[Y", "{y", CompareMode::Text), 0);
}

TEST(InStr, AStartBeyondTheEndGivesZeroAndBelowOneFails)
{
    EXPECT_EQ(InStr(4, "abc", "c", CompareMode::Exact), 0);
    EXPECT_EQ(InStr(100, "abc", "c", CompareMode::Text), 0);
    EXPECT_EQ(InStr(1, "", "c", CompareMode::Exact), 0);
    try {
        InStr(0, "abc", "c", CompareMode::Exact);
        FAIL() << "start 0 must fail";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.info(), (ErrorInfo{5, "Invalid procedure call or argument"}));
    }
    EXPECT_THROW(InStr(-3, "abc", "c", CompareMode::Text), Failure);
}

TEST(Substrings, MidAndLeftCountFromOne)
{
    EXPECT_EQ(Mid("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Mid("abcdef", 5, 10), "ef");
    EXPECT_EQ(Mid("abc", 4, 1), "");
    EXPECT_THROW(Mid("abc", 0, 1), Failure);
    EXPECT_EQ(Left("abcdef", 2), "ab");
    EXPECT_EQ(Left("ab", 5), "ab");
    EXPECT_THROW(Left("abc", -1), Failure);
}

TEST(ErrorBox, TextCarriesPrefixNumberAndDescription)
{
    EXPECT_EQ(ErrorBoxText("Find Error ", ErrorInfo{61, "Disk full"}),
              "An error occurred during execution.\r\n\r\nFind Error 61:  Disk full");
}

}  // namespace
}  // namespace orvelin
