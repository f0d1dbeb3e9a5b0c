#include "engine/file_names.h"

#include "engine/letter_case.h"

#include <algorithm>
#include <array>

namespace orvelin {
namespace {

constexpr std::size_t kLongestName = 100;

bool IsDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "2026-03-01 0930" for a start of 20260301T093000(Z), "2026-03-01" for a
// date; empty for what is neither.
std::string DateOf(const Component& component)
{
    const std::string_view start = component.start;
    if (start.size() < 8 || !IsDigits(start.substr(0, 8)))
        return {};
    std::string date = std::string(start.substr(0, 4)) + "-" + std::string(start.substr(4, 2)) + "-" +
                       std::string(start.substr(6, 2));
    if (component.allDay || start.size() < 13 || start[8] != 'T' || !IsDigits(start.substr(9, 4)))
        return date;
    return date + " " + std::string(start.substr(9, 4));
}

// A SUMMARY's text: "\," "\;" "\\" stand for themselves, "\n" for a line break.
std::string Unescaped(std::string_view value)
{
    std::string text;
    for (std::size_t at = 0; at < value.size(); ++at) {
        if (value[at] == '\\' && at + 1 < value.size()) {
            const char next = value[++at];
            text += next == 'n' || next == 'N' ? ' ' : next;
        } else {
            text += value[at];
        }
    }
    return text;
}

bool IsUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || at + length > text.size())
            return false;
        for (std::size_t next = 1; next < length; ++next) {
            if ((static_cast<unsigned char>(text[at + next]) & 0xC0) != 0x80)
                return false;
        }
        at += length;
    }
    return true;
}

// At most kLongestName bytes, cut on a character boundary of its UTF-8; a
// name that is not UTF-8 (a summary in an 8-bit code page) is cut where the
// limit falls.
std::string_view Shortened(std::string_view name)
{
    if (name.size() <= kLongestName)
        return name;
    std::size_t cut = kLongestName;
    const bool utf8 = IsUtf8(name);
    while (utf8 && cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut);
}

std::string_view Trimmed(std::string_view name)
{
    while (!name.empty() && (name.front() == '.' || name.front() == ' '))
        name.remove_prefix(1);
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
        name.remove_suffix(1);
    return name;
}

// Windows's device names, with any extension.
bool Reserved(std::string_view name)
{
    static constexpr std::array<std::string_view, 22> kReserved{
        "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
        "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
    const std::string stem = UpperAscii(Trimmed(name.substr(0, name.find('.'))));
    return std::find(kReserved.begin(), kReserved.end(), stem) != kReserved.end();
}

// A name every OS takes, or "" when nothing of it is left.
std::string Safe(std::string_view name)
{
    std::string safe(name);
    for (char& c : safe) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            c = '_';
    }
    safe = std::string(Trimmed(Shortened(safe)));
    if (!safe.empty() && Reserved(safe))
        safe += '_';
    return safe;
}

}  // namespace

std::string FileNamer::NameFor(const CalendarStructure& structure, const Entry& first, int number,
                               std::string_view extension)
{
    const Component& component = structure.components[first.firstComponent];
    std::string stem;
    if (naming_ == FileNaming::Uid) {
        stem = Safe(component.uid);
    } else if (naming_ == FileNaming::Date) {
        const std::string date = DateOf(component);
        const std::string summary = Unescaped(component.summary);
        stem = date.empty() ? std::string() : Safe(summary.empty() ? date : date + " " + summary);
    }
    if (stem.empty())
        stem = std::to_string(number);
    std::string name = stem + std::string(extension);
    // Numbers alone never clash.
    if (naming_ == FileNaming::Number)
        return name;
    for (int again = 2; !taken_.insert(UpperAscii(name)).second; ++again)
        name = stem + " (" + std::to_string(again) + ")" + std::string(extension);
    return name;
}

}  // namespace orvelin
