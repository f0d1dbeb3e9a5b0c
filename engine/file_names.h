#pragma once

#include "engine/calendar_structure.h"

#include <set>
#include <string>
#include <string_view>

namespace orvelin {

// What a standalone file is named after: its number, or its first entry's
// UID, or that entry's start and summary.
enum class FileNaming { Number, Uid, Date };

// Gives each file of a run its name. Names are the same on every OS (a
// character that Windows or POSIX forbids becomes "_", leading and trailing
// dots and spaces go, a name Windows reserves gets a "_", at most 100 bytes,
// cut on a UTF-8 character boundary) and unique without regard to letter
// case: a later file whose name is taken gets " (2)", " (3)", ... before its
// extension. An entry without what its name is made of is named as Number
// would name it. A name depends on nothing but the input and the options.
class FileNamer {
public:
    explicit FileNamer(FileNaming naming) : naming_(naming) {}

    std::string NameFor(const CalendarStructure& structure, const Entry& first, int number, std::string_view extension);

private:
    FileNaming naming_;
    std::set<std::string> taken_;  // in upper case
};

}  // namespace orvelin
