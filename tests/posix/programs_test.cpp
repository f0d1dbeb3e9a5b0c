// The programs as a user starts them: the window on a virtual display, ended
// with one Alt+C, and `make run` where there is no display.

#include "tests/posix/process.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace orvelin::testing {
namespace {

TEST(Programs, WithoutADisplayMakeRunSplitsTheExampleAndSaysHowToStartTheWindow)
{
    TempFolder folder;
    const ProcessResult result =
        RunProcess({"/bin/sh", ORVELIN_SOURCE_DIR "/app/run-without-display.sh", ORVELIN_SPLIT_PATH,
                    ORVELIN_SOURCE_DIR "/docs/example.vcs"},
                   folder.path(), {"TMPDIR=" + folder.path(), "DISPLAY=", "WAYLAND_DISPLAY="});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    for (const std::string shown : {"2 Entries have been generated\n", "  1.vcs\n  2.vcs\n",
                                    "  Begin:VCalendar\n  Version: 1.0\n  BEGIN:VEVENT\n  SUMMARY:Standup\n",
                                    "build/bin/orvelin"})
        EXPECT_NE(result.out.find(shown), std::string::npos) << shown << " in:\n" << result.out;
}

#ifdef ORVELIN_WINDOW_PATH
TEST(Programs, TheWindowStartsAndEndsOnCancel)
{
    TempFolder folder;
    int displayPipe[2];
    ASSERT_EQ(::pipe(displayPipe), 0);
    StartedProcess xvfb({"/usr/bin/Xvfb", "-displayfd", std::to_string(displayPipe[1]), "-nolisten", "tcp", "-screen",
                         "0", "800x600x24"},
                        folder.path());
    ::close(displayPipe[1]);
    std::string display;
    char digit = 0;
    while (::read(displayPipe[0], &digit, 1) == 1 && digit != '\n')
        display += digit;
    ::close(displayPipe[0]);
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";
    const std::string runtime = folder / "runtime";
    ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
    // The display's own libraries (D-Bus, fontconfig) keep memory to the end:
    // not ours to report.
    const std::vector<std::string> environment{"DISPLAY=:" + display, "QT_QPA_PLATFORM=xcb",
                                               "XDG_RUNTIME_DIR=" + runtime, "ASAN_OPTIONS=detect_leaks=0"};

    StartedProcess window({ORVELIN_WINDOW_PATH}, folder.path(), environment);
    const ProcessResult keys = RunProcess({"/usr/bin/timeout", "20", "/usr/bin/xdotool", "search", "--sync", "--name",
                                           "Orvelin Version 1.0", "windowfocus", "--sync", "key", "alt+c"},
                                          folder.path(), environment);
    EXPECT_EQ(keys.exitStatus, 0) << keys.err;
    const ProcessResult ended = window.Wait();
    EXPECT_EQ(ended.exitStatus, 0) << ended.err;
    ::kill(xvfb.pid(), SIGTERM);
}
#endif

}  // namespace
}  // namespace orvelin::testing
