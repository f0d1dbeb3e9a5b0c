#pragma once

#include "engine/calendar_structure.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace orvelin {

// What a standalone file is named after: its number, or its first entry's
// UID, or that entry's start and summary (a series': its master's).
enum class FileNaming { Number, Uid, Date };

// Gives each file its name. Names are UTF-8 and the same on every OS: a
// summary is decoded from quoted-printable and its CHARSET (text in no known
// charset that is not UTF-8 is read as windows-1252), a character that
// Windows or POSIX forbids becomes "_", leading and trailing dots and spaces
// go, a name is cut to 100 bytes on a character boundary, and one that
// Windows takes for a device ("nul.x") gets a "_" after the device's name. Names are unique the way Windows compares
// them (letter case ignored throughout Unicode): a later file whose name is taken gets " (2)", " (3)", ... before its
// extension. An entry without what its name is made of is named as Number would name it. A name depends on nothing but
// the input, the options and the names given before.
class FileNamer {
public:
    explicit FileNamer(FileNaming naming) : naming_(naming) {}

    std::string NameFor(const CalendarStructure& structure, const Entry& first, int number, std::string_view extension);
    // A file named after what it holds ("2024"), made unique as any other.
    std::string NameAfter(std::string_view stem, std::string_view extension);

    // Names that files not to be replaced have: none is given again, a
    // number's name neither.
    void Reserve(const std::vector<std::string>& names);
    // A name wanted but reserved, and the name given instead.
    struct Diversion {
        std::string wanted;
        std::string given;
    };
    // The diversions since the last call.
    std::vector<Diversion> TakeDiversions() { return std::exchange(diversions_, {}); }

private:
    FileNaming naming_;
    std::unordered_set<std::string> taken_;     // in upper case
    std::unordered_set<std::string> reserved_;  // in upper case
    std::vector<Diversion> diversions_;
    // The next " (N)" to try for a name taken (in upper case).
    std::unordered_map<std::string, int> nextAgain_;
};

}  // namespace orvelin
