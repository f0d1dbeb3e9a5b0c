#pragma once

#include "platform/platform_host.h"

#include <string>

namespace orvelin::console {

// Host services for the console front end: information on stdout, the error
// box on stderr, the progress caption on one updating line of a terminal.
class ConsoleHost final : public platform::PlatformHostServices {
public:
    ConsoleHost(std::string fileTitle, platform::FileManagerLauncher* launcher, bool progressOnTerminal);

    std::string chosenFileTitle() override;
    void showMessage(std::string_view text, std::string_view title, MessageIcon icon) override;
    void setProgress(bool visible, std::string_view caption) override;

    bool errorShown() const { return errorShown_; }
    bool messageShown() const { return messageShown_; }
    bool ended() const { return ended_; }
    // A message could not be written (a closed pipe, a full disk).
    bool outputFailed() const { return outputFailed_; }

protected:
    bool processPendingEvents() override { return false; }
    void shutDown() override { ended_ = true; }

private:
    void ClearProgressLine();

    std::string fileTitle_;
    bool progressOnTerminal_;
    bool progressLineShown_ = false;
    bool messageShown_ = false;
    bool errorShown_ = false;
    bool ended_ = false;
    bool outputFailed_ = false;
};

}  // namespace orvelin::console
