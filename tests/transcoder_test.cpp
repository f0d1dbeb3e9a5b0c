// The OS's charset transcoder (iconv; the code pages under Wine): the same
// UTF-8 for the same text on every OS.

#include "platform/transcoder.h"

#include <gtest/gtest.h>

namespace orvelin::testing {
namespace {

using calendar::Charset;

struct Sample {
    Charset charset;
    std::string_view bytes;
    std::string_view utf8;
};

constexpr Sample kSamples[] = {
    {Charset::Utf8, "M\xC3\xA4rz", "M\xC3\xA4rz"},
    {Charset::Iso8859_1, "M\xE4rz", "M\xC3\xA4rz"},
    {Charset::Iso8859_2, "\xB1", "\xC4\x85"},
    {Charset::Iso8859_3, "\xA1", "\xC4\xA6"},
    {Charset::Iso8859_4, "\xA1", "\xC4\x84"},
    {Charset::Iso8859_5, "\xBF\xE0\xD8\xD2\xD5\xE2", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
    {Charset::Iso8859_6, "\xC7", "\xD8\xA7"},
    {Charset::Iso8859_7, "\xE1", "\xCE\xB1"},
    {Charset::Iso8859_8, "\xE0", "\xD7\x90"},
    {Charset::Iso8859_9, "\xFD", "\xC4\xB1"},
    {Charset::Iso8859_10, "\xA1\xFF", "\xC4\x84\xC4\xB8"},
    {Charset::Iso8859_11, "\xA1", "\xE0\xB8\x81"},
    {Charset::Iso8859_13, "\xE0", "\xC4\x85"},
    {Charset::Iso8859_14, "\xA1\xFF", "\xE1\xB8\x82\xC3\xBF"},
    {Charset::Iso8859_15, "\xA4", "\xE2\x82\xAC"},
    {Charset::Windows1250, "\x9A", "\xC5\xA1"},
    {Charset::Windows1251, "\xCF\xF0\xE8\xE2\xE5\xF2", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
    {Charset::Windows1252, "\x80", "\xE2\x82\xAC"},
    {Charset::Windows1253, "\xE1", "\xCE\xB1"},
    {Charset::Windows1254, "\xFD", "\xC4\xB1"},
    {Charset::Windows1255, "\xE0", "\xD7\x90"},
    {Charset::Windows1256, "\xC7", "\xD8\xA7"},
    {Charset::Windows1257, "\xE0", "\xC4\x85"},
    {Charset::Windows1258, "\xD0", "\xC4\x90"},
    {Charset::Koi8R, "\xF0\xD2\xC9\xD7\xC5\xD4", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
    // A backslash is one in Windows' Shift_JIS, not a yen sign.
    {Charset::ShiftJis, "\x93\xFA\x96\x7B\\", "\xE6\x97\xA5\xE6\x9C\xAC\\"},
    {Charset::EucJp, "\xC6\xFC\xCB\xDC", "\xE6\x97\xA5\xE6\x9C\xAC"},
    {Charset::Gbk, "\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87"},
    {Charset::Gb18030, "\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87"},
    {Charset::Big5, "\xA4\xA4\xA4\xE5", "\xE4\xB8\xAD\xE6\x96\x87"},
    {Charset::EucKr, "\xC7\xD1\xB1\xDB", "\xED\x95\x9C\xEA\xB8\x80"},
    {Charset::Utf16,
     std::string_view("\xFF\xFE"
                      "A\0\xE4\0",
                      6),
     "A\xC3\xA4"},
    {Charset::Utf16, std::string_view("\xFE\xFF\0A\0\xE4", 6), "A\xC3\xA4"},
    {Charset::Utf16, std::string_view("\0A", 2), "A"},
};

TEST(Transcoder, ReadsEveryCharsetAlike)
{
    for (const Sample& sample : kSamples) {
        SCOPED_TRACE(static_cast<int>(sample.charset));
        std::string utf8 = "before ";
        EXPECT_TRUE(platform::OsTranscoder().AppendUtf8(utf8, sample.bytes, sample.charset));
        EXPECT_EQ(utf8, "before " + std::string(sample.utf8));
    }
}

TEST(Transcoder, RefusesBytesThatAreNoTextOfTheCharset)
{
    constexpr Sample kBroken[] = {{Charset::Utf8, "\xC3", ""},
                                  {Charset::Utf8, "ok\xC3", ""},
                                  {Charset::ShiftJis, "\x93", ""},
                                  {Charset::Utf16,
                                   "\xFF\xFE"
                                   "A",
                                   ""}};
    for (const Sample& sample : kBroken) {
        std::string utf8 = "kept";
        EXPECT_FALSE(platform::OsTranscoder().AppendUtf8(utf8, sample.bytes, sample.charset));
        EXPECT_EQ(utf8, "kept");
    }
}

TEST(Transcoder, KnowsCharsetsByTheirCommonNames)
{
    EXPECT_EQ(calendar::CharsetNamed("iso_8859-1"), Charset::Iso8859_1);
    EXPECT_EQ(calendar::CharsetNamed("Latin1"), Charset::Iso8859_1);
    EXPECT_EQ(calendar::CharsetNamed("latin-2"), Charset::Iso8859_2);
    EXPECT_EQ(calendar::CharsetNamed("cp1251"), Charset::Windows1251);
    EXPECT_EQ(calendar::CharsetNamed("x-sjis"), Charset::ShiftJis);
    EXPECT_EQ(calendar::CharsetNamed("Shift_JIS"), Charset::ShiftJis);
    EXPECT_EQ(calendar::CharsetNamed("GB2312"), Charset::Gbk);
    EXPECT_EQ(calendar::CharsetNamed("KS_C_5601-1987"), Charset::EucKr);
    EXPECT_EQ(calendar::CharsetNamed("MACINTOSH"), std::nullopt);
}

}  // namespace
}  // namespace orvelin::testing
