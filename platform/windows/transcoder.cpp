#include "platform/transcoder.h"

#include <windows.h>

namespace orvelin::platform {
namespace {

using calendar::Charset;

// ISO-8859-10 and -14 have no Windows code page: their characters from A0
// on (below, they are Latin-1's).
constexpr char16_t kIso8859_10[96] = {
    0x00A0, 0x0104, 0x0112, 0x0122, 0x012A, 0x0128, 0x0136, 0x00A7, 0x013B, 0x0110, 0x0160, 0x0166, 0x017D, 0x00AD,
    0x016A, 0x014A, 0x00B0, 0x0105, 0x0113, 0x0123, 0x012B, 0x0129, 0x0137, 0x00B7, 0x013C, 0x0111, 0x0161, 0x0167,
    0x017E, 0x2015, 0x016B, 0x014B, 0x0100, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x012E, 0x010C, 0x00C9,
    0x0118, 0x00CB, 0x0116, 0x00CD, 0x00CE, 0x00CF, 0x00D0, 0x0145, 0x014C, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x0168,
    0x00D8, 0x0172, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF, 0x0101, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5,
    0x00E6, 0x012F, 0x010D, 0x00E9, 0x0119, 0x00EB, 0x0117, 0x00ED, 0x00EE, 0x00EF, 0x00F0, 0x0146, 0x014D, 0x00F3,
    0x00F4, 0x00F5, 0x00F6, 0x0169, 0x00F8, 0x0173, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x0138,
};
constexpr char16_t kIso8859_14[96] = {
    0x00A0, 0x1E02, 0x1E03, 0x00A3, 0x010A, 0x010B, 0x1E0A, 0x00A7, 0x1E80, 0x00A9, 0x1E82, 0x1E0B, 0x1EF2, 0x00AD,
    0x00AE, 0x0178, 0x1E1E, 0x1E1F, 0x0120, 0x0121, 0x1E40, 0x1E41, 0x00B6, 0x1E56, 0x1E81, 0x1E57, 0x1E83, 0x1E60,
    0x1EF3, 0x1E84, 0x1E85, 0x1E61, 0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7, 0x00C8, 0x00C9,
    0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, 0x0174, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x1E6A,
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x0176, 0x00DF, 0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5,
    0x00E6, 0x00E7, 0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x0175, 0x00F1, 0x00F2, 0x00F3,
    0x00F4, 0x00F5, 0x00F6, 0x1E6B, 0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x0177, 0x00FF,
};

constexpr UINT kGb18030 = 54936;
constexpr UINT kGbk = 936;

UINT CodePage(Charset charset)
{
    switch (charset) {
    case Charset::Utf8: return CP_UTF8;
    case Charset::Iso8859_1: return 28591;
    case Charset::Iso8859_2: return 28592;
    case Charset::Iso8859_3: return 28593;
    case Charset::Iso8859_4: return 28594;
    case Charset::Iso8859_5: return 28595;
    case Charset::Iso8859_6: return 28596;
    case Charset::Iso8859_7: return 28597;
    case Charset::Iso8859_8: return 28598;
    case Charset::Iso8859_9: return 28599;
    case Charset::Iso8859_10: return 0;
    case Charset::Iso8859_11: return 874;
    case Charset::Iso8859_13: return 28603;
    case Charset::Iso8859_14: return 0;
    case Charset::Iso8859_15: return 28605;
    case Charset::Windows1250: return 1250;
    case Charset::Windows1251: return 1251;
    case Charset::Windows1252: return 1252;
    case Charset::Windows1253: return 1253;
    case Charset::Windows1254: return 1254;
    case Charset::Windows1255: return 1255;
    case Charset::Windows1256: return 1256;
    case Charset::Windows1257: return 1257;
    case Charset::Windows1258: return 1258;
    case Charset::Koi8R: return 20866;
    case Charset::ShiftJis: return 932;
    case Charset::EucJp: return 20932;
    case Charset::Gbk: return 936;
    // Where the OS lacks GB18030 (Wine), the part it shares with GBK is read.
    case Charset::Gb18030: return ::IsValidCodePage(kGb18030) ? kGb18030 : kGbk;
    case Charset::Big5: return 950;
    case Charset::EucKr: return 949;
    case Charset::Utf16: return 0;
    }
    return 0;
}

// UTF-16 text: big-endian unless a byte-order mark says otherwise, as iconv reads it.
bool ReadUtf16(std::wstring& wide, std::string_view bytes)
{
    if (bytes.size() % 2 != 0)
        return false;
    bool little = false;
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        little = bytes[0] == '\xFF';
        bytes.remove_prefix(2);
    }
    wide.resize(bytes.size() / 2);
    for (std::size_t at = 0; at < wide.size(); ++at) {
        const auto first = static_cast<unsigned char>(bytes[2 * at]);
        const auto second = static_cast<unsigned char>(bytes[2 * at + 1]);
        wide[at] = static_cast<wchar_t>(little ? first | second << 8 : first << 8 | second);
    }
    return true;
}

bool ReadTable(std::wstring& wide, std::string_view bytes, const char16_t (&fromA0)[96])
{
    wide.resize(bytes.size());
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        wide[at] = static_cast<wchar_t>(byte < 0xA0 ? byte : fromA0[byte - 0xA0]);
    }
    return true;
}

bool ReadCodePage(std::wstring& wide, std::string_view bytes, UINT codePage)
{
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0)
        return false;
    wide.resize(static_cast<std::size_t>(length));
    return ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), length) == length;
}

class CodePageTranscoder final : public calendar::Transcoder {
public:
    bool AppendUtf8(std::string& utf8, std::string_view bytes, Charset charset) const override
    {
        if (bytes.empty())
            return true;
        std::wstring wide;
        // What no code page reads is read here.
        const bool read = charset == Charset::Utf16 ? ReadUtf16(wide, bytes)
            : charset == Charset::Iso8859_10        ? ReadTable(wide, bytes, kIso8859_10)
            : charset == Charset::Iso8859_14        ? ReadTable(wide, bytes, kIso8859_14)
                                                    : ReadCodePage(wide, bytes, CodePage(charset));
        if (!read)
            return false;
        if (wide.empty())
            return true;
        const int size = static_cast<int>(wide.size());
        const int length = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), size, nullptr, 0, nullptr,
                                                 nullptr);
        if (length <= 0)
            return false;
        const std::size_t start = utf8.size();
        utf8.resize(start + static_cast<std::size_t>(length));
        ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), size, utf8.data() + start, length, nullptr,
                              nullptr);
        return true;
    }
};

}  // namespace

const calendar::Transcoder& OsTranscoder()
{
    static const CodePageTranscoder transcoder;
    return transcoder;
}

}  // namespace orvelin::platform
