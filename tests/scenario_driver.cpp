// Runs console scenarios: each a folder under tests/scenarios/ that holds
//   command     the arguments of orvelin-split, one a line;
//   in/         the files of the folder it runs in (NAME.repeat: see Expand);
//   before      runs made first, as `command` has them, separated by a line
//               "----" (what they print is not compared; their files count
//               as inputs);
//   between/    files written after those runs (a user's own, or edited);
//   old         paths under in/ (files or folders), one a line, that look
//               last changed two hours ago when the run starts;
//   dated       paths under in/, one a line, last changed at 2026-01-01
//               00:00:00 UTC when the run starts (the DTSTAMP --to-ics gives
//               an entry that says nothing of when it was made or changed);
//   out/        every file the run makes or changes, byte for byte: inputs
//               not listed must stay as they were (but those named in `gone`,
//               one a line, which must be gone), and no other file may appear,
//               but in a folder named in `count` ("N FOLDER": it holds N files);
//   stdout, stderr, status   what it prints and its exit status (none: empty, 0),
//               stdout.windows and stderr.windows where Windows says otherwise;
//   only        "linux" or "windows" for a scenario of one OS;
//   starts      the starts of the events and to-dos in the .ics files the
//               run makes (files in name order), in UTC, one a line.
// Where the tests have a reference iCalendar parser (libical, on Linux),
// every .ics file the run makes or out/ holds must parse without an error,
// and it reads the starts.
// Orvelin's record of a standalone result (.orvelin-result) is checked, not
// compared: it must list every file out/ expects in its folder, with its size.
// Usage: orvelin-scenario PROGRAM SCENARIO-FOLDER...

#include "tests/support/reference_reading.h"
#include "tests/support/temp_folder.h"
#ifdef _WIN32
#include "tests/windows/process.h"
#else
#include "tests/posix/process.h"
#endif

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace orvelin::testing;

#ifdef _WIN32
constexpr const char* kOs = "windows";
#else
constexpr const char* kOs = "linux";
#endif

std::string Utf8(const fs::path& path)
{
    const std::u8string text = path.generic_u8string();
    return {text.begin(), text.end()};
}

// Lines end in LF on every OS, for comparing.
std::string Lf(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// A scenario's file, this OS's own if there is one; "" for none.
std::string Expected(const fs::path& scenario, const std::string& name)
{
    for (const std::string& candidate : {name + "." + kOs, name}) {
        if (fs::exists(scenario / candidate))
            return ReadBytes(Utf8(scenario / candidate));
    }
    return "";
}

// The lines of a scenario's file.
std::vector<std::string> Lines(const fs::path& scenario, const std::string& name)
{
    std::vector<std::string> lines;
    std::istringstream text(Lf(Expected(scenario, name)));
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

std::string FirstLine(const std::string& text)
{
    return Lf(text.substr(0, text.find('\n')));
}

// NAME.repeat holds a count on its first line, then three parts, each
// opened by a line "@@@": a head, a body and a tail. NAME is the head, the
// body count times ("{n}" in it standing for 1, 2, ...), and the tail.
std::string Expand(const std::string& repeat)
{
    std::vector<std::string> parts;
    std::istringstream lines(repeat);
    std::string line;
    std::getline(lines, line);
    const long count = std::stol(line);
    for (std::size_t at = repeat.find('\n') + 1; at < repeat.size();) {
        const std::size_t content = repeat.find('\n', at) + 1;  // past "@@@"
        const std::size_t next = repeat.find("\n@@@", content - 1);
        const std::size_t end = next == std::string::npos ? repeat.size() : next + 1;
        parts.push_back(repeat.substr(content, end - content));
        at = end;
    }
    parts.resize(3);
    std::string text = parts[0];
    for (long n = 1; n <= count; ++n) {
        std::string body = parts[1];
        for (std::size_t at; (at = body.find("{n}")) != std::string::npos;)
            body.replace(at, 3, std::to_string(n));
        text += body;
    }
    return text + parts[2];
}

// The files under folder, by path relative to it, and their bytes.
std::map<std::string, std::string> FilesUnder(const fs::path& folder, bool expand)
{
    std::map<std::string, std::string> files;
    if (!fs::exists(folder))
        return files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file())
            continue;
        std::string name = Utf8(fs::relative(entry.path(), folder));
        std::string bytes = ReadBytes(Utf8(entry.path()));
        if (expand && name.ends_with(".repeat")) {
            name.resize(name.size() - 7);
            bytes = Expand(bytes);
        }
        files[name] = bytes;
    }
    return files;
}

std::string Shown(const std::string& bytes)
{
    std::string shown;
    for (const char c : bytes.substr(0, 400)) {
        if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n\n";
        else
            shown += c;
    }
    return shown + (bytes.size() > 400 ? "...(" + std::to_string(bytes.size()) + " bytes)" : "");
}

class Scenario {
public:
    Scenario(std::string program, fs::path folder) : program_(std::move(program)), folder_(std::move(folder)) {}

    // The differences from what is expected; none when it ran as expected.
    std::vector<std::string> Run()
    {
        TempFolder work;
        Write(work, FilesUnder(folder_ / "in", true));
        for (const std::string& path : Lines(folder_, "old"))
            MakeOld(work / path);
        for (const std::string& path : Lines(folder_, "dated"))
            SetLastChange(work / path, kDated);
        for (const std::vector<std::string>& earlier : Commands(Lf(Expected(folder_, "before"))))
            RunProcess(earlier, work.path());
        Write(work, FilesUnder(folder_ / "between", true));
        const std::map<std::string, std::string> inputs = FilesUnder(work.path(), false);
        const ProcessResult result = RunProcess(Commands(Lf(ReadBytes(Utf8(folder_ / "command")))).at(0), work.path());

        const std::string status = Expected(folder_, "status");
        Compare("exit status", std::to_string(result.exitStatus), status.empty() ? "0" : FirstLine(status));
        Compare("stdout", Lf(result.out), Lf(Expected(folder_, "stdout")));
        Compare("stderr", Lf(result.err), Lf(Expected(folder_, "stderr")));
        const std::map<std::string, std::string> after = FilesUnder(work.path(), false);
        const std::map<std::string, std::string> expected = FilesUnder(folder_ / "out", true);
        CompareFiles(after, inputs, expected);
        ReadICalendarFiles(after, inputs, expected);
        return differences_;
    }

private:
    static void Write(const TempFolder& work, const std::map<std::string, std::string>& files)
    {
        for (const auto& [name, bytes] : files) {
            fs::create_directories(Utf8Path(work / name).parent_path());
            WriteBytes(work / name, bytes);
        }
    }

    // The commands of text: arguments one a line, a line "----" between two.
    std::vector<std::vector<std::string>> Commands(const std::string& text) const
    {
        std::vector<std::vector<std::string>> commands{{program_}};
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            if (line == "----")
                commands.push_back({program_});
            else
                commands.back().push_back(line);
        }
        return text.empty() ? std::vector<std::vector<std::string>>() : commands;
    }

    void Compare(const std::string& what, const std::string& got, const std::string& expected)
    {
        if (got != expected)
            differences_.push_back(what + ":\n--- got\n" + Shown(got) + "\n--- expected\n" + Shown(expected));
    }

    void CompareFiles(const std::map<std::string, std::string>& after, const std::map<std::string, std::string>& inputs,
                      const std::map<std::string, std::string>& expected)
    {
        std::map<std::string, long> counted;  // folder, the files it holds
        for (const std::string& line : Lines(folder_, "count"))
            counted[line.substr(line.find(' ') + 1)] = std::stol(line);
        std::map<std::string, long> inFolder;
        for (const auto& [name, bytes] : after) {
            const std::string folder = Utf8(Utf8Path(name).parent_path());
            if (Utf8(Utf8Path(name).filename()) == kRecord) {
                CheckRecord(folder, bytes, after, expected);
                continue;
            }
            ++inFolder[folder];
            if (const auto want = expected.find(name); want != expected.end())
                Compare(name, bytes, want->second);
            else if (const auto input = inputs.find(name); input != inputs.end())
                Compare(name + " (an input)", bytes, input->second);
            else if (!counted.contains(folder))
                differences_.push_back(name + ": made, but not expected");
        }
        const std::vector<std::string> goneList = Lines(folder_, "gone");
        const std::set<std::string> gone(goneList.begin(), goneList.end());
        for (const auto& [name, bytes] : expected) {
            if (!after.contains(name))
                differences_.push_back(name + ": expected, but missing");
        }
        for (const auto& [name, bytes] : inputs) {
            if (after.contains(name) == gone.contains(name))
                differences_.push_back(name + (gone.contains(name) ? ": still there" : ": an input that went away"));
        }
        for (const auto& [folder, count] : counted)
            Compare("files in " + folder, std::to_string(inFolder[folder]), std::to_string(count));
    }

    // The .ics files the run made, then those out/ expects otherwise, read
    // by the reference parser.
    void ReadICalendarFiles(const std::map<std::string, std::string>& after,
                            const std::map<std::string, std::string>& inputs,
                            const std::map<std::string, std::string>& expected)
    {
        std::string starts;
        bool read = false;
        for (const auto& [name, bytes] : after) {
            const auto input = inputs.find(name);
            if (name.ends_with(".ics") && (input == inputs.end() || input->second != bytes))
                read |= ReadICalendar(name, bytes, starts);
        }
        std::string ignored;
        for (const auto& [name, bytes] : expected) {
            const auto made = after.find(name);
            if (name.ends_with(".ics") && (made == after.end() || made->second != bytes))
                ReadICalendar("out/" + name, bytes, ignored);
        }
        if (read && fs::exists(folder_ / "starts"))
            Compare("starts", starts, Lf(Expected(folder_, "starts")));
    }

    // Whether the reference parser read it.
    bool ReadICalendar(const std::string& name, const std::string& bytes, std::string& starts)
    {
        const std::optional<ReferenceReading> reading = ReadWithReferenceParser(bytes);
        if (!reading)
            return false;
        for (const std::string& error : reading->errors)
            differences_.push_back(name + ": the reference parser found " + error);
        starts += reading->starts;
        return true;
    }

    void CheckRecord(const std::string& folder, const std::string& record,
                     const std::map<std::string, std::string>& after,
                     const std::map<std::string, std::string>& expected)
    {
        std::set<std::pair<std::string, std::size_t>> listed;  // name, size
        std::istringstream lines(record);
        for (std::string line; std::getline(lines, line);) {
            std::istringstream fields(line);
            std::size_t size = 0;
            long long modified = 0;
            std::string name;
            std::string hash;  // ":hex" when the record has one
            if (fields >> size >> modified && (fields.peek() != ':' || fields >> hash) &&
                std::getline(fields >> std::ws, name))
                listed.insert({name, size});
        }
        for (const auto& [name, bytes] : expected) {
            const fs::path path = Utf8Path(name);
            if (Utf8(path.parent_path()) == folder && after.contains(name) &&
                !listed.contains({Utf8(path.filename()), bytes.size()}))
                differences_.push_back(name + ": not in " + folder + "/" + kRecord + " with its size");
        }
    }

    static constexpr const char* kRecord = ".orvelin-result";
    static constexpr std::int64_t kDated = 1767225600;  // 2026-01-01 00:00:00 UTC
    std::string program_;
    fs::path folder_;
    std::vector<std::string> differences_;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: orvelin-scenario PROGRAM SCENARIO-FOLDER...\n", stderr);
        return 2;
    }
    int failed = 0;
    for (int at = 2; at < argc; ++at) {
        const fs::path folder = Utf8Path(argv[at]);
        if (const std::string only = FirstLine(Expected(folder, "only")); !only.empty() && only != kOs)
            continue;
        const std::vector<std::string> differences = Scenario(argv[1], folder).Run();
        std::printf("%s %s\n", differences.empty() ? "ok    " : "FAILED", Utf8(folder.filename()).c_str());
        for (const std::string& difference : differences)
            std::printf("  %s\n", difference.c_str());
        failed += differences.empty() ? 0 : 1;
    }
    return failed == 0 ? 0 : 1;
}
