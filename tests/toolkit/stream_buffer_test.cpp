// Exact reads loop over short reads and fail at the end; a short write fails; the size leaves the
// position where it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "toolkit/stream_win.h"

namespace {

// Bytes in memory, handed out at most `chunk` a read and taken at most `room` a write.
class TScriptedStream final : public TStream {
public:
  std::string bytes;
  std::size_t chunk = SIZE_MAX, room = SIZE_MAX;
  bool seekable = true;
  int writes = 0;

  std::size_t Read(void* buffer, std::size_t count) override {
    const std::size_t n = std::min({count, chunk, bytes.size() - position_});
    std::memcpy(buffer, bytes.data() + position_, n);
    position_ += n;
    return n;
  }
  std::size_t Write(const void* buffer, std::size_t count) override {
    ++writes;
    const std::size_t n = std::min(count, room);
    bytes.replace(position_, n, static_cast<const char*>(buffer), n);
    position_ += n;
    return n;
  }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    if (!seekable) return -1;
    const std::int64_t base = origin == TSeekOrigin::Begin ? 0 : origin == TSeekOrigin::Current ? position_ : bytes.size();
    position_ = static_cast<std::size_t>(base + offset);
    return static_cast<std::int64_t>(position_);
  }

private:
  std::size_t position_ = 0;
};

TEST(StreamBuffer, ReadsExactlyOverShortReadsAndFailsAtTheEnd) {
  struct Case {
    std::size_t chunk, want;
    bool fails;
  };
  const Case cases[] = {{100, 10, false}, {3, 10, false}, {1, 10, false}, {3, 11, true}, {100, 0, false}};
  for (const Case& c : cases) {
    TScriptedStream s;
    s.bytes = "0123456789";
    s.chunk = c.chunk;
    std::vector<char> out(c.want + 1, '#');
    if (c.fails) {
      try {
        s.ReadBuffer(out.data(), c.want);
        ADD_FAILURE() << "no failure reading " << c.want;
      } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), u"Stream read error");
      }
      continue;
    }
    s.ReadBuffer(out.data(), c.want);
    EXPECT_EQ(std::string(out.data(), c.want), s.bytes.substr(0, c.want)) << c.chunk;
    EXPECT_EQ(out[c.want], '#') << "wrote past what it was asked for";
  }
}

TEST(StreamBuffer, AShortWriteFailsAndNothingIsWrittenForNothing) {
  TScriptedStream s;
  s.WriteBuffer("", 0);
  EXPECT_EQ(s.writes, 0);
  s.WriteBuffer("abc", 3);
  EXPECT_EQ(s.bytes, "abc");
  s.room = 2;
  try {
    s.WriteBuffer("defg", 4);
    ADD_FAILURE() << "a short write went unnoticed";
  } catch (const EWriteError& e) {
    EXPECT_EQ(e.Message(), u"Stream write error");
  }
}

TEST(StreamBuffer, TheSizeKeepsThePositionAndIsUnknownWithoutSeeking) {
  TScriptedStream s;
  s.bytes = "0123456789";
  s.SetPosition(4);
  EXPECT_EQ(s.Size(), 10);
  EXPECT_EQ(s.Position(), 4);
  s.seekable = false;
  EXPECT_EQ(s.Size(), -1);
}

}  // namespace
