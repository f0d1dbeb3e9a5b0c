// The split benchmark: whole-process timings of orvelin-split, the window, the
// cost floors and the awk recipe on generated calendars, with the targets the
// split must meet. Usage: orvelin-bench BIN_DIR CSV_FILE [RUNS]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <linux/magic.h>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Command {
    std::string name;
    std::vector<std::string> argv;
    bool needsOutputFolder = false;  // the awk recipe cannot make it
    bool rerun = false;              // runs over the files of the run before
    int exitStatus = 0;              // 1 for a refusal
    std::string extension = ".vcs";  // of the files it writes, numbered; "" when named otherwise
};

// One input and the commands timed on it; the first command is its floor.
struct Scenario {
    std::string name;
    int events = 0;  // 0: a calendar without events
    std::vector<Command> commands;
    bool onDisk = false;  // in a folder on the machine's disk, not in memory
};

struct Result {
    std::string scenario;
    int events = 0;
    std::string command;
    double medianSeconds = 0;
    double peakRssMiB = 0;
    double inputMiB = 0;
};

const char* const kAwkRecipe =
    "/BEGIN:VEVENT/ { f = \"VCS folder/\" ++n \".vcs\"; printf \"Begin:VCalendar\\r\\nVersion: 1.0\\r\\n\" > f }\n"
    "f { print > f }\n"
    "/END:VEVENT/ { printf \"End:VCalendar\\r\\n\" > f; close(f); f = \"\" }\n";

// Writes the calendar piece by piece: the driver itself must stay small.
template <typename Pieces>
void WriteCalendar(const fs::path& path, Pieces&& pieces)
{
    std::ofstream out(path, std::ios::binary);
    pieces([&out](const std::string& piece) { out << piece; });
    if (!out) {
        std::fputs("cannot write the calendar\n", stderr);
        std::exit(2);
    }
}

// count events with a few properties and a description of descriptionBytes;
// zoned: an iCalendar 2.0 calendar whose events start and end in a VTIMEZONE.
void WriteEvents(const fs::path& path, int count, std::size_t descriptionBytes, bool zoned = false)
{
    const std::string description(descriptionBytes, 'd');
    const std::string zone = zoned ? ";TZID=Europe/Berlin" : "";
    const std::string time = zoned ? "" : "Z";
    WriteCalendar(path, [&](const auto& put) {
        put(zoned ? "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Orvelin//Benchmark//EN\r\n"
                    "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\nBEGIN:STANDARD\r\nDTSTART:19701025T030000\r\n"
                    "TZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
                  : "BEGIN:VCALENDAR\r\nVERSION:1.0\r\nPRODID:-//Orvelin//Benchmark//EN\r\n");
        for (int n = 1; n <= count; ++n) {
            const std::string id = std::to_string(n);
            put("BEGIN:VEVENT\r\nUID:" + id + "@bench.orvelin\r\nDTSTART" + zone + ":20270104T090000" + time +
                "\r\nDTEND" + zone + ":20270104T100000" + time + "\r\nSUMMARY:Planning meeting " + id +
                "\r\nLOCATION:Room " + id + "\r\nDESCRIPTION:" + description + "\r\nEND:VEVENT\r\n");
        }
        put("END:VCALENDAR\r\n");
    });
}

// count events of a phone's vCalendar 1.0 backup: local times in a zone of
// TZ and DAYLIGHT lines, a weekly rule, an alarm, no UID, and a summary and a
// 300-byte description quoted-printable in ISO-8859-1, with soft breaks.
void WritePhoneEvents(const fs::path& path, int count)
{
    std::string description;
    while (description.size() < 300)
        description += "Gr=FC=DFe aus M=FCnchen, bitte die Unterlagen f=FCr das Treffen mitbringen. =\r\n";
    WriteCalendar(path, [&](const auto& put) {
        put("BEGIN:VCALENDAR\r\nVERSION:1.0\r\nPRODID:-//Orvelin//Benchmark//EN\r\nTZ:+01\r\n"
            "DAYLIGHT:TRUE;+02;20270328T020000;20271031T030000;CET;CEST\r\n");
        for (int n = 1; n <= count; ++n) {
            const std::string id = std::to_string(n);
            put("BEGIN:VEVENT\r\nDTSTART:20270104T090000\r\nDTEND:20270104T100000\r\n"
                "SUMMARY;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Besprechung B=FCro " +
                id + "\r\nLOCATION:Room " + id + "\r\nDESCRIPTION;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:" +
                description + "Ende\r\nRRULE:W1 MO #10\r\nDALARM:20270104T084500;;;Besprechung\r\nEND:VEVENT\r\n");
        }
        put("END:VCALENDAR\r\n");
    });
}

constexpr std::size_t kMiB = 1 << 20;
constexpr std::size_t kRefusalSize = 400 * kMiB;

// No start marker in any letter case: the letter N throughout.
void WriteLetters(const fs::path& path)
{
    const std::string block(kMiB, 'N');
    WriteCalendar(path, [&](const auto& put) {
        for (std::size_t size = 0; size < kRefusalSize; size += block.size())
            put(block);
    });
}

// No start marker either: ordinary text lines, with every letter in them.
void WriteTextLines(const fs::path& path)
{
    const std::string line =
        "X-NOTE:Quarterly budget review with the Berlin team, agenda below; bring your figures\r\n";
    std::string block;
    while (block.size() < kMiB)
        block += line;
    WriteCalendar(path, [&](const auto& put) {
        for (std::size_t size = 0; size < kRefusalSize - 20 * kMiB; size += block.size())
            put(block);
    });
}

// Inputs that once cost the standalone split quadratic time or twice the
// memory, each with events around it.
enum class Hostile { SoftBreaks, ManyZones, SameNames, SameUids, LongLine };

void WriteHostile(const fs::path& path, Hostile kind)
{
    const std::string head = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Orvelin//Benchmark//EN\r\n";
    const std::string event = "BEGIN:VEVENT\r\nUID:x\r\nDTSTART:20270104T090000Z\r\nSUMMARY:Planning\r\nEND:VEVENT\r\n";
    WriteCalendar(path, [&](const auto& put) {
        put(head + event);
        switch (kind) {
        case Hostile::SoftBreaks:  // a quoted-printable line without a colon, folded 100,000 times
            put("BEGIN:VEVENT\r\nDESCRIPTION;ENCODING=QUOTED-PRINTABLE\r\n");
            for (int n = 0; n < 100000; ++n)
                put(" =3D=3D=3D=3D=3D=3D=3D=3D=3D=3D=3D=3D=3D=3D=3D=3D=3D=3D=3D=3D=3D=\r\n");
            put("END:VEVENT\r\n");
            break;
        case Hostile::ManyZones:  // one event naming 100,000 time zones
            put("BEGIN:VEVENT\r\n");
            for (int n = 0; n < 100000; ++n)
                put("X-A;TZID=Zone/" + std::to_string(n) + ":1\r\n");
            put("END:VEVENT\r\n");
            break;
        case Hostile::SameNames:  // 10,000 entries of one start and summary
            for (int n = 0; n < 10000; ++n)
                put("BEGIN:VEVENT\r\nUID:" + std::to_string(n) +
                    "\r\nDTSTART:20270104T090000Z\r\nSUMMARY:Planning\r\nEND:VEVENT\r\n");
            break;
        case Hostile::SameUids:  // 20,000 calendar objects of one UID
            for (int n = 0; n < 20000; ++n)
                put("END:VCALENDAR\r\n" + head + event);
            break;
        case Hostile::LongLine:  // a 53 MB description folded into 700,000 lines
            put("BEGIN:VEVENT\r\nUID:long\r\nDESCRIPTION:");
            for (int n = 0; n < 700000; ++n)
                put(std::string(74, 'd') + "\r\n ");
            put("end\r\nEND:VEVENT\r\n" + event);
            break;
        }
        put("END:VCALENDAR\r\n");
    });
}

// Runs command in folder to its end: wall seconds and peak RSS in MiB.
std::pair<double, double> RunOnce(const Command& command, const fs::path& folder)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<char*> argv;
    for (const std::string& argument : command.argv)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (::posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(2);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != command.exitStatus) {
        std::fprintf(stderr, "%s failed\n", command.name.c_str());
        std::exit(2);
    }
    return {seconds, static_cast<double>(usage.ru_maxrss) / 1024.0};
}

// Everything written so far reaches the disk, so that no run pays for the
// one before it.
void Settle(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    ::syncfs(fd);
    ::close(fd);
}

// On a disk, removing thousands of files slows the file creations that
// follow it for seconds: an earlier output is moved aside instead, and
// removed once all runs on the disk are over.
void ResetOutput(const Command& command, const fs::path& folder, bool onDisk)
{
    if (!command.rerun) {
        if (onDisk && fs::exists(folder / "VCS folder")) {
            static int moved = 0;
            fs::create_directories(folder / "earlier");
            fs::rename(folder / "VCS folder", folder / "earlier" / std::to_string(++moved));
        }
        fs::remove_all(folder / "VCS folder");
        if (command.needsOutputFolder)
            fs::create_directory(folder / "VCS folder");
    }
    if (onDisk)
        Settle(folder);
}

// The kind of file system folder is on, for the table.
std::string FileSystemOf(const fs::path& folder)
{
    struct statfs info {};
    if (::statfs(folder.c_str(), &info) != 0)
        return "unknown";
    switch (info.f_type) {
    case TMPFS_MAGIC: return "tmpfs";
    case EXT4_SUPER_MAGIC: return "ext4";
    case XFS_SUPER_MAGIC: return "xfs";
    case BTRFS_SUPER_MAGIC: return "btrfs";
    default: return "another file system";
    }
}

void CheckOutput(const Command& command, const fs::path& folder, int events)
{
    if (events == 0 || command.extension.empty())
        return;
    const fs::path last = folder / "VCS folder" / (std::to_string(events) + command.extension);
    const fs::path beyond = folder / "VCS folder" / (std::to_string(events + 1) + command.extension);
    if (!fs::exists(last) || fs::exists(beyond)) {
        std::fprintf(stderr, "%s did not write %d files\n", command.name.c_str(), events);
        std::exit(2);
    }
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Warm-up, then runs rounds in which the commands take turns.
std::vector<Result> Measure(const Scenario& scenario, const fs::path& folder, int runs, double inputMiB)
{
    std::map<std::string, std::vector<double>> seconds;
    std::map<std::string, double> peak;
    for (const Command& command : scenario.commands) {
        ResetOutput(command, folder, scenario.onDisk);
        RunOnce(command, folder);
        CheckOutput(command, folder, scenario.events);
    }
    for (int round = 0; round < runs; ++round) {
        for (const Command& command : scenario.commands) {
            ResetOutput(command, folder, scenario.onDisk);
            const auto [wall, rss] = RunOnce(command, folder);
            seconds[command.name].push_back(wall);
            peak[command.name] = std::max(peak[command.name], rss);
        }
    }
    std::vector<Result> results;
    for (const Command& command : scenario.commands) {
        results.push_back({scenario.name, scenario.events, command.name, Median(seconds[command.name]),
                           peak[command.name], inputMiB});
    }
    return results;
}

const Result& Find(const std::vector<Result>& results, const std::string& scenario, const std::string& command)
{
    return *std::find_if(results.begin(), results.end(),
                         [&](const Result& r) { return r.scenario == scenario && r.command == command; });
}

double Ratio(const std::vector<Result>& results, const std::string& scenario, const std::string& command,
             const std::string& to)
{
    return Find(results, scenario, command).medianSeconds / Find(results, scenario, to).medianSeconds;
}

bool Check(const char* target, double value, double limit)
{
    const bool met = value <= limit;
    std::printf("  %-62s %8.3f <= %-8.3f %s\n", target, value, limit, met ? "met" : "NOT MET");
    return met;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: orvelin-bench BIN_DIR CSV_FILE [RUNS]\n", stderr);
        return 2;
    }
    const fs::path bin = fs::absolute(argv[1]);
    const fs::path csvPath = argv[2];
    const int runs = argc > 3 ? std::max(5, std::atoi(argv[3])) : 7;
    const fs::path base = fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path();
    std::string pattern = (base / "orvelin-bench-XXXXXX").string();
    const fs::path memoryFolder = ::mkdtemp(pattern.data());
    // The build tree is on the machine's disk.
    const fs::path diskFolder = bin.parent_path() / "bench-disk";
    fs::remove_all(diskFolder);
    fs::create_directories(diskFolder);
    std::printf("Calendars in %s (%s) and %s (%s), median of %d runs after a warm-up\n\n", memoryFolder.c_str(),
                FileSystemOf(memoryFolder).c_str(), diskFolder.c_str(), FileSystemOf(diskFolder).c_str(), runs);

    const auto tool = [&bin](const char* name) { return (bin / name).string(); };
    const Command floor{"floor", {tool("orvelin-floor"), "calendar.vcs"}};
    const Command split{"orvelin-split", {tool("orvelin-split"), "calendar.vcs"}};
    const Command awk{"awk", {"awk", kAwkRecipe, "calendar.vcs"}, true};
    const Command window{"window", {tool("orvelin-window-run"), "calendar.vcs"}};
    const Command readFloor{"read floor", {tool("orvelin-read-floor"), "calendar.vcs"}};
    const Command refusal{"orvelin-split", {tool("orvelin-split"), "calendar.vcs"}, false, false, 1};
    const Command rerunFloor{"rerun floor", {tool("orvelin-floor"), "--replace", "calendar.vcs"}, false, true};
    const Command rerun{"orvelin-split rerun", {tool("orvelin-split"), "calendar.vcs"}, false, true};
    const Command standalone{
        "orvelin-split --standalone", {tool("orvelin-split"), "--standalone", "calendar.vcs"}, false, false, 0, ".ics"};
    const Command standaloneRerun{
        "--standalone rerun", {tool("orvelin-split"), "--standalone", "calendar.vcs"}, false, true, 0, ".ics"};
    const Command standaloneVcs{"orvelin-split --standalone", {tool("orvelin-split"), "--standalone", "calendar.vcs"}};
    const Command toIcs{"--to-ics", {tool("orvelin-split"), "--to-ics", "calendar.vcs"}, false, false, 0, ".ics"};
    const Command dryRun{"--standalone --dry-run",
                         {tool("orvelin-split"), "--standalone", "--dry-run", "calendar.vcs"},
                         false,
                         false,
                         0,
                         ""};
    // On a disk, a durable run ends with its files on the disk.
    const Command syncFloor{"floor + syncfs", {tool("orvelin-floor"), "--sync", "calendar.vcs"}};
    const Command syncRerunFloor{
        "rerun floor + syncfs", {tool("orvelin-floor"), "--replace", "--sync", "calendar.vcs"}, false, true};
    const auto hostile = [&](const char* name, std::vector<std::string> options) {
        std::vector<std::string> argv{tool("orvelin-split"), "--standalone"};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.push_back("calendar.vcs");
        return Command{name, argv, false, false, 0, ""};
    };
    const fs::path calendar = memoryFolder / "calendar.vcs";
    const fs::path diskCalendar = diskFolder / "calendar.vcs";
    const std::vector<std::pair<Scenario, std::function<void()>>> scenarios{
        {{"1,000", 1000, {floor, split, awk}}, [&] { WriteEvents(calendar, 1000, 300); }},
        {{"10,000", 10000, {floor, split, awk}}, [&] { WriteEvents(calendar, 10000, 300); }},
        {{"30,000", 30000, {floor, split, awk, window}}, [&] { WriteEvents(calendar, 30000, 300); }},
        {{"30,000 rerun", 30000, {rerunFloor, rerun}}, [] {}},
        {{"30,000 zoned", 30000, {floor, standalone, dryRun}}, [&] { WriteEvents(calendar, 30000, 300, true); }},
        {{"30,000 zoned rerun", 30000, {standalone, standaloneRerun}}, [] {}},
        {{"30,000 phone", 30000, {standaloneVcs, toIcs}}, [&] { WritePhoneEvents(calendar, 30000); }},
        {{"2,000 x 200 KB", 2000, {floor, split}}, [&] { WriteEvents(calendar, 2000, 200 * 1024); }},
        {{"refusal: N", 0, {readFloor, refusal}}, [&] { WriteLetters(calendar); }},
        {{"refusal: text", 0, {readFloor, refusal}}, [&] { WriteTextLines(calendar); }},
        {{"soft breaks", 2, {floor, hostile("--standalone", {})}},
         [&] { WriteHostile(calendar, Hostile::SoftBreaks); }},
        {{"many zones", 2, {floor, hostile("--standalone", {})}}, [&] { WriteHostile(calendar, Hostile::ManyZones); }},
        {{"same names", 10001, {floor, hostile("--names date", {"--names=date"})}},
         [&] { WriteHostile(calendar, Hostile::SameNames); }},
        {{"same UIDs", 20001, {floor, hostile("--names uid", {"--names=uid"})}},
         [&] { WriteHostile(calendar, Hostile::SameUids); }},
        {{"long line", 3, {floor, hostile("--standalone", {})}}, [&] { WriteHostile(calendar, Hostile::LongLine); }},
        {{"disk 10,000", 10000, {syncFloor, split}, true}, [&] { WriteEvents(diskCalendar, 10000, 300); }},
        {{"disk 10,000 rerun", 10000, {syncRerunFloor, rerun}, true}, [] {}},
        {{"disk 10,000 zoned rerun", 10000, {standalone, standaloneRerun}, true},
         [&] { WriteEvents(diskCalendar, 10000, 300, true); }},
    };

    std::vector<Result> results;
    for (const auto& [scenario, write] : scenarios) {
        const fs::path folder = scenario.onDisk ? diskFolder : memoryFolder;
        const bool rerunning = scenario.commands.front().rerun;
        if (!rerunning)
            fs::remove_all(folder / "VCS folder");
        write();
        const double inputMiB = static_cast<double>(fs::file_size(folder / "calendar.vcs")) / kMiB;
        // The large inputs take long enough that fewer runs tell as much.
        const int scenarioRuns = inputMiB > 100 ? std::max(3, runs / 2) : runs;
        for (Result& result : Measure(scenario, folder, scenarioRuns, inputMiB))
            results.push_back(result);
    }
    fs::remove_all(memoryFolder);
    fs::remove_all(diskFolder);

    fs::create_directories(csvPath.parent_path());
    std::ofstream csv(csvPath);
    csv << "input,events,command,median_seconds,ratio_to_floor,us_per_event,peak_rss_mib,input_mib\n";
    std::printf("%-17s %-26s %10s %9s %9s %13s\n", "input", "command", "median s", "x floor", "us/event",
                "peak RSS MiB");
    for (const auto& [scenario, write] : scenarios) {
        for (const Command& command : scenario.commands) {
            const Result& r = Find(results, scenario.name, command.name);
            const double ratio = Ratio(results, scenario.name, command.name, scenario.commands.front().name);
            const double perEvent = r.events > 0 ? r.medianSeconds * 1e6 / r.events : 0;
            std::printf("%-17s %-26s %10.4f %9.2f %9.2f %13.1f\n", r.scenario.c_str(), r.command.c_str(),
                        r.medianSeconds, ratio, perEvent, r.peakRssMiB);
            csv << '"' << r.scenario << "\"," << r.events << ',' << r.command << ',' << r.medianSeconds << ',' << ratio
                << ',' << perEvent << ',' << r.peakRssMiB << ',' << r.inputMiB << '\n';
        }
    }

    const Result& split30k = Find(results, "30,000", "orvelin-split");
    const Result& split1k = Find(results, "1,000", "orvelin-split");
    std::printf("\nTargets:\n");
    bool met = Check("30,000 events: console split / floor", Ratio(results, "30,000", "orvelin-split", "floor"), 1.15);
    met &= Check("30,000 events: console split / awk recipe (below 1)",
                 Ratio(results, "30,000", "orvelin-split", "awk"), 0.999);
    met &= Check("30,000 events: window run / console split", Ratio(results, "30,000", "window", "orvelin-split"), 1.5);
    met &= Check("time per event at 30,000 / at 1,000",
                 (split30k.medianSeconds / 30000) / (split1k.medianSeconds / 1000), 1.3);
    met &= Check("30,000 events: peak RSS MiB (input + 16 MiB)", split30k.peakRssMiB, split30k.inputMiB + 16);
    const Result& standalone30k = Find(results, "30,000 zoned", "orvelin-split --standalone");
    met &= Check("30,000 zoned events: standalone split / floor",
                 Ratio(results, "30,000 zoned", "orvelin-split --standalone", "floor"), 1.3);
    met &= Check("30,000 zoned events: standalone peak RSS MiB (input + 10 MiB)", standalone30k.peakRssMiB,
                 standalone30k.inputMiB + 10);
    met &= Check("30,000 zoned events: dry run / standalone split",
                 Ratio(results, "30,000 zoned", "--standalone --dry-run", "orvelin-split --standalone"), 0.25);
    met &= Check("rerun over the same names / rerun floor",
                 Ratio(results, "30,000 rerun", "orvelin-split rerun", "rerun floor"), 1.15);
    met &= Check("standalone rerun over an earlier result / first run",
                 Ratio(results, "30,000 zoned rerun", "--standalone rerun", "orvelin-split --standalone"), 1.5);
    met &= Check("30,000 phone events: --to-ics / standalone split",
                 Ratio(results, "30,000 phone", "--to-ics", "orvelin-split --standalone"), 2);
    met &= Check("2,000 events of 200 KB: console split / floor",
                 Ratio(results, "2,000 x 200 KB", "orvelin-split", "floor"), 1.15);
    met &= Check("refusing 400 MB of N / read floor", Ratio(results, "refusal: N", "orvelin-split", "read floor"),
                 1.25);
    met &= Check("refusing 380 MB of text / read floor", Ratio(results, "refusal: text", "orvelin-split", "read floor"),
                 1.25);
    for (const char* input : {"soft breaks", "many zones", "same names", "same UIDs", "long line"}) {
        const Scenario& scenario = std::find_if(scenarios.begin(), scenarios.end(), [&](const auto& s) {
                                       return s.first.name == input;
                                   })->first;
        const Result& hostile = Find(results, input, scenario.commands[1].name);
        met &= Check((std::string(input) + ": standalone split / floor").c_str(),
                     Ratio(results, input, scenario.commands[1].name, "floor"), 2);
        met &= Check((std::string(input) + ": peak RSS MiB (input + 32 MiB)").c_str(), hostile.peakRssMiB,
                     hostile.inputMiB + 32);
    }
    met &= Check("on disk, 10,000 events: console split / floor + syncfs",
                 Ratio(results, "disk 10,000", "orvelin-split", "floor + syncfs"), 1.25);
    met &= Check("on disk, rerun: console split / rerun floor + syncfs",
                 Ratio(results, "disk 10,000 rerun", "orvelin-split rerun", "rerun floor + syncfs"), 1.25);
    met &= Check("on disk, standalone rerun over an earlier result / first run",
                 Ratio(results, "disk 10,000 zoned rerun", "--standalone rerun", "orvelin-split --standalone"), 1.5);
    std::printf("\nCSV: %s\n", csvPath.c_str());
    return met ? 0 : 1;
}
