#pragma once

#include "tests/posix/process.h"
#include "tests/support/event_file.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvelin::testing {

// orvelin-split run as a process in a fresh folder.
class ConsoleSplit : public ::testing::Test {
protected:
    ProcessResult Split(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {})
    {
        std::vector<std::string> command{ORVELIN_SPLIT_PATH};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return RunProcess(command, folder.path(), environment);
    }
    std::string Output(const std::string& name) { return ReadBytes(folder / ("VCS folder/" + name)); }

    TempFolder folder;
};

}  // namespace orvelin::testing
