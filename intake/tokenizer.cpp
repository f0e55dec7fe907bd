#include "intake/tokenizer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

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

static_assert(std::endian::native == std::endian::little, "key loads assume little-endian");

// 8 bytes of a token, starting at `p`, with the bytes past `length` cleared. The working
// buffer is padded so that such loads never leave it.
std::uint64_t LoadMasked(const char* p, std::size_t length) {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  return length >= 8 ? word : word & ((std::uint64_t{1} << (8 * length)) - 1);
}

// A token's hash and its sort prefix: the first 8 bytes as a big-endian number,
// zero-padded. Tokens hold no zero byte, so prefixes order texts as their bytes do, up to
// a tie.
struct TokenKey {
  std::uint64_t hash;
  std::uint64_t prefix;
};
TokenKey KeyOf(const char* p, std::size_t length) {
  const std::uint64_t first = LoadMasked(p, length);
  std::uint64_t h = (first ^ length) * 0x9E3779B97F4A7C15u;
  for (std::size_t o = 8; o < length; o += 8) {
    h = (h ^ (h >> 29) ^ LoadMasked(p + o, length - o)) * 0xBF58476D1CE4E5B9u;
  }
  return {h ^ (h >> 32), __builtin_bswap64(first)};
}

}  // namespace

TokList::TokList(const CodePage& codepage, int max_tokens, int max_positions)
    : max_tokens_(max_tokens),
      max_positions_(max_positions),
      buffer_(1 + kPadding, ' '),
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
  std::size_t i = used_;
  used_ += text.size() + 1;
  buffer_.resize(used_ + kPadding, ' ');
  auto* buf = reinterpret_cast<unsigned char*>(buffer_.data());
  for (std::size_t k = 0; k < text.size(); ++k) {
    buf[i + k] = map_[static_cast<unsigned char>(text[k])];
  }
  const std::size_t end = used_;
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

  const char* bytes = buffer_.data();
  // Tokens are copied in fixed blocks (the buffer is padded) while the block fits.
  joined_.resize(length_sum_ + count - 1);
  char* out = joined_.data();
  char* const out_end = out + joined_.size();
  for (std::size_t k = 0; k < count; ++k) {
    if (k > 0) *out++ = ' ';
    const tok1 token = tokens_[k];
    if (out + kPadding <= out_end) {
      std::memcpy(out, bytes + token.offset, kPadding);
    } else {
      std::memcpy(out, bytes + token.offset, token.length);
    }
    out += token.length;
  }

  // Group equal tokens with an open-addressing table; then only the distinct texts need
  // sorting. A slot holds a group's hash (high half) and its number + 1 (low half).
  struct Group {
    std::uint32_t offset;  // its first token's text in buffer_
    std::uint32_t length;
    std::uint32_t size;  // its occurrences
  };
  std::vector<Group> groups;
  std::vector<std::uint64_t> prefixes;  // of each group
  std::vector<std::uint32_t> group_of(count);
  std::size_t capacity = 64;
  while (capacity < 2 * count) capacity *= 2;
  std::vector<std::uint64_t> slots(capacity, 0);
  for (std::size_t k = 0; k < count; ++k) {
    const tok1 token = tokens_[k];
    const TokenKey key = KeyOf(bytes + token.offset, token.length);
    const std::uint64_t hash = key.hash >> 32;
    std::size_t slot = key.hash & (capacity - 1);
    for (; slots[slot] != 0; slot = (slot + 1) & (capacity - 1)) {
      if ((slots[slot] >> 32) != hash) continue;
      const Group& group = groups[(slots[slot] & 0xFFFFFFFF) - 1];
      if (group.length == token.length &&
          std::memcmp(bytes + group.offset, bytes + token.offset, token.length) == 0) {
        break;
      }
    }
    if (slots[slot] == 0) {
      groups.push_back({token.offset, token.length, 0});
      prefixes.push_back(key.prefix);
      slots[slot] = (hash << 32) | groups.size();
    }
    const std::uint32_t g = static_cast<std::uint32_t>((slots[slot] & 0xFFFFFFFF) - 1);
    group_of[k] = g;
    ++groups[g].size;
  }

  // Sort keys: the first 8 bytes decide most comparisons without touching the texts.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> order(groups.size());
  for (std::uint32_t g = 0; g < groups.size(); ++g) {
    order[g] = {prefixes[g], g};
  }
  std::sort(order.begin(), order.end(), [&](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first < b.first;
    const Group& x = groups[a.second];
    const Group& y = groups[b.second];
    return std::string_view(bytes + x.offset, x.length) <
           std::string_view(bytes + y.offset, y.length);
  });

  // Each group's slice of positions_, in keyword order; then the positions in text order,
  // so every keyword keeps its earliest MaxPositions occurrences.
  std::vector<std::uint32_t> next(groups.size());  // write cursor of each group's slice
  for (const auto& [prefix, g] : order) {
    groups[g].size = std::min<std::uint32_t>(groups[g].size, max_positions_);  // room left
    next[g] = static_cast<std::uint32_t>(word_count_);
    word_count_ += static_cast<int>(groups[g].size);
  }
  positions_.resize(static_cast<std::size_t>(word_count_));
  keywords_.resize(groups.size());
  for (std::size_t r = 0; r < groups.size(); ++r) {
    const std::uint32_t g = order[r].second;
    keywords_[r].text = std::string_view(bytes + groups[g].offset, groups[g].length);
    keywords_[r].positions = {positions_.data() + next[g], groups[g].size};
  }
  for (std::size_t k = 0; k < count; ++k) {
    const std::uint32_t g = group_of[k];
    if (groups[g].size > 0) {
      positions_[next[g]++] = static_cast<std::uint16_t>(k + 1);
      --groups[g].size;
    }
  }
}

std::string FingerprintOf(std::string_view joined_text) {
  return HexOfBytes(MD5OfText(joined_text));
}

std::string TokList::Fingerprint() const { return FingerprintOf(joined_); }

std::string_view TokList::JoinedTextFrom(int position) const {
  std::size_t offset = 0;
  for (int k = 0; k + 1 < position && k < count_; ++k) offset += tokens_[k].length + 1;
  return std::string_view(joined_).substr(std::min(offset, joined_.size()));
}

}  // namespace vexa
