#include "ui/form/standalone_form.h"

#include "engine/box_texts.h"
#include "engine/paths.h"
#include "engine/run_outcome.h"
#include "engine/split_choices.h"
#include "ui/form/captions.h"

#include <array>
#include <vector>

namespace orvelin::ui {
namespace {

// How the choices are kept: a name for every value, so that what is kept
// reads the same on every OS and a value no longer known is passed over.
constexpr std::array<std::pair<std::string_view, StandaloneChoices::Files>, 6> kFiles{{
    {"one", StandaloneChoices::Files::OneEntry},
    {"entries", StandaloneChoices::Files::Entries},
    {"1MB", StandaloneChoices::Files::OneMegabyte},
    {"size", StandaloneChoices::Files::Size},
    {"year", StandaloneChoices::Files::Year},
    {"month", StandaloneChoices::Files::Month},
}};
// Whether vCalendar 1.0 entries are written as iCalendar 2.0: off unless
// kept on, as settings kept before the choice was offered read.
constexpr std::pair<std::string_view, bool> kICalendar[] = {{"off", false}, {"on", true}};

template <typename Names>
std::string_view NameOf(const Names& names, decltype(names[0].second) value)
{
    for (const auto& [name, known] : names) {
        if (known == value)
            return name;
    }
    return names[0].first;
}

template <typename Names, typename Value>
void Restore(const Names& names, const std::optional<std::string>& kept, Value& value)
{
    for (const auto& [name, known] : names) {
        if (kept == name)
            value = known;
    }
}

// What the fields hold as the window takes it; false for what it refuses,
// which is never kept.
bool IsEntryCount(const std::string& text)
{
    return EntriesPerFile(text).has_value();
}
bool IsSize(const std::string& text)
{
    return BytesPerFile(text).has_value();
}

// The fields kept as typed, each under its key.
struct KeptField {
    std::string_view key;
    std::string StandaloneChoices::*value;
    bool (*accepted)(const std::string& text);
};
constexpr KeptField kKeptFields[] = {
    {"standalone/entries", &StandaloneChoices::entries, IsEntryCount},
    {"standalone/size", &StandaloneChoices::size, IsSize},
};

// Where the files go, kept apart from the folder's text.
constexpr std::string_view kOwnFolder = "folder";
constexpr std::string_view kBeside = "beside";

// A calendar's name as the band shows it: a name too long for a line (which
// would be cut off there) keeps its start and its end.
std::string Shortened(const std::string& name)
{
    constexpr std::size_t kKept = 22;  // characters at either end
    std::vector<std::size_t> starts;   // of the UTF-8 characters
    for (std::size_t at = 0; at < name.size(); ++at) {
        if ((static_cast<unsigned char>(name[at]) & 0xC0) != 0x80)
            starts.push_back(at);
    }
    if (starts.size() <= 2 * kKept + 3)
        return name;
    return name.substr(0, starts[kKept]) + "..." + name.substr(starts[starts.size() - kKept]);
}

std::string Counted(std::uint64_t count, std::string_view one, std::string_view many)
{
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// What many services take: 1,000,000 bytes.
constexpr std::string_view kOneMegabyte = "1MB";

// What the window says of choices that stand for no options.
std::string Refusal(const ChoiceError& error, const StandaloneChoices& shown)
{
    switch (error.kind) {
    case ChoiceError::Kind::PerFile:
        return "\"" + shown.entries + "\" is not a number of entries: write a whole number such as 100.";
    case ChoiceError::Kind::MaxBytes:
        return "\"" + shown.size + "\" is not a size: write one such as 500 KB, 1 MB or 1 MiB.";
    default: return "The folder \"" + shown.folder + "\" cannot be used: choose another.";
    }
}

const ChoiceError kFolderRefused{ChoiceError::Kind::OutputFolder, ""};

}  // namespace

StandaloneForm::StandaloneForm(StandaloneToolkit& toolkit, FileSystemFactory createFileSystem,
                               platform::FileManagerLauncher& fileManager, Settings& settings)
    : dialog(toolkit), toolkit_(toolkit), settings_(settings), createFileSystem_(createFileSystem),
      runner_(toolkit, std::move(createFileSystem), fileManager)
{
    runner_.onSummary = [this](std::string_view, const RunSummary& summary) {
        return toolkit_.AskYesNo(SummaryText(summary), kInfoTitle);
    };
    runner_.onEntries = [this](std::uint64_t written, std::uint64_t total) {
        toolkit_.ShowEntries(written, total, EntriesText(written, total));
    };
}

// A kept choice that no longer makes sense (a folder that is gone, a field
// the window refuses) falls back to what a first start shows.
void StandaloneForm::Load()
{
    StandaloneChoices choices;
    Restore(kFiles, settings_.Read("standalone/files"), choices.files);
    Restore(kNamingWords, settings_.Read("standalone/names"), choices.naming);
    Restore(kICalendar, settings_.Read("standalone/ics"), choices.toICalendar);
    for (const KeptField& field : kKeptFields) {
        if (const std::optional<std::string> kept = settings_.Read(field.key); kept && field.accepted(*kept))
            choices.*field.value = *kept;
    }
    const std::string folder = settings_.Read("standalone/folder").value_or("");
    if (!folder.empty() && createFileSystem_()->IsFolder(folder)) {
        choices.folder = folder;
        // Without a kept choice (settings kept before it was), a folder was
        // kept only while chosen.
        choices.ownFolder = settings_.Read("standalone/output").value_or(std::string(kOwnFolder)) == kOwnFolder;
    }
    toolkit_.ShowInstructions(Instructions());
    toolkit_.ShowChoices(choices);
    FilesChanged();
    toolkit_.SetProgressVisible(true);
}

// The choices as the console's options would give them; the folder is looked
// at on the disk too, as a run would make or write into it.
std::optional<SplitOptions> StandaloneForm::Options()
{
    const StandaloneChoices shown = toolkit_.Choices();
    SplitChoices choices;
    choices.standalone = true;
    choices.toICalendar = shown.toICalendar;
    switch (shown.files) {
    case StandaloneChoices::Files::OneEntry: break;
    case StandaloneChoices::Files::Entries: choices.perFile = shown.entries; break;
    case StandaloneChoices::Files::OneMegabyte: choices.maxBytes = kOneMegabyte; break;
    case StandaloneChoices::Files::Size: choices.maxBytes = shown.size; break;
    case StandaloneChoices::Files::Year: choices.period = "year"; break;
    case StandaloneChoices::Files::Month: choices.period = "month"; break;
    }
    if (!choices.period)
        choices.naming = NameOf(kNamingWords, shown.naming);
    if (shown.ownFolder)
        choices.outputFolder = shown.folder;
    const std::variant<ChosenOptions, ChoiceError> chosen = OptionsFrom(choices);
    const ChoiceError* error = std::get_if<ChoiceError>(&chosen);
    if (!error && shown.ownFolder && !FolderUsable(shown.folder))
        error = &kFolderRefused;
    if (error) {
        toolkit_.ShowBox(Refusal(*error, shown), kInfoTitle, MessageIcon::Information);
        return std::nullopt;
    }
    Keep(shown);
    return std::get<ChosenOptions>(chosen).split;
}

// As the console's -o: a folder that is not there yet is made, with the
// folders above it.
bool StandaloneForm::FolderUsable(const std::string& folder) const
{
    return !folder.empty() &&
        !CatchFailure([&] { createFileSystem_()->CheckCanWriteInto(WithFinalSeparator(folder)); });
}

void StandaloneForm::Keep(const StandaloneChoices& choices)
{
    settings_.Write("standalone/files", NameOf(kFiles, choices.files));
    settings_.Write("standalone/names", NameOf(kNamingWords, choices.naming));
    settings_.Write("standalone/ics", NameOf(kICalendar, choices.toICalendar));
    for (const KeptField& field : kKeptFields) {
        if (field.accepted(choices.*field.value))
            settings_.Write(field.key, choices.*field.value);
    }
    if (choices.folder.empty() || FolderUsable(choices.folder))
        settings_.Write("standalone/folder", choices.folder);
    settings_.Write("standalone/output", choices.ownFolder ? kOwnFolder : kBeside);
}

void StandaloneForm::Generate()
{
    if (runner_.busy())
        return;
    const std::optional<SplitOptions> options = Options();
    if (!options)
        return;
    if (handed_) {
        // The calendar waited for this Generate only: the next one asks again.
        ShowHanded(false);
    } else {
        dialog.setFilter(std::string(kStandaloneFilter));
        dialog.setDialogTitle(std::string(kStandaloneDialogTitle));
        dialog.setFlags(CommonDialog::kFileMustExist);
        dialog.ShowOpen();
    }
    Run(*options);
}

void StandaloneForm::FilesChanged()
{
    const StandaloneChoices::Files files = toolkit_.Choices().files;
    toolkit_.EnableNames(files != StandaloneChoices::Files::Year && files != StandaloneChoices::Files::Month);
}

void StandaloneForm::Browse()
{
    if (runner_.busy())
        return;
    StandaloneChoices choices = toolkit_.Choices();
    if (std::optional<std::string> folder = toolkit_.ShowFolderDialog(kFolderDialogTitle, choices.folder)) {
        choices.ownFolder = true;
        choices.folder = std::move(*folder);
        toolkit_.ShowChoices(choices);
    }
}

// The choices are kept when the window closes too, as the user left them.
void StandaloneForm::Cancel()
{
    if (!runner_.busy())
        Keep(toolkit_.Choices());
    runner_.EndProgram(0);
}

void StandaloneForm::OpenFile(const std::string& file)
{
    if (runner_.Take(file, dialog))
        ShowHanded(true);
}

void StandaloneForm::ShowHanded(bool handed)
{
    handed_ = handed;
    toolkit_.ShowInstructions(Instructions());
}

std::string StandaloneForm::Instructions() const
{
    const std::string choose = handed_
        ? "Click \"Generate\" to split \"" + Shortened(dialog.fileTitle()) + "\" with the choices below. "
        : std::string(kStandaloneChoose);
    return choose + std::string(kStandaloneEntries);
}

void StandaloneForm::Run(const SplitOptions& options)
{
    if (dialog.fileName().empty())
        return;
    toolkit_.SetRunning(true);
    runner_.Run(dialog, options);
    if (runner_.ending())
        return;
    toolkit_.SetRunning(false);
    FilesChanged();
}

std::string SummaryText(const RunSummary& summary)
{
    // Enough names kept to see why; the rest counted.
    constexpr std::size_t kNamesShown = 3;
    std::string folder = summary.folder;
    if (folder.size() > 1 && (folder.ends_with('/') || folder.ends_with('\\')))
        folder.pop_back();
    std::string text = Counted(summary.entries, "entry", "entries") + " went into " +
        Counted(static_cast<std::uint64_t>(summary.files), "file", "files") + " in " + folder + ".";
    if (summary.earlierFilesReplaced > 0)
        text += " They replaced the " + Counted(summary.earlierFilesReplaced, "file", "files") +
            " of the earlier split.";
    for (std::size_t at = 0; at < summary.namesKept.size() && at < kNamesShown; ++at) {
        text += "\r\n\r\nKept " + KeptNameText(summary.namesKept[at]) + ".";
    }
    if (summary.namesKept.size() > kNamesShown)
        text += "\r\n\r\n" + Counted(summary.namesKept.size() - kNamesShown, "more file was", "more files were") +
            " kept so.";
    if (!summary.notes.empty())
        text += "\r\n\r\nWritten as iCalendar 2.0 with " + Counted(summary.notes.size(), "note", "notes") + ":";
    for (std::size_t at = 0; at < summary.notes.size() && at < kNamesShown; ++at)
        text += "\r\n" + summary.notes[at];
    if (summary.notes.size() > kNamesShown)
        text += "\r\nand " + std::to_string(summary.notes.size() - kNamesShown) + " more.";
    return text + "\r\n\r\nOpen the folder?";
}

std::string EntriesText(std::uint64_t written, std::uint64_t total)
{
    return std::to_string(written) + " of " + Counted(total, "entry", "entries");
}

}  // namespace orvelin::ui
