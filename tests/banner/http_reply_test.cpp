// The reply reader: status line, headers, interim replies, reply handling and body framing,
// each reply fed whole, byte by byte and in other pieces with the same result.
#include <gtest/gtest.h>

#include "tests/banner/reply_harness.h"
#include "toolkit/text.h"

namespace {

const std::u16string kClosed = u"Connection Closed Gracefully.";
const std::u16string kLineTooLong = u"Max line length exceeded.";
const std::u16string kTooManyHeaders = u"Max header lines exceeded.";
const std::u16string kBodyTooLong = u"Max body length exceeded.";

std::string Head(std::string_view statusAndHeaders) { return std::string(statusAndHeaders) + "\r\n\r\n"; }

struct Case {
  const char* name;
  std::string reply;
  bool closes;  // the server closes the connection after the reply's bytes
  // Expected:
  std::u16string error;  // failure message; empty for a reply that ended
  int code;
  bool success;
  std::string sink;
  std::u16string errorBody = {};
};

std::vector<Case> Cases() {
  const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";
  const std::string big(100000, 'x');
  const std::string limit(MaxBodyLength, 'b');
  const std::string over(3 * MaxBodyLength, 'b');  // 3 MiB
  std::string overChunked;
  for (std::size_t i = 0; i < over.size(); i += 0x8000) overChunked += "8000\r\n" + over.substr(i, 0x8000) + "\r\n";
  return {
      // Framing of success replies.
      {"length", Head("HTTP/1.1 200 OK\r\nContent-Length: 5") + "hello", false, {}, 200, true, "hello"},
      {"length zero", Head("HTTP/1.1 200 OK\r\nContent-Length: 0"), false, {}, 200, true, ""},
      {"until close", Head("HTTP/1.1 200 OK") + "all of it", true, {}, 200, true, "all of it"},
      {"until close, empty", Head("HTTP/1.1 200 OK"), true, {}, 200, true, ""},
      {"length not a number", Head("HTTP/1.1 200 OK\r\nContent-Length: 5x") + "0123456789", true, {}, 200, true, "0123456789"},
      {"length negative", Head("HTTP/1.1 200 OK\r\nContent-Length: -1") + "abc", true, {}, 200, true, "abc"},
      {"length empty", Head("HTTP/1.1 200 OK\r\nContent-Length:") + "abc", true, {}, 200, true, "abc"},
      {"length beyond 63 bits", Head("HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999") + "abc", true, {}, 200, true, "abc"},
      {"length broken off", Head("HTTP/1.1 200 OK\r\nContent-Length: 10") + "1234", true, kClosed, 0, false, "1234"},
      {"2 GiB announced, short body", Head("HTTP/1.1 200 OK\r\nContent-Length: 2147483648") + "short", true, kClosed, 0, false, "short"},
      {"first Content-Length counts", Head("HTTP/1.1 200 OK\r\nContent-Length: 3\r\ncontent-length: 5") + "abcde", false, {}, 200, true, "abc"},
      {"names without case", Head("HTTP/1.1 200 OK\r\ncOnTeNt-LeNgTh:   2  ") + "hi", false, {}, 200, true, "hi"},
      {"bare line feeds", "HTTP/1.1 200 OK\nContent-Length: 2\n\nhi", false, {}, 200, true, "hi"},
      {"encoded body stored as is", Head("HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 4") + std::string("\x1f\x8b\x08\x00", 4), false, {}, 200, true, std::string("\x1f\x8b\x08\x00", 4)},
      {"202 is a success", Head("HTTP/1.0 202 Accepted\r\nContent-Length: 1") + "z", false, {}, 202, true, "z"},
      {"length of the body limit", Head("HTTP/1.1 200 OK\r\nContent-Length: 1048576") + limit, false, {}, 200, true, limit},
      {"length beyond the body limit", Head("HTTP/1.1 200 OK\r\nContent-Length: 3145728") + over, false, kBodyTooLong, 0, false, limit},
      {"until close beyond the body limit", Head("HTTP/1.1 200 OK") + over, true, kBodyTooLong, 0, false, limit},
      {"chunked beyond the body limit", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + overChunked + "0\r\n\r\n", false, kBodyTooLong, 0, false, limit},
      {"201 with Location", Head("HTTP/1.1 201 Created\r\nLocation: /new\r\nContent-Length: 2") + "ok", false, {}, 201, true, "ok"},

      // Chunked bodies.
      {"chunked 1a", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "1a\r\n" + alphabet + "\r\n0\r\n\r\n", false, {}, 200, true, alphabet},
      {"chunked pieces", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n", false, {}, 200, true, "abcde"},
      {"chunked wins over length", Head("HTTP/1.1 200 OK\r\nContent-Length: 1\r\nTransfer-Encoding: gzip, Chunked") + "3\r\nabc\r\n0\r\n\r\n", false, {}, 200, true, "abc"},
      {"chunk extension after a blank", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "5 ; x=y\r\nhello\r\n0\r\n\r\n", false, {}, 200, true, "hello"},
      {"chunk extension after the digits", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "5;x=y\r\nhello\r\n0;z\r\n\r\n", false, {}, 200, true, "hello"},
      {"chunk size with leading zeros", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "00000000000000000005\r\nhello\r\n0\r\n\r\n", false, {}, 200, true, "hello"},
      {"chunk size not a number ends the body", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "zz\r\nhello\r\n", false, {}, 200, true, ""},
      {"chunk size with the top bit set ends the body", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "8000000000000000\r\n\r\n", false, {}, 200, true, ""},
      {"chunk size of 17 digits ends the body", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "10000000000000000\r\n\r\n", false, {}, 200, true, ""},
      {"chunk size beyond 32 bits", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "100000000\r\nabc", true, kClosed, 0, false, "abc"},
      {"chunked broken in a chunk", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "5\r\nhel", true, kClosed, 0, false, "hel"},
      {"chunked broken before the last chunk", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "5\r\nhello\r\n", true, kClosed, 0, false, "hello"},
      {"chunked closed after the last chunk", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "5\r\nhello\r\n0\r\n", true, {}, 200, true, "hello"},
      {"chunk line too long", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + std::string(16385, '0'), false, kLineTooLong, 0, false, ""},

      // Header block.
      {"continuation joins with one blank", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip,\r\n\t  chunked") + "2\r\nhi\r\n0\r\n\r\n", false, {}, 200, true, "hi"},
      {"continuation of an ignored header", Head("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 7\r\n 9") + "hi", false, {}, 200, true, "hi"},
      {"line without a colon", Head("HTTP/1.1 200 OK\r\nnonsense\r\nContent-Length: 1") + "!", false, {}, 200, true, "!"},
      {"a bare name shadows no header", Head("HTTP/1.1 200 OK\r\nContent-Length\r\nContent-Length: 3") + "abcdef", false, {}, 200, true, "abc"},
      {"a bare name ends no continuation", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip,\r\nbare\r\n chunked") + "2\r\nhi\r\n0\r\n\r\n", false, {}, 200, true, "hi"},
      {"close in the header block ends it", "HTTP/1.1 200 OK\r\nX-Any: thing", true, {}, 200, true, ""},
      {"close in the headers before a length", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n", true, kClosed, 0, false, ""},
      {"close before the status line", "", true, kClosed, 0, false, ""},
      {"close before the status line's line feed", "HTTP/1.1 200 OK\r", true, kClosed, 0, false, ""},
      {"close after an interim reply", Head("HTTP/1.1 100 Continue"), true, kClosed, 0, false, ""},
      {"255 header lines", Head("HTTP/1.1 200 OK\r\nContent-Length: 1" + std::string() + [] {
         std::string s;
         for (int i = 0; i < 254; ++i) s += "\r\nX: y";
         return s;
       }()) + "!", false, {}, 200, true, "!"},
      {"256 header lines", Head("HTTP/1.1 200 OK" + [] {
         std::string s;
         for (int i = 0; i < 256; ++i) s += "\r\nX: y";
         return s;
       }()), false, kTooManyHeaders, 0, false, ""},
      {"line of 16384 bytes", Head("HTTP/1.1 200 OK\r\nX: " + std::string(16384 - 3 - 1, 'v')) + "", true, {}, 200, true, ""},
      {"line of 16385 bytes", Head("HTTP/1.1 200 OK\r\nX: " + std::string(16384 - 3, 'v')), true, kLineTooLong, 0, false, ""},
      {"status line too long", std::string(20000, 'H'), false, kLineTooLong, 0, false, ""},
      {"joined value too long", Head("HTTP/1.1 200 OK\r\nLocation: " + std::string(10000, 'a') + "\r\n " + std::string(7000, 'b')), true, kLineTooLong, 0, false, ""},

      // Interim replies.
      {"100 then 200", Head("HTTP/1.1 100 Continue") + Head("HTTP/1.1 200 OK\r\nContent-Length: 2") + "hi", false, {}, 200, true, "hi"},
      {"headers of 100 are not kept", Head("HTTP/1.1 100 Continue\r\nContent-Length: 1") + Head("HTTP/1.1 200 OK") + "abc", true, {}, 200, true, "abc"},
      {"two interim replies", Head("HTTP/1.1 100 Continue") + Head("HTTP/1.1 100 Continue") + Head("HTTP/1.1 200 OK\r\nContent-Length: 0"), false, {}, 200, true, ""},

      // Replies that may lack a body.
      {"204 without body", Head("HTTP/1.1 204 No Content"), false, {}, 204, true, ""},
      {"204 closed", Head("HTTP/1.1 204 No Content"), true, {}, 204, true, ""},
      {"204 with a body thrown away", Head("HTTP/1.1 204 No Content\r\nContent-Length: 3") + "abc", false, {}, 204, true, ""},
      {"204 with a body broken off", Head("HTTP/1.1 204 No Content\r\nContent-Length: 3") + "a", true, kClosed, 0, false, ""},
      {"304 without body", Head("HTTP/1.1 304 Not Modified"), false, {}, 304, false, ""},
      {"304 with a body", Head("HTTP/1.1 304 Not Modified\r\nContent-Length: 3") + "abc", false, {}, 304, false, "", u"abc"},
      {"101", Head("HTTP/1.1 101 Switching Protocols"), false, {}, 101, false, ""},

      // Error replies and redirects: nothing reaches the sink.
      {"404", Head("HTTP/1.1 404 Not Found\r\nContent-Length: 9") + "not found", false, {}, 404, false, "", u"not found"},
      {"500 until close", Head("HTTP/1.1 500 Oops") + "trace", true, {}, 500, false, "", u"trace"},
      {"error body broken off", Head("HTTP/1.1 503 Busy\r\nContent-Length: 10") + "bus", true, {}, 503, false, "", u"bus"},
      {"chunked error body", Head("HTTP/1.1 400 Bad\r\nTransfer-Encoding: chunked") + "2\r\nno\r\n0\r\n\r\n", false, {}, 400, false, "", u"no"},
      {"error body beyond 64 KiB", Head("HTTP/1.1 500 Oops\r\nContent-Length: 100000") + big, false, {}, 500, false, "", Utf16FromLatin1(big.substr(0, 65536))},
      {"error body in UTF-8", Head("HTTP/1.1 404 No\r\nContent-Type: text/plain; charset=\"UTF-8\"\r\nContent-Length: 4") + "\xd0\x9d\xd0\xb5", false, {}, 404, false, "", u"\u041d\u0435"},
      {"error body without charset", Head("HTTP/1.1 404 No\r\nContent-Length: 2") + "\xd0\x9d", false, {}, 404, false, "", u"\u00d0\u009d"},
      {"301", Head("HTTP/1.1 301 Moved Permanently\r\nLocation: http://elsewhere/\r\nContent-Length: 5") + "moved", false, {}, 301, false, "", u"moved"},
      {"302 without Location", Head("HTTP/1.1 302 Found\r\nContent-Length: 0"), false, {}, 302, false, ""},
      {"200 with Location is a redirect", Head("HTTP/1.1 200 OK\r\nLocation: /x\r\nContent-Length: 2") + "hi", false, {}, 200, false, "", u"hi"},
      {"200 with an empty Location", Head("HTTP/1.1 200 OK\r\nLocation:  \r\nContent-Length: 2") + "hi", false, {}, 200, true, "hi"},
      {"304 with Location reads its body", Head("HTTP/1.1 304 Not Modified\r\nLocation: /x") + "rest", true, {}, 304, false, "", u"rest"},
      {"401", Head("HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"x\"\r\nContent-Length: 4") + "deny", false, {}, 401, false, "", u"deny"},
      {"407", Head("HTTP/1.1 407 Proxy Authentication Required\r\nContent-Length: 1") + "p", false, {}, 407, false, "", u"p"},
      {"code not a number", Head("HTTP/1.1 abc Bad\r\nContent-Length: 0"), false, {}, -1, false, ""},
      {"no code", Head("HTTP/1.1\r\nContent-Length: 0"), false, {}, -1, false, ""},
      {"not HTTP at all", "garbage\n", true, {}, -1, false, ""},
  };
}

TEST(HttpReply, TableFedInAnyPieces) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    const ReplyOutcome whole = FeedReply(c.reply, c.reply.size() + 1, c.closes);
    EXPECT_EQ(Utf8FromUtf16(whole.error), Utf8FromUtf16(c.error));
    EXPECT_TRUE(whole.done);
    EXPECT_EQ(whole.sink, c.sink);
    if (c.error.empty()) {
      EXPECT_EQ(whole.code, c.code);
      EXPECT_EQ(whole.success, c.success);
      EXPECT_EQ(Utf8FromUtf16(whole.errorBody), Utf8FromUtf16(c.errorBody));
    }
    for (std::size_t piece : {1, 2, 3, 7, 64, 4096}) {
      SCOPED_TRACE(piece);
      EXPECT_TRUE(FeedReply(c.reply, piece, c.closes) == whole);
    }
  }
}

// A reply that ends on its own is never taken as ended before its last byte.
TEST(HttpReply, EveryPrefixOfACompleteReplyIsIncomplete) {
  for (const Case& c : Cases()) {
    if (c.closes || !c.error.empty() || c.reply.size() > 20000) continue;
    SCOPED_TRACE(c.name);
    const ReplyOutcome whole = FeedReply(c.reply, c.reply.size(), false);
    ASSERT_TRUE(whole.done);
    for (std::size_t n = 0; n < whole.consumed; ++n) {
      StringSink sink;
      THttpReplyReader reader(sink);
      const auto* data = reinterpret_cast<const std::uint8_t*>(c.reply.data());
      ASSERT_EQ(reader.Feed(std::span<const std::uint8_t>(data, n)), n);
      ASSERT_NE(reader.State(), THttpReplyReader::Progress::Done) << "prefix of " << n << " bytes";
    }
  }
}

TEST(HttpReply, BytesAfterTheReplyAreNotTaken) {
  const std::string reply = Head("HTTP/1.1 200 OK\r\nContent-Length: 2") + "hi";
  const ReplyOutcome out = FeedReply(reply + "HTTP/1.1 200 OK\r\n", 5, false);
  EXPECT_EQ(out.consumed, reply.size());
  EXPECT_EQ(out.sink, "hi");
}

TEST(HttpReply, ASilentServerLeavesTheReplyIncomplete) {
  for (const std::string& reply : {std::string("HTTP/1.1 200 OK\r\n"), Head("HTTP/1.1 200 OK") + "part",
                                  Head("HTTP/1.1 200 OK\r\nContent-Length: 9") + "part",
                                  Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "9\r\npart"}) {
    SCOPED_TRACE(reply);
    const ReplyOutcome out = FeedReply(reply, 3, false);
    EXPECT_FALSE(out.done);
    EXPECT_TRUE(out.error.empty());
    EXPECT_EQ(out.consumed, reply.size());
  }
}

TEST(HttpReply, ReplyFacts) {
  struct Fact {
    std::string reply;
    std::u16string statusLine;
    bool connectionClose;
  };
  const Fact facts[] = {
      {Head("HTTP/1.1 200 OK\r\nContent-Length: 0"), u"HTTP/1.1 200 OK", false},
      {Head("HTTP/1.1 404 Not Found\r\nConnection: close\r\nContent-Length: 0"), u"HTTP/1.1 404 Not Found", true},
      {Head("HTTP/1.1 200 OK\r\nProxy-Connection:  CLOSE \r\nContent-Length: 0"), u"HTTP/1.1 200 OK", true},
      {Head("HTTP/1.1 200 OK\r\nConnection:\r\n close\r\nContent-Length: 0"), u"HTTP/1.1 200 OK", true},
      {Head("HTTP/1.1 200 OK\r\nConnection: keep-alive\r\nConnection: close\r\nContent-Length: 0"), u"HTTP/1.1 200 OK", false},
      {Head("HTTP/1.1 200 OK\r\nConnection: close, Upgrade\r\nContent-Length: 0"), u"HTTP/1.1 200 OK", false},
      {Head("HTTP/1.1  500  Caf\xe9\t \r\nContent-Length: 0"), u"HTTP/1.1  500  Caf?\t ", false},
  };
  for (const Fact& f : facts) {
    SCOPED_TRACE(f.reply);
    const ReplyOutcome out = FeedReply(f.reply, 1, false);
    ASSERT_TRUE(out.done);
    EXPECT_EQ(Utf8FromUtf16(out.statusLine), Utf8FromUtf16(f.statusLine));
    EXPECT_EQ(out.connectionClose, f.connectionClose);
  }
  EXPECT_EQ(FeedReply(Head("HTTP/1.1  500  X\r\nContent-Length: 0"), 9, false).code, 500);
}

}  // namespace
