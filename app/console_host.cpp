#include "app/console_host.h"

#include <cstdio>

namespace orvelin::console {
namespace {

// Message texts break lines with CR LF; a console wants LF. False when the
// text could not be written.
bool PrintText(std::FILE* out, std::string_view text)
{
    std::string printed;
    printed.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        printed += text[i];
    }
    printed += '\n';
    const bool written = std::fwrite(printed.data(), 1, printed.size(), out) == printed.size();
    return std::fflush(out) == 0 && written;
}

}  // namespace

ConsoleHost::ConsoleHost(std::string fileTitle, platform::FileManagerLauncher* launcher, bool progressOnTerminal)
    : PlatformHostServices(launcher), fileTitle_(std::move(fileTitle)), progressOnTerminal_(progressOnTerminal)
{
}

std::string ConsoleHost::chosenFileTitle()
{
    return fileTitle_;
}

void ConsoleHost::showMessage(std::string_view text, std::string_view title, MessageIcon icon)
{
    ClearProgressLine();
    messageShown_ = true;
    if (icon == MessageIcon::Critical) {
        errorShown_ = true;
        std::string line(title);
        line += ": ";
        line += text;
        outputFailed_ |= !PrintText(stderr, line);
    } else {
        outputFailed_ |= !PrintText(stdout, text);
    }
}

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

void ConsoleHost::ClearProgressLine()
{
    if (!progressLineShown_)
        return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    progressLineShown_ = false;
}

}  // namespace orvelin::console
