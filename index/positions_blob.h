// The positions blob of a posting (DOCS.P): a 16-bit little-endian header whose bits 0-14
// hold the document's word count and whose bit 15 says the positions are 16-bit, then the
// keyword's positions, one byte each, or 16-bit little-endian each when any exceeds 255.
// The form is chosen per keyword. Pure functions; safe from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vexa {

constexpr std::uint16_t kWidePositions = 0x8000;  // header bit: 16-bit positions follow
constexpr std::size_t kMaxBlobPositions = 30;
using PositionsBlob = std::array<unsigned char, 2 + 2 * kMaxBlobPositions>;

// Writes the blob of `positions` (at most kMaxBlobPositions; REQUIRES word_count < 32768)
// into `out` and returns its length in bytes.
inline std::size_t EncodePositions(int word_count, std::span<const std::uint16_t> positions,
                                   PositionsBlob& out) {
  bool wide = false;
  for (std::uint16_t p : positions) wide = wide || p > 255;
  const unsigned header = static_cast<unsigned>(word_count) | (wide ? kWidePositions : 0u);
  out[0] = static_cast<unsigned char>(header & 0xFF);
  out[1] = static_cast<unsigned char>(header >> 8);
  std::size_t n = 2;
  for (std::uint16_t p : positions) {
    out[n++] = static_cast<unsigned char>(p & 0xFF);
    if (wide) out[n++] = static_cast<unsigned char>(p >> 8);
  }
  return n;
}

}  // namespace vexa
