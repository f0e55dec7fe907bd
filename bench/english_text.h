// English-like text for benchmarks: words drawn from a fixed vocabulary with a Zipf
// distribution (a few very common words, a long tail), capitalised sentence starts,
// commas and points, and now and then a number or a date. Deterministic for a seed.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vexa::bench {

class EnglishText {
 public:
  explicit EnglishText(std::uint32_t seed = 1, int vocabulary = 30000) : rng_(seed) {
    static const char* const kCommon[] = {
        "the", "of", "and", "to",  "a",  "in",   "is",  "that", "for", "it",   "as", "was",  "with",
        "be",  "by", "on",  "not", "he", "this", "are", "or",   "his", "from", "at", "which"};
    static const char* const kSyllables[] = {
        "ba",  "con", "de", "tion", "ex", "pre", "ment", "ing", "al", "ter", "pro", "ly",
        "com", "er",  "ic", "ous",  "ra", "ver", "sta",  "men", "ti", "na",  "lo",  "qui"};
    for (const char* word : kCommon) words_.emplace_back(word);
    std::uniform_int_distribution<int> parts(2, 4), syllable(0, 23);
    while (static_cast<int>(words_.size()) < vocabulary) {
      std::string word;
      for (int k = parts(rng_); k > 0; --k) word += kSyllables[syllable(rng_)];
      words_.push_back(word);
    }
    // Zipf weights 1/rank.
    std::vector<double> weights(words_.size());
    for (std::size_t k = 0; k < weights.size(); ++k) weights[k] = 1.0 / double(k + 1);
    pick_ = std::discrete_distribution<std::size_t>(weights.begin(), weights.end());
  }

  // About `bytes` bytes of text (ASCII, so the same in every code page).
  std::string Make(std::size_t bytes) {
    std::string text;
    text.reserve(bytes + 64);
    std::uniform_int_distribution<int> sentence(6, 24), roll(0, 99);
    while (text.size() < bytes) {
      const int length = sentence(rng_);
      for (int k = 0; k < length; ++k) {
        if (roll(rng_) < 2) {
          text += std::to_string(roll(rng_) * 37) + (roll(rng_) < 50 ? ".5" : "");
        } else if (roll(rng_) < 1) {
          text += "12.05.2008";
        } else {
          std::string word = words_[pick_(rng_)];
          if (k == 0) word[0] = static_cast<char>(word[0] - 'a' + 'A');
          text += word;
        }
        text += (k + 1 == length) ? ". " : (roll(rng_) < 8 ? ", " : " ");
      }
      if (roll(rng_) < 10) text += "\r\n\r\n";
    }
    return text;
  }

 private:
  std::mt19937 rng_;
  std::vector<std::string> words_;
  std::discrete_distribution<std::size_t> pick_;
};

}  // namespace vexa::bench
