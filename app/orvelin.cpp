// Orvelin: the window. Creates the plain window (or with --standalone the
// standalone one), shows it and runs until the program ends.

#include "engine/version.h"
#include "platform/file_manager.h"
#include "platform/interruption.h"
#include "platform/local_file_system.h"
#include "ui/form/command_line.h"
#include "ui/qt/form1_window.h"
#include "ui/qt/qt_settings.h"
#include "ui/qt/standalone_window.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// The command line without Qt's own options ("-platform offscreen",
// "-style=fusion"), which QApplication takes for itself.
std::vector<std::string> OurArguments(int argc, char** argv)
{
    static constexpr std::array<std::string_view, 12> kQtWithValue{
        "-platform",        "-platformpluginpath", "-platformtheme", "-plugin",
        "-qwindowgeometry", "-qwindowicon",        "-qwindowtitle",  "-session",
        "-style",           "-stylesheet",         "-display",       "-geometry"};
    static constexpr std::array<std::string_view, 4> kQtAlone{"-reverse", "-widgetcount", "-nograb", "-dograb"};
    std::vector<std::string> ours;
    for (int at = 0; at < argc; ++at) {
        const std::string_view argument = argv[at];
        const std::string_view name = argument.substr(0, argument.find('='));
        const bool withValue = std::find(kQtWithValue.begin(), kQtWithValue.end(), name) != kQtWithValue.end();
        if (at > 0 && withValue && name == argument)
            ++at;
        else if (at == 0 || (!withValue && std::find(kQtAlone.begin(), kQtAlone.end(), argument) == kQtAlone.end()))
            ours.emplace_back(argument);
    }
    return ours;
}

// Shows window and runs until the program ends. A calendar handed over that
// waits for Generate is taken before the window shows, so that Enter pressed
// at once finds it there (a box about it is the window's all the same); one
// that is split at once goes once the event loop runs.
template <typename Window>
int Show(QApplication& app, Window& window, const std::string& file, bool waitsForGenerate)
{
    QObject::connect(&window, &Window::programEnding, &app, &QApplication::exit, Qt::QueuedConnection);
    QApplication::setWindowIcon(window.windowIcon());
    if (!file.empty() && waitsForGenerate)
        window.form.OpenFile(file);
    window.show();
    if (!file.empty() && !waitsForGenerate)
        QTimer::singleShot(0, &window, [&window, file] { window.form.OpenFile(file); });
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv)
{
    orvelin::platform::ReportFileSizeLimitAsWriteFailure();
    orvelin::platform::EndCleanlyOnInterruption("orvelin");
    // Read before Qt starts: --help needs no display.
    orvelin::ui::WindowArguments arguments;
    if (const std::optional<int> status = orvelin::ui::ParseWindowArguments(OurArguments(argc, argv), arguments))
        return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvelin"));
    QApplication::setApplicationVersion(QStringLiteral(ORVELIN_VERSION));
    // The program ends only through its window: Cancel, the frame, or a run's end.
    QApplication::setQuitOnLastWindowClosed(false);

    orvelin::platform::SystemFileManager fileManager;
    const auto files = [] { return std::make_unique<orvelin::platform::LocalFileSystem>(); };
    if (arguments.standalone) {
        orvelin::ui::qt::QtSettings settings;
        orvelin::ui::qt::StandaloneWindow window(files, fileManager, settings);
        return Show(app, window, arguments.file, true);
    }
    orvelin::ui::qt::Form1Window window(files, fileManager);
    return Show(app, window, arguments.file, false);
}
