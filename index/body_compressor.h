// BodyCompressor: makes the zlib stream (level 6, default window and memory) of a
// document's joined text, keeping the deflate state and the output buffer from one
// document to the next so that each call allocates nothing once warmed up. The bytes are
// those of a one-shot compress2 at level 6. Thread-safety: none; one object per thread.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

struct z_stream_s;

namespace vexa {

class BodyCompressor {
 public:
  BodyCompressor();
  BodyCompressor(BodyCompressor&&) noexcept;
  BodyCompressor& operator=(BodyCompressor&&) noexcept;
  ~BodyCompressor();

  // The zlib stream of `text`. The span stays valid until the next call or the object's
  // end. Throws std::runtime_error "Could not compress the document text (zlib error N)"
  // when zlib fails (also when it cannot allocate its state).
  std::span<const unsigned char> Compress(std::string_view text);

 private:
  struct StreamEnd {
    void operator()(z_stream_s* stream) const noexcept;
  };
  std::unique_ptr<z_stream_s, StreamEnd> stream_;  // created on first use
  std::vector<unsigned char> out_;
};

}  // namespace vexa
