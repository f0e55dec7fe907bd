// Directory aliases of the automation library: the file "dir_aliases.cfg" in the data
// folder maps path prefixes of indexed files to the addresses a client's web server
// publishes them under, and PathToUrl applies them to a file path.
//
// The file is UTF-8 text, one alias per line: blanks and tabs separate the two fields (a
// field between double quotes may hold blanks; the quotes are removed), lines that are
// empty or start with "#" or ";" are comments, and fields after the second are ignored.
// Thread-safety: pure functions apart from ReadAliases reading its file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

struct DirAlias {
  std::string prefix;       // compared with the start of a path, ignoring letter case
  std::string replacement;  // what replaces the matched start (may be empty)
};
using DirAliases = std::vector<DirAlias>;

// The alias pairs of one alias file's text, in file order.
DirAliases ParseAliases(std::string_view text);

// The alias pairs of the file at `path`; none when the file is missing or unreadable.
DirAliases ReadAliases(const std::filesystem::path& path);

// `path` as an address: each alias in turn replaces its prefix when the path (as replaced
// by the aliases before it, so substitutions chain) starts with it, ignoring letter case
// (Unicode simple case folding); then every "\" becomes "/".
std::string PathToUrl(std::string_view path, const DirAliases& aliases);

}  // namespace vexa
