#pragma once

#include "platform/file_manager.h"

#include <string>
#include <vector>

namespace orvelin::testing {

// Stands in for the file manager: records each folder it is asked to open.
class RecordingLauncher final : public platform::FileManagerLauncher {
public:
    void Start(const std::string& folder) override { started.push_back(folder); }
    std::vector<std::string> started;
};

}  // namespace orvelin::testing
