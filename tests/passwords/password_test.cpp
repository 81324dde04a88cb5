// The password generator over both draw sources.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "passwords/password.h"
#include "passwords/random.h"
#include "toolkit/secure_wipe.h"

namespace {

const std::u16string_view kDefaultAlphabet = u"1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// Bytes from a fixed script, to check the unbiased mapping exactly.
class ScriptedSource final : public UnbiasedDrawSource {
public:
  explicit ScriptedSource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  int refills = 0;
  std::span<std::uint8_t> last_block;  // the buffer of the last refill

protected:
  void Refill(std::span<std::uint8_t> block) override {
    ++refills;
    last_block = block;
    for (auto& b : block) {
      b = bytes_[pos_++ % bytes_.size()];
    }
  }

private:
  std::vector<std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

std::u16string Generate(std::u16string_view alphabet, std::int32_t count, DrawSource& source, int* pumps = nullptr) {
  std::u16string result;
  DrawPassword(alphabet, count, source, result, [&] {
    if (pumps) ++*pumps;
  });
  return result;
}

TEST(DrawPassword, LcgFromStateZeroGivesTheKnownPositions) {
  RandomState = 0;
  LcgDrawSource lcg;
  const std::u16string password = Generate(kDefaultAlphabet, 6, lcg);
  const std::u16string expected = {kDefaultAlphabet[0], kDefaultAlphabet[1], kDefaultAlphabet[53],
                                   kDefaultAlphabet[12], kDefaultAlphabet[16], kDefaultAlphabet[41]};
  EXPECT_EQ(password, expected);
  EXPECT_EQ(RandomState, 2884733762u) << "one draw per character";
}

TEST(DrawPassword, CountZeroOrLessLeavesTheResultAlone) {
  LcgDrawSource lcg;
  for (std::int32_t count : {0, -1, INT32_MIN}) {
    SCOPED_TRACE(count);
    RandomState = 7;
    std::u16string result = u"previous";
    int pumps = 0;
    DrawPassword(std::u16string_view(u""), count, lcg, result, [&] { ++pumps; });
    EXPECT_EQ(result, u"previous");
    EXPECT_EQ(pumps, 0);
    EXPECT_EQ(RandomState, 7u) << "nothing drawn";
  }
}

TEST(DrawPassword, EmptyAlphabetFailsWithoutTouchingTheResult) {
  LcgDrawSource lcg;
  std::u16string result = u"previous";
  try {
    DrawPassword(std::u16string_view(), 3, lcg, result, [] {});
    FAIL() << "no failure";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), kNoAlphabetMessage);
  }
  EXPECT_EQ(result, u"previous");
}

TEST(DrawPassword, LengthAndMembership) {
  struct Case {
    std::u16string alphabet;
    std::int32_t count;
  };
  const Case cases[] = {
      {std::u16string(kDefaultAlphabet), 1},
      {std::u16string(kDefaultAlphabet), 7},
      {std::u16string(kDefaultAlphabet), 100000},
      {u"x", 1000},
      {u"\xD83D\xDE00", 513},       // a surrogate pair: two independent symbols
      {std::u16string(100000, u'a') + u'b', 3000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    ScriptedSource source({0x9E, 0x37, 0x79, 0xB9, 0x7F, 0x4A, 0x7C, 0x15, 0xF3, 0x9C, 0xC0, 0x60, 0xFF, 0x00, 0x12});
    int pumps = 0;
    const std::u16string password = Generate(c.alphabet, c.count, source, &pumps);
    ASSERT_EQ(password.size(), static_cast<std::size_t>(c.count));
    for (char16_t ch : password) {
      ASSERT_NE(c.alphabet.find(ch), std::u16string::npos);
    }
    EXPECT_EQ(pumps, (c.count + 255) / 256) << "a pump after every block, the last one included";
  }
}

TEST(DrawPassword, SingleSymbolRepeats) {
  LcgDrawSource lcg;
  EXPECT_EQ(Generate(u"Q", 5, lcg), u"QQQQQ");
}

TEST(UnbiasedDrawSource, ChoosesTheWordWidthThatSpendsTheFewestBytes) {
  struct Case {
    std::uint32_t range;
    unsigned bits;
  };
  const Case cases[] = {
      {1, 8},      {2, 8},          {62, 8},   {129, 8},  // 1.98 bytes a result at 8 bits, 2.00 at 16
      {200, 8},    {256, 8},        {257, 16}, {1000, 16}, {65536, 16}, {65537, 32},
      {100001, 32}, {0x7FFFFFFF, 32},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UnbiasedDrawSource::WordBits(c.range), c.bits) << c.range;
  }
}

TEST(UnbiasedDrawSource, MapsBytesByTheirHighProductBits) {
  // Range 62 takes one byte a draw: 256 mod 62 = 8, so a byte whose product has a low byte below
  // 8 is rejected and the next byte (here 5, which maps to 1) decides.
  struct Case {
    std::uint8_t byte;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {0, 1},     // 0 * 62: low byte 0, rejected
      {4, 0},     // 248: kept, high byte 0
      {5, 1},     // 310 = 0x136
      {33, 7},    // 2046 = 0x7FE
      {128, 31},  // 7936 = 0x1F00: low byte 0, rejected -> next byte
      {255, 61},  // 15810 = 0x3DC2
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.byte));
    ScriptedSource source({c.byte, 5});
    std::uint32_t out = 99;
    source.DrawMany(62, std::span<std::uint32_t>(&out, 1));
    EXPECT_EQ(out, c.byte == 128 ? 1u : c.expected);
  }
}

TEST(UnbiasedDrawSource, WideRangesTakeWiderWords) {
  // 16 bits, little-endian from the byte stream: 0x8001 * 1000 >> 16 = 500.
  ScriptedSource sixteen({0x01, 0x80});
  std::uint32_t out = 0;
  sixteen.DrawMany(1000, std::span<std::uint32_t>(&out, 1));
  EXPECT_EQ(out, 500u);
  // 32 bits: 0xC0000000 * 100001 >> 32 = 75000.
  ScriptedSource thirty_two({0x00, 0x00, 0x00, 0xC0});
  thirty_two.DrawMany(100001, std::span<std::uint32_t>(&out, 1));
  EXPECT_EQ(out, 75000u);
}

TEST(UnbiasedDrawSource, ResultsAreEvenlySpread) {
  for (std::uint32_t range : {3u, 62u, 1000u}) {
    SCOPED_TRACE(range);
    const std::size_t per_value = 400;
    std::vector<std::uint8_t> bytes;
    std::uint64_t x = 0x9E3779B97F4A7C15ull;  // xorshift: well-mixed bytes, never repeated here
    for (std::size_t i = 0; i < range * per_value * 3; ++i) {
      x ^= x << 13;
      x ^= x >> 7;
      x ^= x << 17;
      bytes.push_back(static_cast<std::uint8_t>(x >> 56));
    }
    ScriptedSource source(bytes);
    std::map<std::uint32_t, int> counts;
    std::vector<std::uint32_t> out(range * per_value);
    source.DrawMany(range, out);
    for (auto v : out) ++counts[v];
    ASSERT_EQ(counts.size(), range);
    for (auto& [value, n] : counts) {
      EXPECT_NEAR(n, 400, 100) << value;  // five standard deviations
    }
  }
}

TEST(UnbiasedDrawSource, RefillsInBlocksOf4KiB) {
  ScriptedSource source({5});
  std::vector<std::uint32_t> out(5000);
  source.DrawMany(62, out);
  EXPECT_EQ(source.refills, 2) << "one byte a draw";
}

TEST(UnbiasedDrawSource, WipeClearsTheRandomBytesAndTheNextDrawTakesFreshOnes) {
  ScriptedSource source({5});
  std::vector<std::uint32_t> out(10);
  source.DrawMany(62, out);
  ASSERT_EQ(source.refills, 1);
  source.Wipe();
  EXPECT_TRUE(std::all_of(source.last_block.begin(), source.last_block.end(), [](std::uint8_t b) { return b == 0; }));
  source.DrawMany(62, out);
  EXPECT_EQ(source.refills, 2);
  EXPECT_EQ(out[0], 1u) << "drawn from the script's bytes, not from the cleared block";
}

// An allocator that checks, when a buffer is given back, that nothing of it is left but zeros.
template <class T>
struct ZeroCheckingAllocator {
  using value_type = T;
  ZeroCheckingAllocator() = default;
  template <class U>
  ZeroCheckingAllocator(const ZeroCheckingAllocator<U>&) {}
  T* allocate(std::size_t n) { return std::allocator<T>().allocate(n); }
  void deallocate(T* p, std::size_t n) {
    EXPECT_TRUE(std::all_of(p, p + n, [](T c) { return c == T(); })) << "a buffer went back holding text";
    std::allocator<T>().deallocate(p, n);
  }
  bool operator==(const ZeroCheckingAllocator&) const { return true; }
};

TEST(SecureWipe, ClearsAStringUpToItsCapacity) {
  using Checked = std::basic_string<char16_t, std::char_traits<char16_t>, ZeroCheckingAllocator<char16_t>>;
  struct Case {
    const char* name;
    std::size_t length, kept;  // written, then cut to kept
  };
  for (const Case& c : {Case{"short", 5, 5}, Case{"long", 1000, 1000}, Case{"cut", 1000, 3}}) {
    SCOPED_TRACE(c.name);
    Checked s(c.length, u'x');
    s.resize(c.kept);
    SecureWipe(s);
    EXPECT_TRUE(s.empty());
    EXPECT_TRUE(std::all_of(s.data(), s.data() + s.capacity(), [](char16_t ch) { return ch == 0; }));
  }
}

}  // namespace
