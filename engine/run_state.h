#pragma once

#include "engine/file_system.h"
#include "engine/text_search.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace orvelin {

// The window-level variables of a run, in their declared order. The window
// owns one for its whole life; each run overwrites the fields it uses.
struct RunState {
    std::unique_ptr<FileSystem> fileSystem;
    std::unique_ptr<InputTextStream> inputStream;
    std::string sourcePath;
    Text content;
    std::string startTag;
    std::string endTag;
    std::string sourceFolder;
    // A view into content: the input text is held once, never copied whole.
    std::string_view eventText;
    std::string outputFolder;
    std::string outputPath;
    Position startPos = 0;
    Position endPos = 0;
    // The number of the next event file. Numbering is that of a signed 16-bit
    // counter (1 ... kLastFileNumber); it is held wider so that "all
    // kLastFileNumber files written" can be told apart from "the last one not
    // yet written".
    std::int32_t fileNumber = 0;
};

inline constexpr std::int32_t kLastFileNumber = INT16_MAX;

}  // namespace orvelin
