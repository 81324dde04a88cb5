// Checksums and the deflate compressor: known values, and round trips through a strict inflater.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "resources/imagegen/deflate.h"
#include "tests/resources/inflate.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Of(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A small deterministic pseudo-random source for test data.
struct Lcg {
  std::uint32_t state;
  std::uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
};

TEST(Checksums, KnownValues) {
  struct Case {
    Bytes data;
    std::uint32_t crc;
    std::uint32_t adler;
  };
  const Case cases[] = {
      {{}, 0x00000000u, 0x00000001u},
      {Of("a"), 0xE8B7BE43u, 0x00620062u},
      {Of("123456789"), 0xCBF43926u, 0x091E01DEu},
      {Of("Wikipedia"), 0xADAAC02Eu, 0x11E60398u},
      {Of("The quick brown fox jumps over the lazy dog"), 0x414FA339u, 0x5BDC0FDAu},
      // Long enough for both Adler sums to wrap around their modulus many times.
      {Bytes(100000, 0xFF), 0x68C6CEC4u, 0x149A302Cu},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data.size());
    EXPECT_EQ(imagegen::Crc32(c.data), c.crc);
    EXPECT_EQ(imagegen::Adler32(c.data), c.adler);
  }
}

TEST(Checksums, ContinueOverPieces) {
  const Bytes all = Of("The quick brown fox jumps over the lazy dog");
  for (std::size_t cut = 0; cut <= all.size(); ++cut) {
    const std::span<const std::uint8_t> head(all.data(), cut);
    const std::span<const std::uint8_t> tail(all.data() + cut, all.size() - cut);
    EXPECT_EQ(imagegen::Crc32(tail, imagegen::Crc32(head)), imagegen::Crc32(all)) << cut;
    EXPECT_EQ(imagegen::Adler32(tail, imagegen::Adler32(head)), imagegen::Adler32(all)) << cut;
  }
}

struct DeflateCase {
  std::string name;
  Bytes data;
  std::size_t maxCompressed;  // an upper bound the compressor must reach
};

std::vector<DeflateCase> DeflateCases() {
  std::vector<DeflateCase> cases;
  cases.push_back({"empty", {}, 2});
  cases.push_back({"one byte", Of("a"), 3});
  cases.push_back({"three bytes", Of("abc"), 5});
  // Overlapping back references (distance 1) and the longest match of 258 bytes.
  cases.push_back({"one byte repeated", Bytes(1000, 'a'), 16});
  Bytes text;
  for (int i = 0; i < 50; ++i) {
    const Bytes line = Of("The quick brown fox jumps over the lazy dog " + std::to_string(i) + "\n");
    text.insert(text.end(), line.begin(), line.end());
  }
  cases.push_back({"text", text, text.size() / 4});
  Bytes ramp;
  for (int round = 0; round < 3; ++round) {
    for (int b = 0; b < 256; ++b) ramp.push_back(static_cast<std::uint8_t>(b));
  }
  cases.push_back({"all byte values three times", ramp, 300});

  // Incompressible: must fall back to stored blocks, with little overhead.
  Lcg lcg{1};
  Bytes noise(100000);
  for (auto& b : noise) b = static_cast<std::uint8_t>(lcg.Next());
  cases.push_back({"noise", noise, noise.size() + 64});

  // Four symbols: many blocks of short matches and skewed literals.
  Bytes dna(70000);
  for (auto& b : dna) b = static_cast<std::uint8_t>("ACGT"[lcg.Next() % 4]);
  cases.push_back({"four symbols", dna, dna.size() * 3 / 10});

  // Literal frequencies in Fibonacci proportions ask for codes longer than 15 bits, which
  // the compressor must limit.
  std::vector<std::uint32_t> weights = {1, 1};
  while (weights.size() < 26) weights.push_back(weights[weights.size() - 1] + weights[weights.size() - 2]);
  std::uint32_t total = 0;
  for (std::uint32_t w : weights) total += w;
  Bytes skewed(200000);
  for (auto& b : skewed) {
    std::uint32_t pick = lcg.Next() % total;
    std::size_t symbol = 0;
    while (pick >= weights[symbol]) pick -= weights[symbol++];
    b = static_cast<std::uint8_t>(symbol * 7);
  }
  cases.push_back({"skewed literals", skewed, skewed.size() / 2});

  // A repeat exactly at the edge of the 32 KiB window, and one just beyond it.
  for (std::size_t distance : {32767u, 32768u, 32769u}) {
    Bytes far(distance);
    for (auto& b : far) b = static_cast<std::uint8_t>(lcg.Next());
    far.insert(far.end(), far.begin(), far.begin() + 300);
    cases.push_back({"repeat at " + std::to_string(distance), far, far.size() + 64});
  }
  return cases;
}

TEST(Deflate, RoundTripsThroughAStrictInflater) {
  for (const DeflateCase& c : DeflateCases()) {
    SCOPED_TRACE(c.name);
    const Bytes packed = imagegen::Deflate(c.data);
    const auto unpacked = imagegen_test::Inflate(packed);
    ASSERT_TRUE(unpacked.has_value());
    EXPECT_EQ(*unpacked, c.data);
    EXPECT_LE(packed.size(), c.maxCompressed);
  }
}

TEST(Deflate, ZlibStreamHasHeaderAndChecksum) {
  for (const DeflateCase& c : DeflateCases()) {
    SCOPED_TRACE(c.name);
    const Bytes packed = imagegen::ZlibCompress(c.data);
    const auto unpacked = imagegen_test::ZlibInflate(packed);
    ASSERT_TRUE(unpacked.has_value());
    EXPECT_EQ(*unpacked, c.data);
  }
}

}  // namespace
