#pragma once

#include "engine/host_services.h"
#include "engine/run_state.h"

#include <functional>
#include <string>

namespace orvelin {

// The host services a front end takes from the run's file-system service:
// the folder services, and entering the output folder for the file manager,
// which the front end starts.
class RunHost : public HostServices {
public:
    std::string firstFileIn(const std::string& folder) override;
    void makeFolder(const std::string& folder) override;
    // Enters folder, reads it back and starts the file manager there.
    void openFolderView(const std::string& folder) override;

protected:
    // startFileManager starts the file manager on a folder; none leaves it
    // closed (the folder is entered all the same).
    RunHost(const RunState& state, std::function<void(const std::string&)> startFileManager)
        : state_(state), startFileManager_(std::move(startFileManager))
    {
    }

private:
    const RunState& state_;
    std::function<void(const std::string&)> startFileManager_;
};

}  // namespace orvelin
