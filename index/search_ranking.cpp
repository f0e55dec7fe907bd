#include "index/search_ranking.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "index/positions_blob.h"

namespace vexa {
namespace {

// The default floating-point environment rounds to nearest with ties to even.
std::int32_t Round(double value) { return static_cast<std::int32_t>(std::nearbyint(value)); }

bool SameWordIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x -= 'a' - 'A';
    if (y >= 'a' && y <= 'z') y -= 'a' - 'A';
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::int32_t OccurrenceScore(std::size_t n) {
  static constexpr std::int32_t kTable[] = {0, 1257, 2422, 3440, 4296, 5000, 5577, 6051};
  if (n < std::size(kTable)) return kTable[n];
  return Round(10000.0 * std::atan(static_cast<double>(n) / 5.0) / (std::numbers::pi / 2.0));
}

std::int32_t ProximityScore(double d) { return Round(10000.0 * std::exp(-(d * d) / 100.0)); }

std::int32_t PositionScore(int first) {
  if (first >= 800) return 0;
  const double offset = first - 1.0;
  return Round(10000.0 * std::exp(-(offset * offset) / 100000.0));
}

std::vector<std::string> QueryWords(std::string_view query) {
  std::vector<std::string> words;
  std::string current;
  bool quoted = false;
  for (char c : query) {
    if (c == '"') quoted = !quoted;
    if (c == ' ' && !quoted) {
      if (!current.empty()) words.push_back(std::move(current));
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) words.push_back(std::move(current));
  return words;
}

void AppendPositions(std::span<const unsigned char> blob, std::int32_t idw,
                     std::vector<Tti>& positions) {
  if (blob.size() < 2) return;
  const bool wide = ((blob[0] | (blob[1] << 8)) & kWidePositions) != 0;
  if (wide) {
    for (std::size_t i = 2; i + 1 < blob.size(); i += 2) {
      const auto pos = static_cast<std::uint16_t>(blob[i] | (blob[i + 1] << 8));
      positions.push_back(Tti{pos, 0, idw, 0});
    }
  } else {
    for (std::size_t i = 2; i < blob.size(); ++i) positions.push_back(Tti{blob[i], 0, idw, 0});
  }
}

std::int32_t ScoreDocument(std::vector<Tti>& positions, const TwSynArray& words,
                           ScoreWorkspace& work, Tdetail& detail) {
  detail = Tdetail{};
  const std::size_t n = positions.size();

  // Tag each run of one word id with its group and weight; collect the distinct groups.
  work.groups.clear();
  for (std::size_t i = 0; i < n;) {
    const std::int32_t idw = positions[i].IDw;
    const auto found = std::lower_bound(words.begin(), words.end(), idw,
                                        [](const TwSyn& w, std::int32_t id) { return w.IDw < id; });
    const bool known = found != words.end() && found->IDw == idw;
    const std::int32_t syn = known ? found->Syn : idw;
    const std::uint16_t weight = known ? found->Weight : 0;
    for (; i < n && positions[i].IDw == idw; ++i) {
      positions[i].Syn = syn;
      positions[i].Weight = weight;
    }
    const auto slot = std::lower_bound(work.groups.begin(), work.groups.end(), syn);
    if (slot == work.groups.end() || *slot != syn) work.groups.insert(slot, syn);
  }
  const std::size_t nn = work.groups.size();

  std::sort(positions.begin(), positions.end(),
            [](const Tti& a, const Tti& b) { return a.Pos < b.Pos; });
  work.group_of.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    work.group_of[i] = static_cast<std::uint32_t>(
        std::lower_bound(work.groups.begin(), work.groups.end(), positions[i].Syn) -
        work.groups.begin());
  }
  work.stamp.assign(nn, 0);

  const std::int32_t rww = OccurrenceScore(n);
  std::int64_t best = 0;
  for (std::size_t i = 0; i < n; ++i) {
    // Window i takes occurrences i, i+1, ... while their groups are new to it.
    const auto window = static_cast<std::uint32_t>(i + 1);
    const std::size_t limit = std::min(n - 1, i + nn - 1);
    std::size_t j = i;
    int h = 0;
    for (; j <= limit && work.stamp[work.group_of[j]] != window; ++j) {
      work.stamp[work.group_of[j]] = window;
      h += positions[j].Weight;
    }
    const int k = static_cast<int>(j - i);
    const int first = positions[i].Pos;
    const int dw = positions[j - 1].Pos - first;
    const std::int32_t rw1 = dw == 0 ? 0 : ProximityScore(static_cast<double>(dw) / (k - 1));
    const std::int32_t rwh = (h * 10000) / (2 * k);
    const std::int32_t rwp = PositionScore(first);
    const std::int64_t s = (2LL * rw1 + rwp + rwh + rww) * k * k;
    if (s >= best) {
      best = s;
      detail.p1 = static_cast<std::uint16_t>(first);
      detail.dw = static_cast<std::uint16_t>(dw);
      detail.k = static_cast<std::uint16_t>(k);
      detail.h = static_cast<std::uint16_t>(h);
      detail.RW1 = rw1;
      detail.RWP = rwp;
      detail.RWK = 0;
      detail.RWH = rwh;
    }
  }
  detail.nn = static_cast<std::uint16_t>(nn);
  detail.RWW = rww;
  detail.score = static_cast<std::int32_t>(
      std::min<std::int64_t>(best, std::numeric_limits<std::int32_t>::max()));
  return detail.score;
}

std::string_view CutExcerpt(std::string_view text, int p) {
  const long first_word = std::max(1, p - 5);
  const long last_word = static_cast<long>(p) + 25;
  std::size_t begin = 0;
  long word = 1;  // number of the word that starts at `begin`
  while (word < first_word) {
    const std::size_t blank = text.find(' ', begin);
    if (blank == std::string_view::npos) return {};
    begin = blank + 1;
    ++word;
  }
  std::size_t end = begin;
  for (; word <= last_word; ++word) {
    const std::size_t blank = text.find(' ', end);
    if (blank == std::string_view::npos) return text.substr(begin);
    end = blank + (word < last_word ? 1 : 0);
  }
  return text.substr(begin, end - begin);
}

std::string MarkWords(std::string_view text, std::span<const TwSyn> words, std::string_view before,
                      std::string_view after) {
  std::string out;
  out.reserve(text.size() + 16);
  const auto emit = [&](std::string_view word) {
    out.push_back(' ');
    const bool looked_up = std::any_of(words.begin(), words.end(), [&](const TwSyn& w) {
      return SameWordIgnoringAsciiCase(word, w.KWord);
    });
    if (looked_up) out.append(before).append(word).append(after);
    else out.append(word);
  };
  std::size_t start = 0;
  for (std::size_t blank; (blank = text.find(' ', start)) != std::string_view::npos;
       start = blank + 1) {
    emit(text.substr(start, blank - start));
  }
  emit(text.substr(start));
  return out;
}

}  // namespace vexa
