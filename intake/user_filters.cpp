#include "intake/user_filters.h"

#include <algorithm>

#include "config/config_store.h"
#include "config/paths.h"
#include "config/text.h"

namespace vexa {

std::vector<UserFilter> ReadUserFilters(const ConfigStore& config) {
  std::vector<UserFilter> filters;
  config.ReadRecords(kUserFiltersKey,
                     RecordLayout<UserFilter>()
                         .Text("mask", &UserFilter::mask)
                         .Text("command", &UserFilter::command),
                     filters);
  std::erase_if(filters, [](const UserFilter& f) { return f.mask.empty() || f.command.empty(); });
  return filters;
}

namespace intake {

const UserFilter* FindUserFilter(const std::vector<UserFilter>& filters, const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::string_view folder(path.data(), nameStart);
  const std::string_view name = std::string_view(path).substr(nameStart);
  for (const UserFilter& filter : filters) {
    std::vector<std::string> masks = SplitFields(filter.mask, ';');
    for (std::string& mask : masks) {
      const std::size_t first = mask.find_first_not_of(" \t");
      mask = first == std::string::npos
                 ? ""
                 : mask.substr(first, mask.find_last_not_of(" \t") + 1 - first);
    }
    if (MatchesMaskList(folder, name, masks, true)) return &filter;
  }
  return nullptr;
}

std::vector<std::string> CommandArguments(std::string_view command, const std::string& path) {
  std::vector<std::string> args;
  std::string current;
  bool inArgument = false, placed = false;
  char quote = 0;
  for (std::size_t i = 0; i < command.size(); ++i) {
    const char c = command[i];
    const char next = i + 1 < command.size() ? command[i + 1] : '\0';
    if (quote == 0 && (c == ' ' || c == '\t' || c == '\n')) {
      if (inArgument) args.push_back(std::move(current));
      current.clear();
      inArgument = false;
      continue;
    }
    inArgument = true;
    if (quote == 0 && (c == '\'' || c == '"')) {
      quote = c;
    } else if (c == quote) {
      quote = 0;
    } else if (c == '\\' && quote != '\'' && next != '\0' &&
               (quote == 0 || next == '"' || next == '\\')) {
      current.push_back(next);
      ++i;
    } else if (c == '%' && next == 'f') {
      current += PathArgument(path);
      placed = true;
      ++i;
    } else if (c == '%' && next == '%') {
      current.push_back('%');
      ++i;
    } else {
      current.push_back(c);
    }
  }
  if (quote != 0) return {};
  if (inArgument) args.push_back(std::move(current));
  if (args.empty()) return {};
  if (!placed) args.push_back(PathArgument(path));
  return args;
}

std::string PathArgument(const std::string& path) {
  return path.starts_with('-') ? "./" + path : path;
}

}  // namespace intake
}  // namespace vexa
