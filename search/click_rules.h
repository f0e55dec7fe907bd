// What a click on the result page asks for, decided from the clicked element's attributes
// alone, so the window only carries the decision out (set the class, open a file or the
// web site, render a page) and always cancels the browser's default action.
//
// Pure; any thread.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "index/search_types.h"

namespace vexa {

// Attributes of the clicked element as (name, value) pairs, as the view reports them.
using ElementAttributes = std::vector<std::pair<std::string, std::string>>;

struct ClickAction {
  enum class Kind {
    kNone,         // nothing to do
    kOpenFile,     // open `target` (file `file` of result `result`) with the shell
    kShowPage,     // render page `page` for the text now in the query box
    kOpenWebSite,  // open `target`, the product's web site, with the shell
  };
  Kind kind = Kind::kNone;
  bool mark_visited = false;  // set the element's class to "vv" (a file link was clicked)
  std::string target;
  int result = -1;
  int file = -1;
  int page = 0;

  friend bool operator==(const ClickAction&, const ClickAction&) = default;
};

// The value of attribute `name` (compared without regard to ASCII case); empty when the
// element has no such attribute.
std::string AttributeValue(const ElementAttributes& attributes, std::string_view name);

// The click rules, first match wins:
// 1. "ii" not empty: a file link. mark_visited is set and, when ii and "nf" are integers
//    naming a file of `results` (the last search's page), kOpenFile with its FName;
//    otherwise (a page older than a failed search, a malformed number) nothing is opened.
// 2. "page" not empty: kShowPage with that number (kNone when it is not an integer).
// 3. "www" not empty: kOpenWebSite with the product's own address, whatever the attribute
//    holds.
// 4. kNone.
ClickAction ClickRule(const ElementAttributes& attributes, std::span<const Tsrc> results);

}  // namespace vexa
