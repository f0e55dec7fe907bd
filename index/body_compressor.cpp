#include "index/body_compressor.h"

#include <zlib.h>

#include <stdexcept>
#include <string>

namespace vexa {

namespace {

constexpr int kLevel = 6;

[[noreturn]] void RaiseZlibError(int code) {
  throw std::runtime_error("Could not compress the document text (zlib error " +
                           std::to_string(code) + ")");
}

}  // namespace

void BodyCompressor::StreamEnd::operator()(z_stream_s* stream) const noexcept {
  deflateEnd(stream);
  delete stream;
}

BodyCompressor::BodyCompressor() = default;
BodyCompressor::BodyCompressor(BodyCompressor&&) noexcept = default;
BodyCompressor& BodyCompressor::operator=(BodyCompressor&&) noexcept = default;
BodyCompressor::~BodyCompressor() = default;

std::span<const unsigned char> BodyCompressor::Compress(std::string_view text) {
  if (!stream_) {
    auto stream = std::make_unique<z_stream>();
    // deflateInit with these defaults is what compress2 runs; Reset keeps the same state.
    const int rc = deflateInit(stream.get(), kLevel);
    if (rc != Z_OK) RaiseZlibError(rc);
    stream_.reset(stream.release());
  } else {
    const int rc = deflateReset(stream_.get());
    if (rc != Z_OK) RaiseZlibError(rc);
  }
  out_.resize(compressBound(text.size()));
  z_stream& z = *stream_;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = out_.data();
  z.avail_out = static_cast<uInt>(out_.size());
  const int rc = deflate(&z, Z_FINISH);
  if (rc != Z_STREAM_END) RaiseZlibError(rc == Z_OK ? Z_BUF_ERROR : rc);
  return {out_.data(), static_cast<std::size_t>(z.total_out)};
}

}  // namespace vexa
