#include "platform/transcoder.h"

#include <windows.h>

namespace orvelin::platform {
namespace {

using calendar::Charset;

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
    case Charset::Iso8859_10: return 28600;
    case Charset::Iso8859_11: return 874;
    case Charset::Iso8859_13: return 28603;
    case Charset::Iso8859_14: return 28604;
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
    case Charset::Gb18030: return 54936;
    case Charset::Big5: return 950;
    case Charset::EucKr: return 949;
    case Charset::Utf16: return 0;  // read here: no code page reads both byte orders
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
        const bool read = charset == Charset::Utf16 ? ReadUtf16(wide, bytes) : ReadCodePage(wide, bytes, CodePage(charset));
        if (!read)
            return false;
        if (wide.empty())
            return true;
        const int size = static_cast<int>(wide.size());
        const int length =
            ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), size, nullptr, 0, nullptr, nullptr);
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
