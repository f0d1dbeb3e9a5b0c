// The programs as a user starts them: the window on a virtual display, ended
// with one Alt+C, and `make run` where there is no display.

#include "tests/posix/process.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace orvelin::testing {
namespace {

TEST(Programs, WithoutADisplayMakeRunSplitsTheExampleAndSaysHowToStartTheWindow)
{
    TempFolder folder;
    const ProcessResult result = RunProcess({"/bin/sh", ORVELIN_SOURCE_DIR "/app/run-without-display.sh",
                                             ORVELIN_SPLIT_PATH, ORVELIN_SOURCE_DIR "/docs/example.vcs"},
                                            folder.path(), {"TMPDIR=" + folder.path(), "DISPLAY=", "WAYLAND_DISPLAY="});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    for (const std::string shown :
         {"2 Entries have been generated\n", "  1.vcs\n  2.vcs\n",
          "  Begin:VCalendar\n  Version: 1.0\n  BEGIN:VEVENT\n  SUMMARY:Standup\n", "build/bin/orvelin"})
        EXPECT_NE(result.out.find(shown), std::string::npos) << shown << " in:\n" << result.out;
}

#ifdef ORVELIN_WINDOW_PATH
// The window's command line is read before Qt needs a display.
TEST(Programs, TheWindowsHelpAndUsageErrorsNeedNoDisplay)
{
    TempFolder folder;
    const std::vector<std::string> noDisplay{"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="};
    const ProcessResult help = RunProcess({ORVELIN_WINDOW_PATH, "--help"}, folder.path(), noDisplay);
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: orvelin")) << help.out;
    const ProcessResult wrong = RunProcess({ORVELIN_WINDOW_PATH, "-style=fusion", "--bogus"}, folder.path(), noDisplay);
    EXPECT_EQ(wrong.exitStatus, 2);
    EXPECT_EQ(wrong.err, "orvelin: unrecognized argument '--bogus'\nTry 'orvelin --help' for more information.\n");
}

// Xvfb on a display of its own, with what a program needs to run there.
class VirtualDisplay {
public:
    explicit VirtualDisplay(const TempFolder& folder)
    {
        int displayPipe[2];
        if (::pipe(displayPipe) != 0)
            return;
        server_ = std::make_unique<StartedProcess>(
            // -noreset: a server that resets when its last client goes refuses the next one meanwhile.
            std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", std::to_string(displayPipe[1]), "-nolisten", "tcp",
                                     "-noreset", "-screen", "0", "800x600x24"},
            folder.path());
        ::close(displayPipe[1]);
        std::string display;
        char digit = 0;
        while (::read(displayPipe[0], &digit, 1) == 1 && digit != '\n')
            display += digit;
        ::close(displayPipe[0]);
        const std::string runtime = folder / "runtime";
        ::mkdir(runtime.c_str(), 0700);
        // The display's own libraries (D-Bus, fontconfig) keep memory to the
        // end: not ours to report.
        if (!display.empty())
            environment = {"DISPLAY=:" + display, "QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + runtime,
                           "ASAN_OPTIONS=detect_leaks=0"};
    }
    // Ended and waited for: a server still going away would remove the next
    // one's socket if it took the same display.
    ~VirtualDisplay()
    {
        if (server_) {
            ::kill(server_->pid(), SIGTERM);
            server_->Wait();
        }
    }

    // xdotool with these arguments on this display, given at most `seconds`; its exit status.
    int Xdotool(std::vector<std::string> arguments, int seconds = 20) const
    {
        arguments.insert(arguments.begin(), {"/usr/bin/timeout", std::to_string(seconds), "/usr/bin/xdotool"});
        return RunProcess(arguments, "/", environment).exitStatus;
    }

    std::vector<std::string> environment;  // empty when Xvfb did not start

private:
    std::unique_ptr<StartedProcess> server_;
};

TEST(Programs, TheWindowStartsAndEndsOnCancel)
{
    TempFolder folder;
    VirtualDisplay display(folder);
    ASSERT_FALSE(display.environment.empty()) << "Xvfb did not start";
    StartedProcess window({ORVELIN_WINDOW_PATH}, folder.path(), display.environment);
    EXPECT_EQ(
        display.Xdotool({"search", "--sync", "--name", "Orvelin Version 1.0", "windowfocus", "--sync", "key", "alt+c"}),
        0);
    if (!window.EndedWithin(std::chrono::seconds(10)))
        ::kill(window.pid(), SIGKILL);
    const ProcessResult ended = window.Wait();
    EXPECT_EQ(ended.exitStatus, 0) << ended.err;
}

// A calendar handed over on the command line is split at once by the plain
// window, by the standalone window on Enter; the summary box is answered, and
// the program ends.
TEST(Programs, EitherWindowSplitsACalendarHandedOver)
{
    const struct {
        std::vector<std::string> arguments;
        const char* window;  // where Enter starts, or nullptr
        const char* answer;  // to the summary box
        const char* written;
    } cases[] = {
        {{"export.vcs"}, nullptr, "Return", "VCS folder/2.vcs"},
        {{"--standalone", "--", "export.vcs"}, "Whole calendars", "Escape", "VCS folder/2.vcs"},
    };
    TempFolder displayFolder;
    VirtualDisplay display(displayFolder);
    ASSERT_FALSE(display.environment.empty()) << "Xvfb did not start";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        TempFolder folder;
        WriteBytes(folder / "export.vcs",
                   "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:a\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nUID:b\r\nEND:"
                   "VEVENT\r\nEND:VCALENDAR\r\n");
        std::vector<std::string> command{ORVELIN_WINDOW_PATH};
        command.insert(command.end(), c.arguments.begin(), c.arguments.end());
        std::vector<std::string> environment = display.environment;
        environment.push_back("HOME=" + folder.path());
        StartedProcess window(command, folder.path(), environment);
        // Enter pressed while Qt still settles a window just mapped may go
        // unseen: pressed again until the summary box shows.
        for (int tries = 0; c.window && tries < 5; ++tries) {
            display.Xdotool(
                {"search", "--sync", "--onlyvisible", "--name", c.window, "windowfocus", "--sync", "key", "Return"});
            if (display.Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Orvelin$"}, 4) == 0)
                break;
        }
        // The box goes with the key, before xdotool is through with it: its status tells nothing.
        display.Xdotool(
            {"search", "--sync", "--onlyvisible", "--name", "^Orvelin$", "windowfocus", "--sync", "key", c.answer});
        if (!window.EndedWithin(std::chrono::seconds(20)))
            ::kill(window.pid(), SIGKILL);
        const ProcessResult ended = window.Wait();
        EXPECT_EQ(ended.exitStatus, 0) << ended.err;
        EXPECT_NE(ReadBytes(folder / c.written), "<missing>");
    }
}

// A path typed into the dialog, then one click on Cancel (or one Alt+C)
// during the run: the run ends at once, every file complete. Whatever the
// dialog left open (its name completion) must not swallow that first input.
TEST(Programs, OneCancelAfterTypingThePathEndsARun)
{
    for (const bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Alt+C" : "a click on Cancel");
        TempFolder folder;
        std::string calendar = "BEGIN:VCALENDAR\r\n";
        for (int n = 1; n <= 40000; ++n)
            calendar += "BEGIN:VEVENT\r\nSUMMARY:" + std::to_string(n) + "\r\nEND:VEVENT\r\n";
        WriteBytes(folder / "export.vcs", calendar);
        VirtualDisplay display(folder);
        ASSERT_FALSE(display.environment.empty()) << "Xvfb did not start";
        StartedProcess window({ORVELIN_WINDOW_PATH}, folder.path(), display.environment);
        ASSERT_EQ(display.Xdotool(
                      {"search", "--sync", "--name", "Orvelin Version 1.0", "windowfocus", "--sync", "key", "alt+g"}),
                  0);
        ASSERT_EQ(display.Xdotool({"search", "--sync", "--name", "Browse and select the VCalendar file", "windowfocus",
                                   "--sync", "type", "--delay", "5", folder / "export.vcs"}),
                  0);
        ASSERT_EQ(display.Xdotool({"key", "Return"}), 0);
        // The run has begun once its output folder is there.
        for (int tries = 0; tries < 500 && !std::filesystem::exists(folder / "VCS folder"); ++tries)
            ::usleep(10'000);
        if (byKey)
            display.Xdotool({"key", "alt+c"});
        else  // Cancel, by its place in the window
            display.Xdotool(
                {"search", "--name", "Orvelin Version 1.0", "mousemove", "--window", "%1", "176", "84", "click", "1"});
        const bool endedAtOnce = window.EndedWithin(std::chrono::seconds(1));
        EXPECT_TRUE(endedAtOnce) << "one action ends the run";
        if (!endedAtOnce)
            ::kill(window.pid(), SIGKILL);
        const ProcessResult ended = window.Wait();
        EXPECT_EQ(ended.exitStatus, endedAtOnce ? 0 : 128 + SIGKILL) << ended.err;
        EXPECT_EQ(ReadBytes(folder / "VCS folder/40000.vcs"), "<missing>") << "the run did not go on to its end";
    }
}
#endif

}  // namespace
}  // namespace orvelin::testing
