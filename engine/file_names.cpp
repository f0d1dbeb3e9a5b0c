#include "engine/file_names.h"

#include "calendar/content_line.h"
#include "engine/paths.h"
#include "engine/unicode_text.h"

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

// A SUMMARY's text as UTF-8: quoted-printable decoded, in its CHARSET, and
// "\," "\;" "\\" standing for themselves, "\n" for a line break.
std::string SummaryOf(const Component& component)
{
    calendar::LineHead head;  // of a line without a name: the summary begins with its parameters
    head.Advance(component.summary);
    const std::string_view parameters = head.Parameters(component.summary);
    const std::string_view written = head.Value(component.summary);
    std::string bytes;
    if (calendar::IsQuotedPrintable(parameters, kStructureUnfolding))
        calendar::AppendQuotedPrintableDecoded(bytes, written);
    else
        bytes = written;
    const std::string value = Utf8From(
        bytes, calendar::ParameterValue(parameters, "CHARSET", kStructureUnfolding).value_or(""));
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

// At most kLongestName bytes, cut on a character boundary.
std::string_view Shortened(std::string_view name)
{
    if (name.size() <= kLongestName)
        return name;
    std::size_t cut = kLongestName;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut);
}

std::string_view Trimmed(std::string_view name, std::string_view strays = ". ")
{
    while (!name.empty() && strays.find(name.front()) != std::string_view::npos)
        name.remove_prefix(1);
    while (!name.empty() && strays.find(name.back()) != std::string_view::npos)
        name.remove_suffix(1);
    return name;
}

// Where a "_" makes the name no device's: after the part before its first
// dot (trailing spaces aside) when Windows takes that part for a device;
// npos otherwise.
std::size_t DeviceNameEnd(std::string_view name)
{
    static constexpr std::array<std::string_view, 30> kDevices{
        "CON",         "PRN",         "AUX",         "NUL",         "CONIN$",      "CONOUT$",    "COM1", "COM2",
        "COM3",        "COM4",        "COM5",        "COM6",        "COM7",        "COM8",       "COM9", "LPT1",
        "LPT2",        "LPT3",        "LPT4",        "LPT5",        "LPT6",        "LPT7",       "LPT8", "LPT9",
        "COM\xC2\xB9", "COM\xC2\xB2", "COM\xC2\xB3", "LPT\xC2\xB9", "LPT\xC2\xB2", "LPT\xC2\xB3"};
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    const std::string upper = UpperCaseForNames(stem);
    return std::find(kDevices.begin(), kDevices.end(), upper) != kDevices.end() ? stem.size() : std::string_view::npos;
}

// A name every OS takes (text is UTF-8), or "" when nothing of it is left.
std::string Safe(std::string_view text)
{
    std::string safe;
    ForEachCodePoint(text, [&safe](char32_t code, std::string_view bytes) {
        const bool control = code < 0x20 || (code >= 0x7F && code <= 0x9F);
        const bool forbidden = code < 0x80 &&
            std::string_view("/\\:*?\"<>|").find(static_cast<char>(code)) != std::string_view::npos;
        if (control || forbidden)
            safe += '_';
        else
            safe += bytes;
    });
    safe = std::string(Trimmed(Shortened(Trimmed(safe))));
    if (const std::size_t device = DeviceNameEnd(safe); device != std::string::npos)
        safe = safe.substr(0, device) + "_" + safe.substr(device);
    return safe;
}

}  // namespace

std::string FileNamer::NameFor(const CalendarStructure& structure, const Entry& first, int number,
                               std::string_view extension)
{
    const Component& component = MasterOf(structure, first);
    std::string stem;
    if (naming_ == FileNaming::Uid) {
        stem = Safe(Utf8From(component.uid, ""));
    } else if (naming_ == FileNaming::Date) {
        const std::string date = DateOf(component);
        const std::string summary = SummaryOf(component);
        stem = date.empty() ? std::string() : Safe(summary.empty() ? date : date + " " + summary);
    }
    if (stem.empty())
        stem = std::to_string(number);
    std::string name = stem + std::string(extension);
    // Numbers alone never clash, but with a reserved name.
    if (naming_ == FileNaming::Number && (reserved_.empty() || !reserved_.contains(UpperCaseForNames(name))))
        return name;
    return NameAfter(stem, extension);
}

std::string FileNamer::NameAfter(std::string_view stem, std::string_view extension)
{
    std::string name = std::string(stem) + std::string(extension);
    std::string upper = UpperCaseForNames(name);
    if (taken_.insert(upper).second)
        return name;
    const bool reserved = reserved_.contains(upper);
    int& again = nextAgain_.try_emplace(std::move(upper), 2).first->second;
    for (;; ++again) {
        std::string candidate = NameAgain(stem, again, extension);
        if (taken_.insert(UpperCaseForNames(candidate)).second) {
            ++again;
            if (reserved)
                diversions_.push_back({std::move(name), candidate});
            return candidate;
        }
    }
}

void FileNamer::Reserve(const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        std::string upper = UpperCaseForNames(name);
        taken_.insert(upper);
        reserved_.insert(std::move(upper));
    }
}

}  // namespace orvelin
