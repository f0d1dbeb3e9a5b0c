#pragma once

#include "engine/run_host.h"
#include "platform/file_manager.h"

#include <string>
#include <vector>

namespace orvelin::console {

// Host services for the console front end. What a run shows in boxes the
// front end tells from the run's outcome once the run is over (see
// orvelin_split.cpp); the progress caption goes to one updating line of a
// terminal.
class ConsoleHost final : public RunHost {
public:
    // launcher: null leaves the file manager closed.
    ConsoleHost(std::string fileTitle, const RunState& state, platform::FileManagerLauncher* launcher,
                bool progressOnTerminal);

    std::string chosenFileTitle() override;
    void showMessage(std::string_view text, std::string_view title, MessageIcon icon) override;
    void setProgress(bool visible, std::string_view caption) override;
    // "NAME<TAB>ENTRIES<TAB>BYTES", kept for the front end to print.
    void listFile(std::string_view name, std::uint64_t entries, std::uint64_t bytes) override;

    // Clears the progress line, if one is shown.
    void ClearProgressLine();

    const std::vector<std::string>& listing() const { return listing_; }

protected:
    bool processPendingEvents() override { return false; }
    void shutDown() override {}

private:
    std::string fileTitle_;
    bool progressOnTerminal_;
    bool progressLineShown_ = false;
    std::vector<std::string> listing_;
};

}  // namespace orvelin::console
