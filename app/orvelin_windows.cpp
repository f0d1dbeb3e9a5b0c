// Orvelin on Windows: the window. Creates the plain window (or with
// --standalone the standalone one), shows it and runs until the program ends.

#include "platform/console.h"
#include "platform/file_manager.h"
#include "platform/local_file_system.h"
#include "ui/form/command_line.h"
#include "ui/win32/form1_window.h"
#include "ui/win32/registry_settings.h"
#include "ui/win32/standalone_window.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int showCommand)
{
    using namespace orvelin;
    ui::WindowArguments arguments;
    if (const std::optional<int> status = ui::ParseWindowArguments(platform::ProgramArguments(0, nullptr), arguments))
        return *status;
    ::SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    platform::SystemFileManager fileManager;
    const auto files = [] { return std::make_unique<platform::LocalFileSystem>(); };
    if (arguments.standalone) {
        ui::win32::RegistrySettings settings;
        ui::win32::StandaloneWindow window(instance, files, fileManager, settings);
        return window.Run(showCommand, arguments.file);
    }
    ui::win32::Form1Window window(instance, files, fileManager);
    return window.Run(showCommand, arguments.file);
}
