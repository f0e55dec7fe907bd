// Small text and number functions shared by all programs: size and duration texts for
// users, cutting a text into delimited fields, MD5 digests with their hexadecimal form,
// the encoding of a query for a link, and two look-ups.
//
// None of them holds state or touches files. SizeText follows the process's C locale
// (LC_NUMERIC, as set by setlocale(LC_ALL, "") at program start; "." in the "C" locale).
// Thread-safety: all functions may be called from any thread; SizeText reads the global
// locale, which must not be changed concurrently.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

using Md5Digest = std::array<unsigned char, 16>;

// A byte count for users: below 1024 the plain number ("1023", also for negatives),
// then whole "Kb", then whole "Mb", and from 1024 Mb on gigabytes with one decimal
// ("1.5 Gb", with the locale's decimal separator). Divisions truncate toward zero.
std::string SizeText(std::int64_t bytes);

// The whole seconds between two day counts (order does not matter) as "mm:ss", or as
// "hh:mm:ss" from one hour on; hours above 99 get more digits ("100:00:00").
std::string DurationText(double start, double end);

// Field number n (1-based) of `text`: fields are maximal runs of characters other than
// `delimiter`, runs of delimiters count as one separator, leading delimiters are skipped,
// and a delimiter between double quotes belongs to the field (the quotes stay in it).
// Empty when there are fewer than n fields or n < 1.
std::string NthField(std::string_view text, char delimiter, int n);

// All fields of `text` in order (as NthField gives them), each field of more than one
// character that begins and ends with a double quote losing those two quotes. Stops at
// the first empty field, so an empty text gives an empty list.
std::vector<std::string> SplitFields(std::string_view text, char delimiter);

// The MD5 digest (RFC 1321) of the bytes of `text`.
Md5Digest MD5OfText(std::string_view text);

// Two upper-case hexadecimal digits per byte, in order; only the first 1000 bytes are
// converted.
std::string HexOfBytes(std::span<const unsigned char> bytes);

// Encodes bytes for a link's query: A-Z, a-z, 0-9 and $-_@.&+!*"'(),;/#?: are copied,
// a blank becomes "+", every other byte "%XX" (upper-case hex). Works on bytes: callers
// convert the text to the code page they want encoded first.
std::string UrlEncode(std::string_view bytes);

// `value` converted to the type of `fallback`, or `fallback` when `value` is absent.
template <class D, class V>
D ValueOrDefault(const std::optional<V>& value, D fallback) {
  return value ? D(*value) : std::move(fallback);
}
// The same for a C string that may be null.
inline std::string ValueOrDefault(const char* value, std::string fallback) {
  return value ? std::string(value) : std::move(fallback);
}

// The 0-based index of the first record whose key (as `key_of` projects it, e.g. a
// pointer to a data member) equals `key`, or -1 when none does.
template <class Records, class KeyOf>
int FindKeyIndex(std::int32_t key, const Records& records, KeyOf key_of) {
  int index = 0;
  for (const auto& record : records) {
    if (std::invoke(key_of, record) == key) return index;
    ++index;
  }
  return -1;
}

}  // namespace vexa
