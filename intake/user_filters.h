// The user's own filters: the "Filters" list of the configuration file, and how one of
// them becomes the argument vector of a helper program for a file.
//
// Configuration layout (a list of records, as every list of the file):
//   <Filters><Item0><mask>*.epub</mask><command>epub2txt %f</command></Item0>
//            <Count>1</Count></Filters>
//
// Thread-safety: pure functions; ReadUserFilters reads the file like any store read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "intake/text_filter.h"

namespace vexa {

class ConfigStore;

// The configuration key of the list, and the field names of its records.
inline constexpr std::string_view kUserFiltersKey = "Filters";

// The user filters in the configuration (empty when the key is missing). Records without
// a mask or a command are left out. Throws what the store throws for an unreadable file.
std::vector<UserFilter> ReadUserFilters(const ConfigStore& config);

namespace intake {

// The first filter whose mask list matches the file (its name part; a mask holding a
// separator is matched against the whole path), or null.
const UserFilter* FindUserFilter(const std::vector<UserFilter>& filters, const std::string& path);

// The argument vector for running `command` on the file `path`: the command line split
// as UserFilter describes, "%f" replaced by the path, "%%" by "%", and the path appended
// when "%f" does not occur. Empty when the command line is empty or its quotes do not
// close.
std::vector<std::string> CommandArguments(std::string_view command, const std::string& path);

// `path` as a program argument: a relative path beginning with "-" gets "./" in front,
// so no program takes it for an option.
std::string PathArgument(const std::string& path);

}  // namespace intake
}  // namespace vexa
