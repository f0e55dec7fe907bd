#include "server/dir_aliases.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "config/text.h"

namespace vexa {
namespace {

// Blanks and control characters, trimmed from both ends of a line and of a field.
bool IsTrimmed(unsigned char c) { return c <= ' '; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsTrimmed(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsTrimmed(text.back())) text.remove_suffix(1);
  return text;
}

// Decodes one UTF-8 sequence at the front of `text` and removes it. A malformed byte is
// taken alone, as a code point no character has, so it only equals the same byte.
char32_t NextCodePoint(std::string_view& text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const int length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3
                   : (lead >> 3) == 30 ? 4 : 0;
  char32_t cp = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
  bool valid = length > 0 && static_cast<std::size_t>(length) <= text.size();
  for (int i = 1; valid && i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    valid = (next & 0xC0) == 0x80;
    cp = (cp << 6) | (next & 0x3F);
  }
  if (!valid) {
    text.remove_prefix(1);
    return 0x110000 + lead;
  }
  text.remove_prefix(length);
  return cp;
}

// Case folding through the C.UTF-8 locale's tables, independent of the process locale.
char32_t Fold(char32_t cp) {
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  if (cp < 0x80 || utf8 == nullptr) return cp >= 'a' && cp <= 'z' ? cp - 32 : cp;
  if (cp > 0x10FFFF) return cp;
  return static_cast<char32_t>(towupper_l(static_cast<wint_t>(cp), utf8));
}

// The length in bytes of the start of `path` that equals `prefix` ignoring case, or
// npos when the path does not start with it.
std::size_t MatchedPrefix(std::string_view path, std::string_view prefix) {
  std::string_view rest = path;
  while (!prefix.empty()) {
    if (rest.empty() || Fold(NextCodePoint(rest)) != Fold(NextCodePoint(prefix)))
      return std::string_view::npos;
  }
  return path.size() - rest.size();
}

}  // namespace

DirAliases ParseAliases(std::string_view text) {
  DirAliases aliases;
  std::istringstream lines{std::string(text)};
  for (std::string line; std::getline(lines, line);) {
    std::replace(line.begin(), line.end(), '\t', ' ');
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == '#' || trimmed.front() == ';') continue;
    // Double quotes let a field hold blanks; they are not part of the path.
    const std::vector<std::string> fields = SplitFields(trimmed, ' ');
    const std::string prefix(fields.empty() ? "" : Trim(fields[0]));
    if (prefix.empty()) continue;
    aliases.push_back({prefix, fields.size() > 1 ? std::string(Trim(fields[1])) : ""});
  }
  return aliases;
}

DirAliases ReadAliases(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  std::ostringstream text;
  text << file.rdbuf();
  return ParseAliases(text.str());
}

std::string PathToUrl(std::string_view path, const DirAliases& aliases) {
  std::string url(path);
  for (const DirAlias& alias : aliases) {
    const std::size_t matched = MatchedPrefix(url, alias.prefix);
    if (matched != std::string_view::npos) url.replace(0, matched, alias.replacement);
  }
  std::replace(url.begin(), url.end(), '\\', '/');
  return url;
}

}  // namespace vexa
