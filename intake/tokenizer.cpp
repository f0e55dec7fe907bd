#include "intake/tokenizer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>

#include "config/codepage.h"
#include "config/text.h"

namespace vexa {

namespace {

// Bytes that end a word, whatever the code page.
constexpr std::array<bool, 256> kSeparators = [] {
  std::array<bool, 256> table{};
  constexpr std::pair<int, int> kRanges[] = {
      {0, 35},    {37, 44},   {47, 47},   {59, 63},   {91, 94},   {96, 96},   {123, 126},
      {128, 128}, {130, 130}, {132, 139}, {141, 142}, {145, 149}, {152, 153}, {155, 155},
      {160, 161}, {164, 166}, {169, 169}, {171, 175}, {185, 185}, {187, 187},
  };
  for (const auto& [first, last] : kRanges) {
    for (int b = first; b <= last; ++b) table[b] = true;
  }
  return table;
}();

constexpr bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
constexpr bool IsJoiner(unsigned char c) { return c == '-' || c == '.' || c == ':'; }

// "^[0-9]{1,2}[./][0-9]{1,2}[./]([0-9]{2}|[0-9]{4})[^0-9]$", matched byte by byte.
bool IsDateWithSuffix(const unsigned char* t, std::size_t n) {
  std::size_t i = 0;
  auto digits = [&] {
    const std::size_t from = i;
    while (i < n && IsDigit(t[i])) ++i;
    return i - from;
  };
  auto date_separator = [&] { return i < n && (t[i] == '.' || t[i] == '/') && (++i, true); };
  const std::size_t day = digits();
  if (day < 1 || day > 2 || !date_separator()) return false;
  const std::size_t month = digits();
  if (month < 1 || month > 2 || !date_separator()) return false;
  const std::size_t year = digits();
  return (year == 2 || year == 4) && i + 1 == n;  // t[i] is a non-digit: the run stopped there
}

// FNV-1a; tokens are at most 25 bytes.
std::uint32_t HashBytes(std::string_view bytes) {
  std::uint32_t h = 2166136261u;
  for (unsigned char c : bytes) h = (h ^ c) * 16777619u;
  return h;
}

}  // namespace

TokList::TokList(const CodePage& codepage, int max_tokens, int max_positions)
    : max_tokens_(max_tokens),
      max_positions_(max_positions),
      buffer_(1, ' '),
      tokens_(std::make_unique_for_overwrite<tok1[]>(static_cast<std::size_t>(max_tokens))) {
  for (int b = 0; b < 256; ++b) {
    const unsigned char upper = codepage.Upper(static_cast<unsigned char>(b));
    unsigned char mapped = upper;
    if (kSeparators[upper]) {
      mapped = ' ';
    } else if (upper == 150 || upper == 151) {  // en and em dash
      mapped = '-';
    } else if (upper == 168) {  // 1251: capital IO is indexed as capital IE
      mapped = 197;
    }
    map_[b] = mapped;
  }
}

TokList::~TokList() = default;

void TokList::Cut(std::string_view text) {
  std::size_t i = buffer_.size();
  buffer_.resize(i + text.size() + 1);
  auto* buf = reinterpret_cast<unsigned char*>(buffer_.data());
  for (std::size_t k = 0; k < text.size(); ++k) {
    buf[i + k] = map_[static_cast<unsigned char>(text[k])];
  }
  const std::size_t end = buffer_.size();
  buf[end - 1] = ' ';  // closes the last token; buf[i - 1] is always a space too

  std::size_t begin = 0;  // start of the current token, 0 when there is none
  for (; i < end && count_ < max_tokens_; ++i) {
    const unsigned char c = buf[i];
    const bool in_word =
        c != ' ' && !(IsJoiner(c) && !(IsDigit(buf[i - 1]) && IsDigit(buf[i + 1])));
    if (in_word) {
      if (begin == 0) begin = i;
    } else if (begin != 0) {
      Process(begin, i);
      begin = 0;
    }
  }
}

void TokList::Process(std::size_t begin, std::size_t end) {
  const auto* t = reinterpret_cast<const unsigned char*>(buffer_.data());
  bool all_equal = true;
  bool numeric = true;  // only digits and joiners
  for (std::size_t k = begin; k < end; ++k) {
    all_equal = all_equal && t[k] == t[begin];
    numeric = numeric && (IsDigit(t[k]) || IsJoiner(t[k]));
  }
  if (!numeric) {
    if (all_equal) return;
    while (end > begin && t[end - 1] == '_') --end;
    while (begin < end && t[begin] == '_') ++begin;
    if (IsDateWithSuffix(t + begin, end - begin)) --end;
  }
  const std::size_t length = end - begin;
  if (length >= 1 && length <= kMaxTokenLength) Add(begin, length);
}

void TokList::Add(std::size_t offset, std::size_t length) {
  if (count_ >= max_tokens_) return;
  tokens_[count_++] = {static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length)};
  length_sum_ += length;
}

void TokList::Finish() {
  if (count_ == 0) return;
  const std::size_t count = static_cast<std::size_t>(count_);

  joined_.resize(length_sum_ + count - 1);
  char* out = joined_.data();
  for (std::size_t k = 0; k < count; ++k) {
    if (k > 0) *out++ = ' ';
    std::memcpy(out, buffer_.data() + tokens_[k].offset, tokens_[k].length);
    out += tokens_[k].length;
  }

  // Group equal tokens with an open-addressing table; then only the distinct texts need
  // sorting. Each group remembers its first token as its text.
  std::size_t capacity = 64;
  while (capacity < 2 * count) capacity *= 2;
  std::vector<std::int32_t> slots(capacity, -1);
  std::vector<std::uint32_t> group_token;  // a token of each group, for its text
  std::vector<std::uint32_t> group_size;   // occurrences of each group
  std::vector<std::uint32_t> group_of(count);
  for (std::size_t k = 0; k < count; ++k) {
    const std::string_view text = TokenText(tokens_[k]);
    std::size_t slot = HashBytes(text) & (capacity - 1);
    while (slots[slot] >= 0 && TokenText(tokens_[group_token[slots[slot]]]) != text) {
      slot = (slot + 1) & (capacity - 1);
    }
    if (slots[slot] < 0) {
      slots[slot] = static_cast<std::int32_t>(group_token.size());
      group_token.push_back(static_cast<std::uint32_t>(k));
      group_size.push_back(0);
    }
    group_of[k] = static_cast<std::uint32_t>(slots[slot]);
    ++group_size[slots[slot]];
  }

  const std::size_t groups = group_token.size();
  std::vector<std::uint32_t> order(groups);
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    return TokenText(tokens_[group_token[a]]) < TokenText(tokens_[group_token[b]]);
  });

  // Each group's slice of positions_, in keyword order; then the positions in text order,
  // so every keyword keeps its earliest MaxPositions occurrences.
  std::vector<std::uint32_t> next(groups);  // write cursor of each group's slice
  for (std::uint32_t g : order) {
    group_size[g] = std::min<std::uint32_t>(group_size[g], max_positions_);  // room left
    next[g] = static_cast<std::uint32_t>(word_count_);
    word_count_ += static_cast<int>(group_size[g]);
  }
  positions_.resize(static_cast<std::size_t>(word_count_));
  keywords_.resize(groups);
  for (std::size_t r = 0; r < groups; ++r) {
    const std::uint32_t g = order[r];
    keywords_[r].text = TokenText(tokens_[group_token[g]]);
    keywords_[r].positions = {positions_.data() + next[g], group_size[g]};
  }
  for (std::size_t k = 0; k < count; ++k) {
    const std::uint32_t g = group_of[k];
    if (group_size[g] > 0) {
      positions_[next[g]++] = static_cast<std::uint16_t>(k + 1);
      --group_size[g];
    }
  }
}

std::string TokList::Fingerprint() const {
  const Md5Digest digest = MD5OfText(joined_);
  return HexOfBytes(digest);
}

}  // namespace vexa
