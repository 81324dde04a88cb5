// The storage of the string list: lines in blocks that are never moved, room that follows what
// is held, and all or nothing when an allocation fails.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "passwords/line_blocks.h"
#include "tests/passwords/allocation_failures.h"

namespace {

using Blocks = TLineBlocks<char16_t>;
constexpr std::u16string_view kCrLf = u"\r\n";

// The whole text: the blocks' texts one after another, narrow ones widened.
std::u16string TextOf(const Blocks& blocks) {
  std::u16string text;
  for (std::size_t b = 0; b < blocks.BlockCount(); ++b) {
    const auto block = blocks.BlockText(b);
    if (block.narrow) {
      text.append(block.bytes.begin(), block.bytes.end());
    } else {
      text.append(block.wide);
    }
  }
  return text;
}

// The lines of blocks as Add put them: each from its start up to its CR LF.
std::vector<std::u16string> LinesOf(const Blocks& blocks) {
  const std::u16string text = TextOf(blocks);
  std::vector<std::u16string> lines;
  for (std::size_t i = 0; i < blocks.Count(); ++i) {
    const std::size_t end = i + 1 < blocks.Count() ? blocks.Start(i + 1) : blocks.Size();
    lines.push_back(text.substr(blocks.Start(i), end - blocks.Start(i) - kCrLf.size()));
  }
  return lines;
}

// Where a block's text lies, and how long it is.
struct Placed {
  const void* data;
  std::size_t size;
  bool operator==(const Placed&) const = default;
};
std::vector<Placed> BlockTexts(const Blocks& blocks) {
  std::vector<Placed> texts;
  for (std::size_t b = 0; b < blocks.BlockCount(); ++b) {
    const auto block = blocks.BlockText(b);
    texts.push_back({block.narrow ? static_cast<const void*>(block.bytes.data()) : block.wide.data(), block.Size()});
  }
  return texts;
}

std::u16string Line(std::size_t length, std::size_t seed) {
  std::u16string line(length, u'a');
  for (std::size_t i = 0; i < length; ++i) line[i] = static_cast<char16_t>(u'a' + (seed + i) % 26);
  return line;
}

TEST(LineBlocks, LinesStayWholeInBlocksThatNeverMove) {
  // Runs of lines as a password file meets them: short ones, a length raised for a while, lines
  // longer than the largest block, empty lines.
  struct Run {
    std::size_t count, length;
  };
  const Run runs[] = {{20000, 7}, {700, 3000}, {3, Blocks::kLargestBlock + 5}, {5000, 7},
                      {10, 0},    {1, 1},      {2, 2 * Blocks::kLargestBlock}, {40000, 9}};
  Blocks blocks;
  std::vector<std::u16string> expected;
  std::vector<Placed> before;
  std::size_t reserved_growths = 0;
  for (const Run& run : runs) {
    for (std::size_t i = 0; i < run.count; ++i) {
      expected.push_back(Line(run.length, expected.size()));
      ASSERT_EQ(blocks.Add(expected.back(), kCrLf), expected.size() - 1);
      const auto now = BlockTexts(blocks);
      // The blocks that were there are where they were; all but the last are finished.
      ASSERT_GE(now.size(), before.size());
      for (std::size_t b = 0; b + 1 < before.size(); ++b) {
        ASSERT_EQ(now[b].data, before[b].data) << "block " << b << " moved";
        ASSERT_EQ(now[b].size, before[b].size) << "block " << b << " changed";
      }
      if (!before.empty()) {
        ASSERT_EQ(now[before.size() - 1].data, before.back().data);
      }
      reserved_growths += now.size() - before.size();
      before = now;
    }
    // No room is taken far ahead of what is held: at most as much again, or one largest block.
    EXPECT_LE(blocks.Reserved(), 2 * blocks.Size() + Blocks::kLargestBlock) << run.length;
  }
  EXPECT_EQ(LinesOf(blocks), expected);
  std::size_t size = 0;
  for (const Placed& placed : before) size += placed.size;
  EXPECT_EQ(size, blocks.Size());
  EXPECT_EQ(blocks.BlockCount(), reserved_growths);
  // Blocks double up to the largest size: few blocks for many characters.
  EXPECT_LE(blocks.BlockCount(), 8 + 2 * blocks.Size() / Blocks::kLargestBlock);
}

TEST(LineBlocks, LatinLinesTakeOneByteACharacterAndWidenUnchanged) {
  // Latin-1 lines go to narrow blocks, a line beyond U+00FF opens a wide block, which takes the
  // Latin lines after it while it has room; ASCII blocks say so.
  struct Case {
    std::vector<std::u16string> lines;
    std::vector<bool> narrow, ascii;
  };
  const Case cases[] = {
      {{u"abc", u"1234567"}, {true}, {true}},
      {{u"abc", u"caf\u00E9", u"\u00FF"}, {true}, {false}},
      {{u"abc", u"\u0430\u0431", u"abc"}, {true, false}, {true, true}},
      {{u"\u0430", u"abc", u"\U0001F600"}, {false}, {true}},
      {{u"", u"\u0100"}, {true, false}, {true, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.lines));
    Blocks blocks;
    for (const auto& line : c.lines) blocks.Add(line, kCrLf);
    ASSERT_EQ(blocks.BlockCount(), c.narrow.size());
    for (std::size_t b = 0; b < c.narrow.size(); ++b) {
      EXPECT_EQ(blocks.BlockText(b).narrow, c.narrow[b]) << b;
      if (c.narrow[b]) {
        EXPECT_EQ(blocks.BlockText(b).ascii, c.ascii[b]) << b;
      }
    }
    EXPECT_EQ(blocks.HasNarrowBlocks(), c.narrow[0]);
    EXPECT_EQ(LinesOf(blocks), c.lines);
    blocks.WidenAll();
    EXPECT_FALSE(blocks.HasNarrowBlocks());
    EXPECT_EQ(LinesOf(blocks), c.lines);
    for (std::size_t i = 0; i < c.lines.size(); ++i) {
      EXPECT_EQ(std::u16string(blocks.At(blocks.Start(i)), c.lines[i].size()), c.lines[i]);
    }
    blocks.Add(u"after", kCrLf);
    EXPECT_EQ(LinesOf(blocks).back(), u"after");
  }
}

TEST(LineBlocks, AFailedAddLeavesTheLinesAsTheyWere) {
  struct Case {
    const char* name;
    std::size_t lines_before, length_before;
    std::u16string line;
  };
  // Each state makes the added line need something new: the first block and chunk, a new block
  // (the last one is full, or narrow and the line is not), a new chunk of starts (16 Ki lines),
  // a line larger than any block.
  const Case cases[] = {
      {"first line", 0, 0, Line(7, 99)},
      {"full block", 455, 7, Line(7, 99)},  // 455 lines of 9 characters fill the first 4 Ki block
      {"wide after narrow", 3, 7, u"\u0430\u0431\u0432"},
      {"new chunk of starts", 16384, 7, Line(7, 99)},
      {"another length after evenly spaced lines", 300, 7, Line(8, 99)},
      {"huge line", 10, 7, Line(Blocks::kLargestBlock * 3, 99)},
      {"empty line", 3, 0, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Blocks blocks;
    std::vector<std::u16string> expected;
    const std::u16string& line = c.line;
    ForEachAllocationFailing(
        [&] {
          blocks.Clear();
          expected.clear();
          for (std::size_t i = 0; i < c.lines_before; ++i) {
            expected.push_back(Line(c.length_before, i));
            blocks.Add(expected.back(), kCrLf);
          }
        },
        [&] { blocks.Add(line, kCrLf); },
        [&](bool failed) {
          if (!failed) expected.push_back(line);
          ASSERT_EQ(blocks.Count(), expected.size());
          EXPECT_EQ(LinesOf(blocks), expected);
          // The lines after the failure go on as if it had not been.
          blocks.Add(u"next", kCrLf);
          EXPECT_EQ(LinesOf(blocks).back(), u"next");
        });
  }
}

TEST(LineBlocks, TextBeyondFourGibiCharactersIsRefusedBeforeAnyAllocation) {
  Blocks blocks;
  blocks.Add(u"kept", kCrLf);
  // Never read: the length alone is refused.
  const char16_t one = u'x';
  const std::u16string_view huge(&one, Blocks::kMaxChars - 7);
  FailAllocationAfter(-1);
  EXPECT_THROW(blocks.Add(huge, kCrLf), std::bad_alloc);
  EXPECT_EQ(AllocationCount(), 0);
  EXPECT_EQ(LinesOf(blocks), std::vector<std::u16string>{u"kept"});
}

TEST(LineBlocks, AssignLinesTakesTheTextAsOneBlockAllOrNothing) {
  struct Case {
    std::u16string text;
    std::vector<std::uint32_t> starts;
    std::uint32_t end;
  };
  std::u16string many;
  std::vector<std::uint32_t> many_starts;
  for (int i = 0; i < 40000; ++i) {
    many_starts.push_back(static_cast<std::uint32_t>(many.size()));
    many += u"ab\n";
  }
  const Case cases[] = {
      {u"", {}, 0},
      {u"a\r\nb", {0, 3}, 4},
      {u"a\n\rb\r\n", {0, 2, 3}, 4},
      {std::u16string(u"a\0b", 3), {0}, 1},
      {many, many_starts, static_cast<std::uint32_t>(many.size() - 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.starts.size());
    Blocks blocks;
    std::uint32_t end = 0;
    ForEachAllocationFailing(
        [&] {
          blocks.Clear();
          blocks.Add(u"before", kCrLf);
        },
        [&] {
          TCharBuffer<char16_t> text;
          text.Append(c.text.data(), c.text.size());
          end = blocks.AssignLines(std::move(text));
        },
        [&](bool failed) {
          if (failed) {
            EXPECT_EQ(LinesOf(blocks), std::vector<std::u16string>{u"before"});
            return;
          }
          ASSERT_EQ(blocks.Count(), c.starts.size());
          for (std::size_t i = 0; i < c.starts.size(); ++i) ASSERT_EQ(blocks.Start(i), c.starts[i]) << i;
          EXPECT_EQ(end, c.end);
          EXPECT_EQ(blocks.Size(), c.text.size());
          EXPECT_EQ(blocks.BlockCount(), c.text.empty() ? 0u : 1u);
        });
  }
}

TEST(CharBuffer, AWipeClearsWhatWasWrittenAndNoMore) {
  // The room beyond the text may be memory the system has not handed out yet: a wipe that
  // touched it would make it the process's own.
  TCharBuffer<char16_t> buffer;
  buffer.Reserve(64);
  for (std::size_t i = 0; i < 64; ++i) buffer.Data()[i] = u'r';  // the room, as a test sees it
  buffer.Append(u"secret", 6);
  buffer.SetSize(3);  // written stays 6
  buffer.Wipe();
  EXPECT_EQ(buffer.Size(), 0u);
  EXPECT_EQ(std::u16string(buffer.Data(), 8), std::u16string(6, u'\0') + u"rr");
  // Growth keeps the text and clears the buffer it leaves; the new one holds only the text.
  buffer.Append(u"abc", 3);
  buffer.Reserve(1000);
  EXPECT_EQ(buffer.View(), u"abc");
  EXPECT_EQ(buffer.Capacity(), 1000u);
}

}  // namespace
