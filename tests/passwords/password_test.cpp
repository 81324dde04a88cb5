// The password generator over both draw sources.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "passwords/password.h"
#include "passwords/random.h"

namespace {

const std::u16string_view kDefaultAlphabet = u"1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// Words from a fixed script, to check the unbiased mapping exactly.
class ScriptedSource final : public UnbiasedDrawSource {
public:
  explicit ScriptedSource(std::vector<std::uint32_t> words) : words_(std::move(words)) {}
  int refills = 0;

protected:
  void Refill(std::span<std::uint32_t> block) override {
    ++refills;
    for (auto& w : block) {
      w = words_[pos_++ % words_.size()];
    }
  }

private:
  std::vector<std::uint32_t> words_;
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
    ScriptedSource source({0x9E3779B9u, 0x7F4A7C15u, 0xF39CC060u, 0x5CEDC834u, 0x1234567u, 0xFFFFFFFFu, 0u});
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

TEST(UnbiasedDrawSource, MapsWordsByTheirHighProductBits) {
  // Range 62: 2^32 mod 62 = 4, so a word whose product has a low half below 4 is rejected and
  // the next word (here 0x04210843, which maps to 1) decides.
  struct Case {
    std::uint32_t word;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {0x00000000u, 1},  // low half 0: rejected
      {0x80000000u, 1},  // low half 0: rejected
      {0x00000001u, 0},  // low half 62: kept
      {0x04210842u, 0},  // low half 0xFFFFFFFC: kept
      {0x08421085u, 2},
      {0xFFFFFFFFu, 61},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.word);
    ScriptedSource source({c.word, 0x04210843u});
    std::uint32_t out = 99;
    source.DrawMany(62, std::span<std::uint32_t>(&out, 1));
    EXPECT_EQ(out, c.expected);
  }
}

TEST(UnbiasedDrawSource, ResultsAreEvenlySpread) {
  std::vector<std::uint32_t> words;
  for (std::uint32_t i = 0; i < 30011; ++i) words.push_back(i * 2654435761u);
  ScriptedSource source(words);
  std::map<std::uint32_t, int> counts;
  std::vector<std::uint32_t> out(30000);
  source.DrawMany(3, out);
  for (auto v : out) ++counts[v];
  ASSERT_EQ(counts.size(), 3u);
  for (auto& [value, n] : counts) {
    EXPECT_NEAR(n, 10000, 300) << value;
  }
}

TEST(UnbiasedDrawSource, RefillsInBlocks) {
  ScriptedSource source({0x80000001u});
  std::vector<std::uint32_t> out(5000);
  source.DrawMany(62, out);
  EXPECT_EQ(source.refills, 5) << "1024 words a block";
}

}  // namespace
