#include "platform/transcoder.h"

#include <iconv.h>

namespace orvelin::platform {
namespace {

using calendar::Charset;

// iconv's names; where Windows reads a superset (its code pages 932, 936,
// 949, 950), that superset, so that both OSes give the same text. glibc
// reads UTF-16 without a byte-order mark in the machine's order: such text
// is named big-endian.
const char* IconvName(Charset charset, std::string_view bytes)
{
    switch (charset) {
    case Charset::Utf8: return "UTF-8";
    case Charset::Iso8859_1: return "ISO-8859-1";
    case Charset::Iso8859_2: return "ISO-8859-2";
    case Charset::Iso8859_3: return "ISO-8859-3";
    case Charset::Iso8859_4: return "ISO-8859-4";
    case Charset::Iso8859_5: return "ISO-8859-5";
    case Charset::Iso8859_6: return "ISO-8859-6";
    case Charset::Iso8859_7: return "ISO-8859-7";
    case Charset::Iso8859_8: return "ISO-8859-8";
    case Charset::Iso8859_9: return "ISO-8859-9";
    case Charset::Iso8859_10: return "ISO-8859-10";
    case Charset::Iso8859_11: return "ISO-8859-11";
    case Charset::Iso8859_13: return "ISO-8859-13";
    case Charset::Iso8859_14: return "ISO-8859-14";
    case Charset::Iso8859_15: return "ISO-8859-15";
    case Charset::Windows1250: return "WINDOWS-1250";
    case Charset::Windows1251: return "WINDOWS-1251";
    case Charset::Windows1252: return "WINDOWS-1252";
    case Charset::Windows1253: return "WINDOWS-1253";
    case Charset::Windows1254: return "WINDOWS-1254";
    case Charset::Windows1255: return "WINDOWS-1255";
    case Charset::Windows1256: return "WINDOWS-1256";
    case Charset::Windows1257: return "WINDOWS-1257";
    case Charset::Windows1258: return "WINDOWS-1258";
    case Charset::Koi8R: return "KOI8-R";
    case Charset::ShiftJis: return "CP932";
    case Charset::EucJp: return "EUC-JP";
    case Charset::Gbk: return "GBK";
    case Charset::Gb18030: return "GB18030";
    case Charset::Big5: return "CP950";
    case Charset::EucKr: return "CP949";
    case Charset::Utf16: return bytes.starts_with("\xFE\xFF") || bytes.starts_with("\xFF\xFE") ? "UTF-16" : "UTF-16BE";
    }
    return "";
}

class IconvTranscoder final : public calendar::Transcoder {
public:
    bool AppendUtf8(std::string& utf8, std::string_view bytes, Charset charset) const override
    {
        const iconv_t converter = ::iconv_open("UTF-8", IconvName(charset, bytes));
        if (converter == reinterpret_cast<iconv_t>(-1))
            return false;
        const std::size_t start = utf8.size();
        // No character of these charsets takes more than three times its bytes in UTF-8.
        utf8.resize(start + 3 * bytes.size() + 4);
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        char* out = utf8.data() + start;
        std::size_t outLeft = utf8.size() - start;
        const bool read = ::iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1) &&
            ::iconv(converter, nullptr, nullptr, &out, &outLeft) != static_cast<std::size_t>(-1);
        ::iconv_close(converter);
        utf8.resize(read ? static_cast<std::size_t>(out - utf8.data()) : start);
        return read;
    }
};

}  // namespace

const calendar::Transcoder& OsTranscoder()
{
    static const IconvTranscoder transcoder;
    return transcoder;
}

}  // namespace orvelin::platform
