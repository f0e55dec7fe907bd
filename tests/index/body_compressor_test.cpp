#include "index/body_compressor.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace vexa {
namespace {

std::vector<unsigned char> OneShot(const std::string& text) {
  std::vector<unsigned char> out(compressBound(text.size()));
  uLongf size = out.size();
  EXPECT_EQ(compress2(out.data(), &size, reinterpret_cast<const Bytef*>(text.data()),
                      text.size(), 6),
            Z_OK);
  out.resize(size);
  return out;
}

// The reused stream must not carry anything from one text into the next: a long text
// fills the window and the hash chains, then shorter, empty and repeated texts follow.
TEST(BodyCompressorTest, EachTextGivesTheBytesOfAOneShotCompression) {
  std::string long_text;
  for (int k = 0; long_text.size() < 200000; ++k) {
    long_text += "WORD" + std::to_string(k * 7919 % 5003) + " ";
  }
  const std::string texts[] = {long_text, "SOUP OF THE DAY SOUP", "", long_text.substr(1000),
                               "SOUP OF THE DAY SOUP"};
  BodyCompressor compressor;
  for (const std::string& text : texts) {
    const auto body = compressor.Compress(text);
    EXPECT_EQ(std::vector<unsigned char>(body.begin(), body.end()), OneShot(text))
        << text.size() << " bytes";
  }
}

}  // namespace
}  // namespace vexa
