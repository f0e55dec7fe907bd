#include "config/paths.h"

#include <glob.h>
#include <locale.h>
#include <sys/stat.h>
#include <wctype.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "config/utf8.h"

namespace vexa {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// ---------------------------------------------------------------------------------------
// Masks work on characters: UTF-8 is decoded, and a byte that is not part of a
// well-formed sequence stands for itself as U+DC80..U+DCFF, so any name still matches
// byte for byte.

std::u32string Decode(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp;
    const std::size_t length = DecodeUtf8(s.substr(i), cp);
    out += length ? cp : static_cast<char32_t>(0xDC00 + static_cast<unsigned char>(s[i]));
    i += length ? length : 1;
  }
  return out;
}

// Upper-cases with the Unicode tables of the C.UTF-8 locale, independent of the user's
// locale; plain ASCII when that locale is missing.
void UpperCase(std::u32string& text) {
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  for (char32_t& c : text) {
    if (c < 0x80)
      c = (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
    else if (utf8 && !(c >= 0xD800 && c <= 0xDFFF))
      c = static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), utf8));
  }
}

// Whether `segment` matches `name` at `at` character by character, "?" matching any.
bool SegmentMatchesAt(std::u32string_view name, std::size_t at, std::u32string_view segment) {
  for (std::size_t k = 0; k < segment.size(); ++k)
    if (segment[k] != U'?' && segment[k] != name[at + k]) return false;
  return true;
}

std::size_t FindSegment(std::u32string_view name, std::size_t from, std::u32string_view segment) {
  if (segment.find(U'?') == std::u32string_view::npos) return name.find(segment, from);
  for (std::size_t at = from; at + segment.size() <= name.size(); ++at)
    if (SegmentMatchesAt(name, at, segment)) return at;
  return std::u32string_view::npos;
}

bool MatchDecoded(std::u32string_view name, std::u32string_view mask) {
  std::size_t i = 0, p = 0;
  while (i < mask.size() && p < name.size()) {
    if (mask[i] == U'?' || mask[i] == name[p]) {
      ++i, ++p;
    } else if (mask[i] == U'*') {
      const std::size_t next_star = mask.find(U'*', i + 1);
      const std::u32string_view segment = mask.substr(i + 1, next_star - (i + 1));
      if (next_star == std::u32string_view::npos) {
        // The last segment has to end the name.
        return segment.empty() || (name.size() - p >= segment.size() &&
                                   SegmentMatchesAt(name, name.size() - segment.size(), segment));
      }
      const std::size_t found = FindSegment(name, p, segment);
      if (found == std::u32string_view::npos) return false;
      p = found + segment.size();
      i = next_star;
    } else {
      return false;
    }
  }
  if (p < name.size()) return false;
  return mask.find_first_not_of(U'*', i) == std::u32string_view::npos;
}

// ---------------------------------------------------------------------------------------

std::string DecodeMountField(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && field.size() - i >= 4 &&
        std::all_of(field.begin() + i + 1, field.begin() + i + 4,
                    [](char c) { return c >= '0' && c <= '7'; })) {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                               (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

bool IsNetworkFileSystem(std::string_view type) {
  for (std::string_view t : {"nfs", "nfs4", "cifs", "smb3", "sshfs", "fuse.sshfs"})
    if (type == t) return true;
  return false;
}

// `path` is `root` or lies below it.
bool IsBelow(std::string_view path, std::string_view root) {
  if (!path.starts_with(root)) return false;
  return path.size() == root.size() || root.ends_with('/') || path[root.size()] == '/';
}

// The removable-media root a path lies below ("/media/u/STICK"), or empty.
std::string RemovableRoot(std::string_view path) {
  std::vector<std::string_view> parts;
  for (std::size_t at = 1; at <= path.size() && parts.size() < 4;) {
    const std::size_t slash = std::min(path.find('/', at), path.size());
    if (slash > at) parts.push_back(path.substr(at, slash - at));
    at = slash + 1;
  }
  std::size_t depth = 0;  // parts the root is made of
  if (parts.size() >= 3 && parts[0] == "media")
    depth = 3;
  else if (parts.size() >= 4 && parts[0] == "run" && parts[1] == "media")
    depth = 4;
  else if (parts.size() >= 2 && parts[0] == "mnt")
    depth = 2;
  std::string root;
  for (std::size_t k = 0; k < depth; ++k) root += "/" + std::string(parts[k]);
  return root;
}

PathCheck Missing(std::string_view path, const std::string& drive) {
  return {false, "\"" + std::string(path) + "\" - drive " + drive + " is not found"};
}

bool PatternMatchesSomething(const std::string& pattern) {
  glob_t found{};
  const int rc = glob(pattern.c_str(), GLOB_NOSORT | GLOB_NOESCAPE | GLOB_PERIOD, nullptr, &found);
  const bool any = rc == 0 && found.gl_pathc > 0;
  globfree(&found);
  return any;
}

}  // namespace

void EnsureFolder(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_directory(path, ec)) std::filesystem::create_directories(path, ec);
  if (!std::filesystem::is_directory(path, ec))
    throw std::runtime_error("Can't create directory " + path);
}

std::string LastErrorText(int error) { return "(" + std::string(std::strerror(error)) + ")"; }
std::string LastErrorText() { return LastErrorText(errno); }

std::string ExcludeTrailingSeparator(std::string_view text) {
  if (!text.empty() && IsSeparator(text.back())) text.remove_suffix(1);
  return std::string(text);
}

std::string WithTrailingSuffix(std::string_view text, std::string_view suffix) {
  if (text.ends_with(suffix)) return std::string(text);
  return std::string(text) + std::string(suffix);
}

std::string FilePathPart(std::string_view path) {
  const std::size_t last = path.find_last_of("/\\:");
  return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

std::string FileNamePart(std::string_view path) {
  return std::string(path.substr(FilePathPart(path).size()));
}

std::string NameWithoutExtension(std::string_view text) {
  const std::size_t dot = text.find_last_of("./\\");
  if (dot == std::string_view::npos || text[dot] != '.') return std::string(text);
  return std::string(text.substr(0, dot));
}

std::string ExtensionPart(std::string_view text) {
  return std::string(text.substr(NameWithoutExtension(text).size()));
}

bool MatchesMask(std::string_view name, std::string_view mask, bool ignore_case) {
  if (name == mask) return true;
  std::u32string m = Decode(mask);
  for (std::size_t at; (at = m.find(U"**")) != std::u32string::npos;) m.erase(at, 1);
  if (m == U"*") return true;
  std::u32string n = Decode(name);
  if (ignore_case) {
    UpperCase(n);
    UpperCase(m);
  }
  if (n.empty() || m.empty()) return false;
  return MatchDecoded(n, m);
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  if (a == b) return true;
  std::u32string x = Decode(a), y = Decode(b);
  UpperCase(x);
  UpperCase(y);
  return x == y;
}

bool MatchesMaskList(std::string_view folder, std::string_view name,
                     const std::vector<std::string>& masks, bool ignore_case) {
  std::string full;  // folder + name, built on first need
  for (const std::string& mask : masks) {
    if (mask.find_first_of("/\\") == std::string::npos) {
      if (MatchesMask(name, mask, ignore_case)) return true;
      continue;
    }
    if (full.empty()) full = std::string(folder) + std::string(name);
    std::string slashed = mask;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    if (MatchesMask(full, slashed, ignore_case)) return true;
  }
  return false;
}

std::vector<Mount> ParseMounts(std::string_view table) {
  std::vector<Mount> mounts;
  std::istringstream lines{std::string(table)};
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string device, point, type;
    if (fields >> device >> point >> type)
      mounts.push_back({DecodeMountField(point), DecodeMountField(type)});
  }
  return mounts;
}

std::vector<Mount> CurrentMounts() {
  std::ifstream in("/proc/self/mounts");
  std::ostringstream table;
  table << in.rdbuf();
  return ParseMounts(table.str());
}

Drive DriveOf(std::string_view path, const std::vector<Mount>& mounts) {
  const auto mounted = [&](std::string_view point) {
    return std::any_of(mounts.begin(), mounts.end(),
                       [&](const Mount& m) { return m.point == point; });
  };
  if (std::string root = RemovableRoot(path); !root.empty()) {
    const bool reachable = mounted(root);
    return {std::move(root), reachable};
  }
  const Mount* best = nullptr;
  for (const Mount& m : mounts)
    if (IsNetworkFileSystem(m.type) && IsBelow(path, m.point) &&
        (!best || m.point.size() > best->point.size()))
      best = &m;
  if (best) return {best->point, true};
  return {"/", true};
}

Drive DriveOf(std::string_view path) { return DriveOf(path, CurrentMounts()); }

PathCheck CheckPath(std::string_view path) {
  if (path.size() > 1 && IsSeparator(path.back())) path.remove_suffix(1);
  const std::string name(path);
  struct stat st {};
  if (stat(name.c_str(), &st) == 0) return {true, {}};
  int error = errno;
  if (name.find_first_of("*?") != std::string::npos) {
    if (PatternMatchesSomething(name)) return {true, {}};
    error = ENOENT;
  }
  // A drive-letter path ("X:\docs") names a drive this system does not have.
  if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0])))
    return Missing(name, name.substr(0, 2));
  if (const Drive drive = DriveOf(name); !drive.reachable) return Missing(name, drive.root);
  return {false, "\"" + name + "\" - the file or path is not found (" +
                     std::string(std::strerror(error)) + ")"};
}

}  // namespace vexa
