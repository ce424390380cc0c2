// Seeded random byte strings for the malformed-input tests of the readers.
#pragma once

#include <random>
#include <string>
#include <vector>

namespace dm::test {

// `count` strings of up to `maxSize` bytes, biased towards the characters
// the table readers look for.
inline std::vector<std::string> randomInputs(int count, std::size_t maxSize, unsigned seed) {
  static const std::string alphabet = "0123456789abcdefABCDEFx:{}[],;/#LV \t\r\n\xff\x80";
  std::mt19937 random(seed);
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) {
    std::string s(random() % (maxSize + 1), '\0');
    for (char& c : s) c = random() % 4 == 0 ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
    out.push_back(s);
  }
  return out;
}

}  // namespace dm::test
