#include "config/text.h"

#include <openssl/evp.h>

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace vexa {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::size_t kMaxHexBytes = 1000;

std::string Printf(const char* format, auto... args) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

void AppendHex(std::string& out, unsigned char b) {
  out += kHexDigits[b >> 4];
  out += kHexDigits[b & 0x0F];
}

bool KeptInUrl(unsigned char c) {
  if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("$-_@.&+!*\"'(),;/#?:").find(static_cast<char>(c)) !=
         std::string_view::npos;
}

}  // namespace

std::string SizeText(std::int64_t bytes) {
  constexpr std::int64_t kKb = 1024, kMb = 1048576, kGb = 1073741824;
  // snprintf takes the decimal separator from LC_NUMERIC, which is the user's choice.
  if (bytes / kGb != 0) return Printf("%.1f Gb", static_cast<double>(bytes) / 1073741824.0);
  if (bytes / kMb != 0) return std::to_string(bytes / kMb) + " Mb";
  if (bytes / kKb != 0) return std::to_string(bytes / kKb) + " Kb";
  return std::to_string(bytes);
}

std::string DurationText(double start, double end) {
  // Rounding to the millisecond first keeps a day-count difference of exactly 59 s
  // (59.99999... after the subtraction) from showing as 58 s.
  const long long s = std::llround(std::fabs(end - start) * 86400000.0) / 1000;
  const long long h = s / 3600, m = (s - 3600 * h) / 60, r = s - 3600 * h - 60 * m;
  if (h != 0) return Printf("%.2lld:%.2lld:%.2lld", h, m, r);
  return Printf("%.2lld:%.2lld", m, r);
}

std::string NthField(std::string_view text, char delimiter, int n) {
  std::string field;
  if (n < 1) return field;
  int counter = 1;
  bool after_delimiter = true;  // so leading delimiters start no new field
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (c == delimiter && !quoted) {
      if (!after_delimiter) ++counter;
      after_delimiter = true;
      continue;
    }
    after_delimiter = false;
    if (counter > n) break;
    if (counter == n) field += c;
  }
  return field;
}

std::vector<std::string> SplitFields(std::string_view text, char delimiter) {
  std::vector<std::string> fields;
  for (int n = 1;; ++n) {
    std::string f = NthField(text, delimiter, n);
    if (f.empty()) break;
    if (f.size() > 1 && f.front() == '"' && f.back() == '"') f = f.substr(1, f.size() - 2);
    fields.push_back(std::move(f));
  }
  return fields;
}

Md5Digest MD5OfText(std::string_view text) {
  Md5Digest digest{};
  unsigned int length = 0;
  if (EVP_Digest(text.data(), text.size(), digest.data(), &length, EVP_md5(), nullptr) != 1 ||
      length != digest.size())
    throw std::runtime_error("MD5 digest failed");
  return digest;
}

std::string HexOfBytes(std::span<const unsigned char> bytes) {
  if (bytes.size() > kMaxHexBytes) bytes = bytes.first(kMaxHexBytes);
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (unsigned char b : bytes) AppendHex(hex, b);
  return hex;
}

std::string UrlEncode(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (KeptInUrl(c)) {
      out += ch;
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      AppendHex(out, c);
    }
  }
  return out;
}

}  // namespace vexa
