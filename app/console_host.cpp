#include "app/console_host.h"

#include <cstdio>

namespace orvelin::console {

ConsoleHost::ConsoleHost(std::string fileTitle, const RunState& state, platform::FileManagerLauncher* launcher,
                         bool progressOnTerminal)
    : RunHost(state,
              launcher ? [launcher](const std::string& folder) { launcher->Start(folder); }
                       : std::function<void(const std::string&)>()),
      fileTitle_(std::move(fileTitle)), progressOnTerminal_(progressOnTerminal)
{
}

std::string ConsoleHost::chosenFileTitle()
{
    return fileTitle_;
}

void ConsoleHost::showMessage(std::string_view /*text*/, std::string_view /*title*/, MessageIcon /*icon*/) {}

void ConsoleHost::setProgress(bool visible, std::string_view caption)
{
    if (!progressOnTerminal_)
        return;
    ClearProgressLine();
    if (visible && !caption.empty()) {
        std::fwrite(caption.data(), 1, caption.size(), stderr);
        std::fflush(stderr);
        progressLineShown_ = true;
    }
}

void ConsoleHost::listFile(std::string_view name, std::uint64_t entries, std::uint64_t bytes)
{
    listing_.push_back(std::string(name) + '\t' + std::to_string(entries) + '\t' + std::to_string(bytes));
}

void ConsoleHost::ClearProgressLine()
{
    if (!progressLineShown_)
        return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    progressLineShown_ = false;
}

}  // namespace orvelin::console
