#include "engine/split_choices.h"

#include "engine/letter_case.h"
#include "engine/paths.h"

namespace orvelin {
namespace {

constexpr std::pair<std::string_view, Period> kPeriodWords[] = {{"year", Period::Year}, {"month", Period::Month}};

std::string_view Trimmed(std::string_view text)
{
    constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
    const std::size_t first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}

// One of the words, in any letter case.
template <typename Value, std::size_t N>
std::optional<Value> Word(std::string_view text, const std::pair<std::string_view, Value> (&words)[N])
{
    for (const auto& [word, value] : words) {
        if (EqualIgnoringCase(text, word))
            return value;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::uint32_t> EntriesPerFile(std::string_view text)
{
    const std::optional<std::uint64_t> count = ParseCount(Trimmed(text));
    if (!count || *count > FileLimits::kAnyNumber)
        return std::nullopt;
    return static_cast<std::uint32_t>(*count);
}

std::optional<ByteSize> BytesPerFile(std::string_view text)
{
    return ParseSize(Trimmed(text));
}

std::variant<ChosenOptions, ChoiceError> OptionsFrom(const SplitChoices& choices)
{
    using Kind = ChoiceError::Kind;
    ChosenOptions chosen;
    SplitOptions& options = chosen.split;
    options.standalone = choices.standalone || choices.toICalendar;
    options.toICalendar = choices.toICalendar;
    options.dryRun = choices.dryRun;
    if (choices.perFile) {
        const std::optional<std::uint32_t> count = EntriesPerFile(*choices.perFile);
        if (!count)
            return ChoiceError{Kind::PerFile, *choices.perFile};
        options.perFile = *count;
    }
    if (choices.maxBytes) {
        const std::optional<ByteSize> size = BytesPerFile(*choices.maxBytes);
        if (!size)
            return ChoiceError{Kind::MaxBytes, *choices.maxBytes};
        options.maxBytes = size->bytes;
        chosen.binaryUnits = size->binary;
    }
    if (choices.naming) {
        const std::optional<FileNaming> naming = Word(*choices.naming, kNamingWords);
        if (!naming)
            return ChoiceError{Kind::Naming, *choices.naming};
        options.naming = *naming;
    }
    if (choices.period) {
        const std::optional<Period> period = Word(*choices.period, kPeriodWords);
        if (!period)
            return ChoiceError{Kind::Period, *choices.period};
        options.period = *period;
    }
    if (choices.outputFolder) {
        if (choices.outputFolder->empty())
            return ChoiceError{Kind::OutputFolder, ""};
        options.outputFolder = WithFinalSeparator(*choices.outputFolder);
    }
    if (!options.standalone && (choices.perFile || choices.maxBytes || choices.naming || choices.period))
        return ChoiceError{Kind::WithoutStandalone, ""};
    if (choices.naming && choices.period)
        return ChoiceError{Kind::NamesWithPeriod, ""};
    // A size or a period alone: each file as large as it may be.
    if ((choices.maxBytes || choices.period) && !choices.perFile)
        options.perFile = FileLimits::kAnyNumber;
    return chosen;
}

}  // namespace orvelin
