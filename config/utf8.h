// UTF-8 decoding of one character, shared by the XML writer and the mask matcher.
// Thread-safety: pure function.
#pragma once

#include <cstddef>
#include <string_view>

namespace vexa {

// Decodes the well-formed UTF-8 sequence at the start of `s` (non-empty) into `cp` and
// returns its length in bytes; returns 0 when the bytes there are not a well-formed
// sequence (overlong forms, surrogates and values above U+10FFFF included).
std::size_t DecodeUtf8(std::string_view s, char32_t& cp);

}  // namespace vexa
