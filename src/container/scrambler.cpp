#include "container/scrambler.h"

#include <cerrno>
#include <fstream>
#include <vector>

#include "images/work_file.h"
#include "platform/failure.h"
#include "platform/platform.h"
#include "textio/hex.h"

namespace dm::container {

namespace {

constexpr std::array<std::uint8_t, 16> inverseSubstitution() {
  std::array<std::uint8_t, 16> inv{};
  for (std::uint8_t i = 0; i < 16; ++i) inv[kSubstitution[i]] = i;
  return inv;
}
constexpr std::array<std::uint8_t, 16> kInverse = inverseSubstitution();

// Positions of the scrambled bytes in order: 0-321, then 336-349.
template <typename F>
void forEachScrambled(F f) {
  std::size_t p = 0;
  for (std::uint32_t n = 0; n < kCheckValueOffset; ++n) {
    if (n == kMarkerOffset) n = kMarkerEnd;
    f(n, p);
    p = (p + 1) % kKeyBytes;
  }
}

std::uint16_t keySum(const Key& key) {
  std::uint32_t sum = 0;
  for (std::uint8_t k : key) sum += k;
  return static_cast<std::uint16_t>(sum);
}

}  // namespace

std::optional<Key> parseKey(std::string_view keyText) {
  if (keyText.size() != 2 * kKeyBytes) return std::nullopt;
  Key key{};
  for (std::size_t i = 0; i < kKeyBytes; ++i) {
    int hi = hexDigitValue(keyText[2 * i]), lo = hexDigitValue(keyText[2 * i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    key[i] = static_cast<std::uint8_t>(hi << 4 | lo);
  }
  return key;
}

std::uint8_t scrambleByte(std::uint8_t b, std::uint8_t keyByte) {
  b ^= keyByte;
  b = static_cast<std::uint8_t>(kSubstitution[b & 0x0F] | kSubstitution[b >> 4] << 4);
  return static_cast<std::uint8_t>(b << 2 | b >> 6);
}

std::uint8_t unscrambleByte(std::uint8_t b, std::uint8_t keyByte) {
  b = static_cast<std::uint8_t>(b >> 2 | b << 6);
  b = static_cast<std::uint8_t>(kInverse[b & 0x0F] | kInverse[b >> 4] << 4);
  return b ^ keyByte;
}

std::uint16_t headerCheckValue(const Header& scrambled, const Key& key) {
  std::uint32_t sum = keySum(key);
  for (std::uint32_t i = 0; i < kCheckedBytes; ++i) sum += scrambled[i];
  return static_cast<std::uint16_t>(kSumBase - sum);
}

Header scrambleHeader(const std::uint8_t* plain, std::size_t size, const Key& key) {
  Header out{};
  forEachScrambled([&](std::uint32_t n, std::size_t p) {
    if (n < size) out[n] = scrambleByte(plain[n], key[p]);
  });
  for (std::size_t i = 0; i < kMarker.size(); ++i) out[kMarkerOffset + i] = static_cast<std::uint8_t>(kMarker[i]);
  // A shorter input scrambles only its own bytes, so only those enter the sum.
  std::uint32_t sum = keySum(key);
  for (std::uint32_t i = 0; i < kCheckedBytes && i < size; ++i) sum += out[i];
  std::uint16_t check = static_cast<std::uint16_t>(kSumBase - sum);
  out[kCheckValueOffset] = static_cast<std::uint8_t>(check & 0xFF);
  out[kCheckValueOffset + 1] = static_cast<std::uint8_t>(check >> 8);
  return out;
}

Header unscrambleHeader(const Header& scrambled, const Key& key) {
  Header out{};
  forEachScrambled([&](std::uint32_t n, std::size_t p) { out[n] = unscrambleByte(scrambled[n], key[p]); });
  return out;
}

void scramble(const fs::path& pre, const fs::path& bin, std::string_view keyText) {
  std::optional<Key> key = parseKey(keyText);
  if (!key) throw PassFailure("the scrambling key is not 16 hex digits");
  std::ifstream in(pre, std::ios::binary);
  if (!in) throw PassFailure(platform::withSystemError("can't open file " + pre.string(), errno));
  std::ofstream out(bin, std::ios::binary | std::ios::trunc);
  if (!out) throw PassFailure(platform::withSystemError("can't create file " + bin.string(), errno));

  std::vector<char> buffer(1 << 20);
  in.read(buffer.data(), kScrambledEnd);
  const std::size_t got = static_cast<std::size_t>(in.gcount());
  Header header = scrambleHeader(reinterpret_cast<const std::uint8_t*>(buffer.data()), got, *key);
  out.write(reinterpret_cast<const char*>(header.data()), header.size());
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    if (in.gcount() <= 0) break;
    out.write(buffer.data(), in.gcount());
  }
  out.flush();
  requireWritten(out, bin);
}

}  // namespace dm::container
