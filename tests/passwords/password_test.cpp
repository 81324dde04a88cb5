// The password generator over both draw sources.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#include "passwords/password.h"
#include "passwords/random.h"
#include "toolkit/secure_wipe.h"

namespace {

const std::u16string_view kDefaultAlphabet = u"1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// Bytes from a fixed script, to check the unbiased mapping exactly.
class ScriptedSource final : public TUnbiasedDrawSource {
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

// Well-mixed bytes from xorshift, never repeated within the counts used here.
std::vector<std::uint8_t> Xorshift(std::size_t count) {
  std::vector<std::uint8_t> bytes;
  std::uint64_t x = 0x9E3779B97F4A7C15ull;
  for (std::size_t i = 0; i < count; ++i) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    bytes.push_back(static_cast<std::uint8_t>(x >> 56));
  }
  return bytes;
}

std::u16string Generate(std::u16string_view alphabet, std::int32_t count, TDrawSource& source, int* pumps = nullptr) {
  std::u16string result;
  DrawPassword(alphabet, count, source, result, [&] {
    if (pumps) ++*pumps;
  });
  return result;
}

TEST(DrawPassword, LcgFromStateZeroGivesTheKnownPositions) {
  RandomState = 0;
  TLcgDrawSource lcg;
  const std::u16string password = Generate(kDefaultAlphabet, 6, lcg);
  const std::u16string expected = {kDefaultAlphabet[0], kDefaultAlphabet[1], kDefaultAlphabet[53],
                                   kDefaultAlphabet[12], kDefaultAlphabet[16], kDefaultAlphabet[41]};
  EXPECT_EQ(password, expected);
  EXPECT_EQ(RandomState, 2884733762u) << "one draw per character";
}

TEST(DrawPassword, CountZeroOrLessLeavesTheResultAlone) {
  TLcgDrawSource lcg;
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
  TLcgDrawSource lcg;
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
  TLcgDrawSource lcg;
  EXPECT_EQ(Generate(u"Q", 5, lcg), u"QQQQQ");
}

TEST(TUnbiasedDrawSource, TakesTheLargestGroupThatSplitsExactly) {
  struct Case {
    std::uint32_t range;
    unsigned size;
  };
  const Case cases[] = {
      {1, 0},  // its one number takes no random bits
      {2, 31},
      {62, 5},  // 62^5 < 2^30
      {256, 3},
      {65536, 1},
      {0x80000001u, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TUnbiasedDrawSource::GroupSize(c.range), c.size) << c.range;
  }
}

TEST(TUnbiasedDrawSource, ReadsGroupsFromTheLowBytesAndKeepsTheRest) {
  // The first draw takes seven bytes, low byte first; a group of three bytes for 256 is the low
  // three, its digits the most significant first. The four bytes above stay in the state, which
  // the next group's three fresh bytes fill up again; a group of 31 bits for 2 is the state's
  // low 31 bits.
  struct Case {
    const char* what;
    std::uint32_t range;
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint32_t> expected;
  };
  const Case cases[] = {
      {"bytes", 256, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}, {3, 2, 1, 10, 9, 8, 13, 12, 11}},
      {"bits", 2, {0x01, 0, 0, 0x40, 0, 0, 0}, [] {
         std::vector<std::uint32_t> bits(31, 0);
         bits.front() = bits.back() = 1;
         return bits;
       }()},
      // 8 * 62^4 + 2 * 62^3 + 61 is 118,687,405, 0x071306AD: the digits 8, 2, 0, 0, 61.
      {"base 62", 62, {0xAD, 0x06, 0x13, 0x07, 0, 0, 0}, {8, 2, 0, 0, 61}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedSource source(c.bytes);
    std::vector<std::uint32_t> out(c.expected.size());
    source.DrawMany(c.range, out);
    EXPECT_EQ(out, c.expected);
  }
}

TEST(TUnbiasedDrawSource, TakesEveryByteOnceAndInOrderAcrossBlocks) {
  // A number below 65536 is the two bytes the state takes for it, low byte first, after the
  // seven of the first draw; 1017 bytes after those leave one byte at the end of every block.
  const std::vector<std::uint8_t> bytes = Xorshift(3000);
  ScriptedSource source(bytes);
  std::vector<std::uint32_t> out(1400);
  source.DrawMany(65536, out);
  EXPECT_EQ(out[0], bytes[0] | bytes[1] << 8);
  for (std::size_t i = 1; i < out.size(); ++i) {
    const std::size_t at = 7 + 2 * (i - 1);
    ASSERT_EQ(out[i], bytes[at] | bytes[at + 1] << 8) << i;
  }
}

TEST(TUnbiasedDrawSource, HandsOutTheRestOfAGroupLaterAndDropsItForAnotherRange) {
  ScriptedSource source({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  std::vector<std::uint32_t> out(2);
  source.DrawMany(256, out);
  EXPECT_EQ(out, (std::vector<std::uint32_t>{3, 2}));
  source.DrawMany(256, out);
  EXPECT_EQ(out, (std::vector<std::uint32_t>{1, 10}));
  EXPECT_EQ(source.refills, 1);
  // 9 and 8 were drawn for 256; the state keeps 0x07060504 and takes three more bytes, 1, 2 and
  // 3: its low 31 bits, 0x04030201, start with 0000 1.
  std::vector<std::uint32_t> bits(5);
  source.DrawMany(2, bits);
  EXPECT_EQ(bits, (std::vector<std::uint32_t>{0, 0, 0, 0, 1}));
  EXPECT_EQ(source.refills, 1) << "the block still had bytes";
}

TEST(TUnbiasedDrawSource, ResultsAreEvenlySpread) {
  for (std::uint32_t range : {3u, 62u, 1000u}) {
    SCOPED_TRACE(range);
    const std::size_t per_value = 400;
    ScriptedSource source(Xorshift(range * per_value * 3));
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

TEST(TUnbiasedDrawSource, ARangeOfZeroIsRefusedFreshAndAfterAnotherRange) {
  // Fresh, the source's last range is 0 as well; after 62 the plan for 0 would divide by zero.
  for (const std::uint32_t before : {0u, 62u}) {
    SCOPED_TRACE(before);
    ScriptedSource source({0x5A});
    std::vector<std::uint32_t> out(3, 7);
    if (before != 0) source.DrawMany(before, out);
    const std::vector<std::uint32_t> kept = out;
    EXPECT_THROW(source.DrawMany(0, out), std::invalid_argument);
    EXPECT_EQ(out, kept);
    source.DrawMany(62, out);  // still usable
  }
  EXPECT_THROW(TUnbiasedDrawSource::GroupSize(0), std::invalid_argument);
}

TEST(TUnbiasedDrawSource, SpendsTheEntropyOfTheRangeInBlocksOf1KiB) {
  // log2(range) / 8 bytes a number; what is lost on the way must stay a small fraction of a block.
  struct Case {
    std::uint32_t range;
    std::size_t numbers;
    int refills;
  };
  const Case cases[] = {
      {62, 5000, 4},           // 3721.5 bytes
      {62, 1'000'000, 728},    // 744,161 bytes, a few of every block kept for the next
      {2, 1'000'000, 123},     // 125,000 bytes
      {1, 1'000'000, 0},
      {0x80000001u, 10000, 38},  // 31 bits: 38,750 bytes
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.range);
    ScriptedSource source(Xorshift(100000));
    std::vector<std::uint32_t> out(c.numbers);
    source.DrawMany(c.range, out);
    EXPECT_EQ(source.refills, c.refills);
  }
}

TEST(TUnbiasedDrawSource, AfterAWipeItDrawsAsAFreshSource) {
  // The cleared block and state must not serve: zeros would give zeros.
  for (const std::uint32_t range : {62u, 256u}) {
    SCOPED_TRACE(range);
    ScriptedSource used({0xA7}), fresh({0xA7});
    std::vector<std::uint32_t> out(3), expected(3);
    used.DrawMany(range, out);
    ASSERT_EQ(used.refills, 1);
    used.Wipe();
    EXPECT_TRUE(std::all_of(used.last_block.begin(), used.last_block.end(), [](std::uint8_t b) { return b == 0; }));
    used.DrawMany(range, out);
    fresh.DrawMany(range, expected);
    EXPECT_EQ(used.refills, 2) << "the numbers left of the first group went with the wipe";
    EXPECT_EQ(out, expected);
  }
}

TEST(TUnbiasedDrawSource, AFailedRefillLeavesNoBytesToDrawFrom) {
  // The source fails once, after writing into the block: what it wrote must not be drawn from.
  class FailingOnce final : public TUnbiasedDrawSource {
  public:
    int refills = 0;

  protected:
    void Refill(std::span<std::uint8_t> block) override {
      if (++refills == 2) {
        std::fill(block.begin(), block.end(), std::uint8_t{0});
        throw std::runtime_error("the generator failed");
      }
      std::fill(block.begin(), block.end(), std::uint8_t{0xA7});
    }
  };
  // Numbers of two bytes each: the byte left at a block's end goes into the next number.
  FailingOnce source;
  std::vector<std::uint32_t> out(1000);
  EXPECT_THROW(source.DrawMany(65536, out), std::runtime_error);
  source.DrawMany(65536, out);
  EXPECT_EQ(source.refills, 4);
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](std::uint32_t v) { return v == 0xA7A7; }));
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
