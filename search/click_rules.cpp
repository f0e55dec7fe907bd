#include "search/click_rules.h"

#include <charconv>
#include <optional>

#include "search/result_page.h"

namespace vexa {
namespace {

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::optional<int> Integer(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::string AttributeValue(const ElementAttributes& attributes, std::string_view name) {
  for (const auto& [key, value] : attributes) {
    if (SameNameIgnoringCase(key, name)) return value;
  }
  return {};
}

ClickAction ClickRule(const ElementAttributes& attributes, std::span<const Tsrc> results) {
  ClickAction action;
  if (const std::string ii = AttributeValue(attributes, "ii"); !ii.empty()) {
    action.mark_visited = true;
    const auto result = Integer(ii);
    const auto file = Integer(AttributeValue(attributes, "nf"));
    if (result && file && *result >= 0 && static_cast<std::size_t>(*result) < results.size() &&
        *file >= 0 && static_cast<std::size_t>(*file) < results[*result].Files.size()) {
      action.kind = ClickAction::Kind::kOpenFile;
      action.result = *result;
      action.file = *file;
      action.target = results[*result].Files[*file].FName;
    }
  } else if (const std::string page = AttributeValue(attributes, "page"); !page.empty()) {
    if (const auto number = Integer(page)) {
      action.kind = ClickAction::Kind::kShowPage;
      action.page = *number;
    }
  } else if (!AttributeValue(attributes, "www").empty()) {
    action.kind = ClickAction::Kind::kOpenWebSite;
    action.target = kWebSite;
  }
  return action;
}

}  // namespace vexa
