// The split benchmark: whole-process timings of orvelin-split, the window, the
// cost floor and the awk recipe on generated calendars, with the targets the
// split must meet. Usage: orvelin-bench BIN_DIR CSV_FILE [RUNS]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
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
};

struct Result {
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

std::string Calendar(int events)
{
    const std::string description(300, 'd');
    std::string text = "BEGIN:VCALENDAR\r\nVERSION:1.0\r\nPRODID:-//Orvelin//Benchmark//EN\r\n";
    text.reserve(static_cast<std::size_t>(events) * 440);
    for (int n = 1; n <= events; ++n) {
        const std::string id = std::to_string(n);
        text += "BEGIN:VEVENT\r\nUID:" + id + "@bench.orvelin\r\nDTSTART:20270104T090000Z\r\n"
                "DTEND:20270104T100000Z\r\nSUMMARY:Planning meeting " + id + "\r\nLOCATION:Room " + id +
                "\r\nDESCRIPTION:" + description + "\r\nEND:VEVENT\r\n";
    }
    return text + "END:VCALENDAR\r\n";
}

// Made in a child process: a spawned command's peak RSS counts the highest RSS
// its parent ever had, so the driver itself must stay small.
void WriteCalendar(const fs::path& path, int events)
{
    const pid_t child = ::fork();
    if (child == 0) {
        std::ofstream(path, std::ios::binary) << Calendar(events);
        std::_Exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (child < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fputs("cannot write the calendar\n", stderr);
        std::exit(2);
    }
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
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", command.name.c_str());
        std::exit(2);
    }
    return {seconds, static_cast<double>(usage.ru_maxrss) / 1024.0};
}

void ResetOutput(const Command& command, const fs::path& folder)
{
    fs::remove_all(folder / "VCS folder");
    if (command.needsOutputFolder)
        fs::create_directory(folder / "VCS folder");
}

void CheckOutput(const Command& command, const fs::path& folder, int events)
{
    const fs::path last = folder / "VCS folder" / (std::to_string(events) + ".vcs");
    const fs::path beyond = folder / "VCS folder" / (std::to_string(events + 1) + ".vcs");
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
std::vector<Result> Measure(const std::vector<Command>& commands, const fs::path& folder, int events, int runs,
                            double inputMiB)
{
    std::map<std::string, std::vector<double>> seconds;
    std::map<std::string, double> peak;
    for (const Command& command : commands) {
        ResetOutput(command, folder);
        RunOnce(command, folder);
        CheckOutput(command, folder, events);
    }
    for (int round = 0; round < runs; ++round) {
        for (const Command& command : commands) {
            ResetOutput(command, folder);
            const auto [wall, rss] = RunOnce(command, folder);
            seconds[command.name].push_back(wall);
            peak[command.name] = std::max(peak[command.name], rss);
        }
    }
    fs::remove_all(folder / "VCS folder");
    std::vector<Result> results;
    for (const Command& command : commands)
        results.push_back({events, command.name, Median(seconds[command.name]), peak[command.name], inputMiB});
    return results;
}

const Result& Find(const std::vector<Result>& results, int events, const std::string& command)
{
    return *std::find_if(results.begin(), results.end(),
                         [&](const Result& r) { return r.events == events && r.command == command; });
}

bool Check(const char* target, double value, double limit)
{
    const bool met = value <= limit;
    std::printf("  %-58s %8.3f <= %-8.3f %s\n", target, value, limit, met ? "met" : "NOT MET");
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
    const fs::path folder = ::mkdtemp(pattern.data());
    std::printf("Calendars in %s, median of %d runs after a warm-up\n\n", folder.c_str(), runs);

    std::vector<Result> results;
    for (const int events : {1000, 10000, 30000}) {
        WriteCalendar(folder / "calendar.vcs", events);
        const auto inputSize = fs::file_size(folder / "calendar.vcs");
        std::vector<Command> commands{
            {"floor", {(bin / "orvelin-floor").string(), "calendar.vcs"}},
            {"orvelin-split", {(bin / "orvelin-split").string(), "calendar.vcs"}},
            {"awk", {"awk", kAwkRecipe, "calendar.vcs"}, true},
        };
        if (events == 30000)
            commands.push_back({"window", {(bin / "orvelin-window-run").string(), "calendar.vcs"}});
        for (Result& result : Measure(commands, folder, events, runs, static_cast<double>(inputSize) / (1 << 20)))
            results.push_back(result);
    }
    fs::remove_all(folder);

    fs::create_directories(csvPath.parent_path());
    std::ofstream csv(csvPath);
    csv << "events,command,median_seconds,ratio_to_floor,us_per_event,peak_rss_mib,input_mib\n";
    std::printf("%7s  %-14s %10s %9s %9s %13s\n", "events", "command", "median s", "x floor", "us/event", "peak RSS MiB");
    for (const Result& r : results) {
        const double ratio = r.medianSeconds / Find(results, r.events, "floor").medianSeconds;
        const double perEvent = r.medianSeconds * 1e6 / r.events;
        std::printf("%7d  %-14s %10.4f %9.2f %9.2f %13.1f\n", r.events, r.command.c_str(), r.medianSeconds, ratio,
                    perEvent, r.peakRssMiB);
        csv << r.events << ',' << r.command << ',' << r.medianSeconds << ',' << ratio << ',' << perEvent << ','
            << r.peakRssMiB << ',' << r.inputMiB << '\n';
    }

    const Result& split = Find(results, 30000, "orvelin-split");
    const Result& split1k = Find(results, 1000, "orvelin-split");
    std::printf("\nTargets at 30,000 events:\n");
    bool met = Check("console split / floor", split.medianSeconds / Find(results, 30000, "floor").medianSeconds, 1.15);
    met &= Check("console split / awk recipe (must be below 1)",
                 split.medianSeconds / Find(results, 30000, "awk").medianSeconds, 0.999);
    met &= Check("window run / console split", Find(results, 30000, "window").medianSeconds / split.medianSeconds, 1.5);
    met &= Check("time per event at 30,000 / at 1,000",
                 (split.medianSeconds / 30000) / (split1k.medianSeconds / 1000), 1.3);
    met &= Check("console peak RSS MiB (limit: input + 16 MiB)", split.peakRssMiB, split.inputMiB + 16);
    std::printf("\nCSV: %s\n", csvPath.c_str());
    return met ? 0 : 1;
}
