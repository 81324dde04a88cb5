// The reply reader: status line, headers, interim replies, reply handling and body framing,
// each reply fed whole, byte by byte and in other pieces with the same result.
#include <gtest/gtest.h>

#include <algorithm>

#include <array>
#include <charconv>
#include <optional>
#include <random>

#include "passwords/line_text.h"
#include "tests/http/reply_harness.h"
#include "tests/http/same_bytes.h"
#include "toolkit/text.h"

namespace {

const std::u16string kClosed = u"Connection Closed Gracefully.";
const std::u16string kLineTooLong = u"Max line length exceeded.";
const std::u16string kTooManyHeaders = u"Max header lines exceeded.";
const std::u16string kBodyTooLong = u"Max body length exceeded.";
const std::u16string kReplyTooLong = u"Max reply length exceeded.";

std::string Head(std::string_view statusAndHeaders) { return std::string(statusAndHeaders) + "\r\n\r\n"; }

// The bytes of a UTF-16 text after its mark, low byte first or high byte first.
std::string Utf16Bytes(std::u16string_view text, bool big_endian) {
  std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    out += big_endian ? high : low;
    out += big_endian ? low : high;
  }
  return out;
}

std::string WithLength(const std::string& body) {
  return Head("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size())) + body;
}

std::string Repeat(std::string_view piece, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

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
  std::optional<std::size_t> taken = {};  // bytes the reader took as the reply, when it matters
};

std::vector<Case> Cases() {
  const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";
  const std::string big(100000, 'x');
  const std::string limit(MaxBodyLength, 'b');
  const std::string over(3 * MaxBodyLength, 'b');  // 3 MiB
  std::string overChunked;
  for (std::size_t i = 0; i < over.size(); i += 0x8000) overChunked += "8000\r\n" + over.substr(i, 0x8000) + "\r\n";
  // A first line of 8 bytes, then lines of 16: the last line feed within the limit is 8 bytes
  // before it.
  std::string shifted = "1234567\n";
  while (shifted.size() < over.size()) shifted += "0123456789abcd\r\n";
  const std::string shiftedKept = shifted.substr(0, MaxBodyLength - 8);
  // Chunks of one byte, each followed by a line of MaxLineLength bytes: only the chunks' bytes
  // that lie within the reply's budget reach the sink.
  const std::string chunkedHead = Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked");
  std::string oneByteChunks, oneByteKept;
  while (chunkedHead.size() + oneByteChunks.size() <= kMaxReplyLength) {
    oneByteChunks += "1\r\n";
    if (chunkedHead.size() + oneByteChunks.size() < kMaxReplyLength) oneByteKept += 'x';
    oneByteChunks.append("x").append(MaxLineLength - 1, 'y').append("\r\n");
  }
  // Chunked replies of exactly the reply's budget and of one byte more, their chunk-size lines
  // padded with extensions: the first ends, the second fails at its last byte.
  const auto chunked_of_length = [&](std::size_t total) {
    std::string reply = chunkedHead;
    const std::string last = "0\r\n\r\n";
    while (reply.size() + last.size() < total) {
      const std::size_t left = total - reply.size() - last.size();
      // A size line of 3 to MaxLineLength + 1 bytes and a chunk of one byte; never fewer than 6 bytes left after it.
      const std::size_t line = left - 3 <= MaxLineLength + 1 ? left - 3 : std::min(MaxLineLength + 1, left - 9);
      reply += line == 3 ? std::string("1") : std::string("1;").append(line - 4, 'e');
      reply += "\r\nx\r\n";
    }
    return reply + last;
  };
  const std::string budget = chunked_of_length(kMaxReplyLength), over_budget = chunked_of_length(kMaxReplyLength + 1);
  const std::string budget_body(std::count(budget.begin() + chunkedHead.size(), budget.end(), 'x'), 'x');
  const std::string over_budget_body(std::count(over_budget.begin() + chunkedHead.size(), over_budget.end(), 'x'), 'x');
  // The longest head the line limits let through, then a body at its limit.
  std::string longestHead = std::string("HTTP/1.1 200 ").append(MaxLineLength - 14, 'O').append("\r\n");
  for (std::size_t i = 0; i + 1 < MaxHeaderLines; ++i) longestHead.append("X: ").append(MaxLineLength - 4, 'v').append("\r\n");
  longestHead += "Content-Length: 1048576\r\n\r\n";
  // Lists a little longer than the limit, in each encoding the line-list reader knows, whose
  // limit falls where a plain cut would break a line or a character.
  // ANSI: CR at the limit's last byte, its LF the first byte beyond.
  const std::string crLf = std::string("0123456789abcdef\n").append(Repeat("0123456789abcd\r\n", 65535));
  // UTF-8 with its mark: the limit falls inside "р".
  const std::string utf8 = std::string("\xEF\xBB\xBF" "a\n").append(Repeat("\xD0\x91\xD0\xB0\xD0\xBD\xD0\xBD\xD0\xB5\xD1\x80 1\r\n", 65536));
  // UTF-16: after the last line feed within the limit come units that are no line feed but
  // hold 0A 00 or 00 0A across two units, line feeds of the other byte order, and 0A alone.
  std::u16string lines16;
  while (2 + 2 * (lines16.size() + 10) < MaxBodyLength - 40) lines16 += u"\u0411\u0430\u043D\u043D\u0435\u0440 1\r\n";
  const std::u16string traps16 = u"\u0A41\u4100\u0A41\u0A00\u010A\u0D0A\u0A0D" + std::u16string(40, u'z') + u"\r\nend\r\n";
  const std::string notFound = Head("HTTP/1.1 404 Not Found");
  const std::string noContent = Head("HTTP/1.1 204 No Content");
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
      {"length of 2^63 - 1", Head("HTTP/1.1 200 OK\r\nContent-Length: 9223372036854775807") + "abc", true, kClosed, 0, false, "abc"},
      {"length of 2^63 is none", Head("HTTP/1.1 200 OK\r\nContent-Length: 9223372036854775808") + "abc", true, {}, 200, true, "abc"},
      {"length broken off", Head("HTTP/1.1 200 OK\r\nContent-Length: 10") + "1234", true, kClosed, 0, false, "1234"},
      {"2 GiB announced, short body", Head("HTTP/1.1 200 OK\r\nContent-Length: 2147483648") + "short", true, kClosed, 0, false, "short"},
      {"first Content-Length counts", Head("HTTP/1.1 200 OK\r\nContent-Length: 3\r\ncontent-length: 5") + "abcde", false, {}, 200, true, "abc"},
      {"names without case", Head("HTTP/1.1 200 OK\r\ncOnTeNt-LeNgTh:   2  ") + "hi", false, {}, 200, true, "hi"},
      {"bare line feeds", "HTTP/1.1 200 OK\nContent-Length: 2\n\nhi", false, {}, 200, true, "hi"},
      {"encoded body stored as is", Head("HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 4") + std::string("\x1f\x8b\x08\x00", 4), false, {}, 200, true, std::string("\x1f\x8b\x08\x00", 4)},
      {"299 is a success", Head("HTTP/1.1 299 Odd\r\nContent-Length: 1") + "z", false, {}, 299, true, "z"},
      {"202 is a success", Head("HTTP/1.0 202 Accepted\r\nContent-Length: 1") + "z", false, {}, 202, true, "z"},
      {"length of the body limit", Head("HTTP/1.1 200 OK\r\nContent-Length: 1048576") + limit, false, {}, 200, true, limit},
      // Beyond the limit the sink keeps the body up to its last line feed within the limit:
      // nothing of a body without one.
      {"length beyond the body limit", Head("HTTP/1.1 200 OK\r\nContent-Length: 3145728") + over, false, kBodyTooLong, 0, false, ""},
      {"until close beyond the body limit", Head("HTTP/1.1 200 OK") + over, true, kBodyTooLong, 0, false, ""},
      {"chunked beyond the body limit", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + overChunked + "0\r\n\r\n", false, kBodyTooLong, 0, false, ""},
      {"lines beyond the body limit, with a length", Head("HTTP/1.1 200 OK\r\nContent-Length: 3145728") + shifted, false, kBodyTooLong, 0, false, shiftedKept},
      {"lines beyond the body limit, until close", Head("HTTP/1.1 200 OK") + shifted, true, kBodyTooLong, 0, false, shiftedKept},
      {"lines beyond the body limit, chunked", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "300000\r\n" + shifted + "\r\n0\r\n\r\n", false, kBodyTooLong, 0, false, shiftedKept},
      {"ANSI, the limit between CR and LF", WithLength(crLf), false, kBodyTooLong, 0, false, crLf.substr(0, MaxBodyLength - 15)},
      {"ANSI starting with FF, half a UTF-16 mark", WithLength("\xFF" + crLf.substr(1)), false, kBodyTooLong, 0, false, "\xFF" + crLf.substr(1, MaxBodyLength - 16)},
      {"ANSI starting with FE, half a UTF-16 mark", WithLength("\xFE" + crLf.substr(1)), false, kBodyTooLong, 0, false, "\xFE" + crLf.substr(1, MaxBodyLength - 16)},
      {"UTF-8 with its mark, the limit inside a character", WithLength(utf8), false, kBodyTooLong, 0, false, utf8.substr(0, MaxBodyLength - 11)},
      {"UTF-16 low byte first", WithLength(Utf16Bytes(lines16 + traps16, false)), false, kBodyTooLong, 0, false, Utf16Bytes(lines16, false)},
      {"UTF-16 high byte first", WithLength(Utf16Bytes(lines16 + traps16, true)), false, kBodyTooLong, 0, false, Utf16Bytes(lines16, true)},
      {"UTF-16 without a line feed", WithLength(Utf16Bytes(std::u16string(MaxBodyLength, u'\u0A0A'), false)), false, kBodyTooLong, 0, false, ""},
      {"a head at the line limits and a body at its limit", longestHead + limit, false, {}, 200, true, limit},
      {"chunks of one byte, each followed by a long line", chunkedHead + oneByteChunks, false, kReplyTooLong, 0, false, oneByteKept},
      {"the same in an error reply", Head("HTTP/1.1 404 Not Found\r\nTransfer-Encoding: chunked") + oneByteChunks, false, kReplyTooLong, 0, false, ""},
      {"a reply of its whole budget", budget, false, {}, 200, true, budget_body},
      {"a reply one byte beyond its budget", over_budget, false, kReplyTooLong, 0, false, over_budget_body},
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
      {"chunk size of 16 digits, the top bit clear", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "7fffffffffffffff\r\nabc", true, kClosed, 0, false, "abc"},
      {"chunk size of 17 digits ends the body", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "10000000000000000\r\n\r\n", false, {}, 200, true, ""},
      {"chunk size beyond 32 bits", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "100000000\r\nabc", true, kClosed, 0, false, "abc"},
      {"chunked broken in a chunk", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "5\r\nhel", true, kClosed, 0, false, "hel"},
      {"chunked broken before the last chunk", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "5\r\nhello\r\n", true, kClosed, 0, false, "hello"},
      {"closed in the last chunk's size line", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "5\r\nhello\r\n0", true, {}, 200, true, "hello"},
      {"chunked closed after the last chunk", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + "5\r\nhello\r\n0\r\n", true, {}, 200, true, "hello"},
      {"chunk line too long", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked") + std::string(16385, '0'), false, kLineTooLong, 0, false, ""},

      // Header block.
      {"continuation joins with one blank", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip,\r\n\t  chunked") + "2\r\nhi\r\n0\r\n\r\n", false, {}, 200, true, "hi"},
      // A blank joins the parts, so a length continued on the next line is no number.
      {"continuation joins with a blank", Head("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n 2") + "abcdefghijklmn", true, {}, 200, true, "abcdefghijklmn"},
      {"continuation of an empty value adds no blank", Head("HTTP/1.1 200 OK\r\nContent-Length:\r\n 2") + "himore", true, {}, 200, true, "hi"},
      {"continuation of blanks only adds nothing", Head("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n \t ") + "himore", true, {}, 200, true, "hi"},
      {"continuation of an ignored header", Head("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 7\r\n 9") + "hi", false, {}, 200, true, "hi"},
      {"line without a colon", Head("HTTP/1.1 200 OK\r\nnonsense\r\nContent-Length: 1") + "!", false, {}, 200, true, "!"},
      {"a bare name shadows no header", Head("HTTP/1.1 200 OK\r\nContent-Length\r\nContent-Length: 3") + "abcdef", false, {}, 200, true, "abc"},
      {"a bare name ends no continuation", Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip,\r\nbare\r\n chunked") + "2\r\nhi\r\n0\r\n\r\n", false, {}, 200, true, "hi"},
      {"close in the header block ends it", "HTTP/1.1 200 OK\r\nX-Any: thing", true, {}, 200, true, ""},
      {"close in the headers before a length", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n", true, kClosed, 0, false, ""},
      {"close in a header line keeps it", "HTTP/1.1 200 OK\r\nContent-Length: 3", true, kClosed, 0, false, ""},
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
      {"joined value of 16384 bytes", Head("HTTP/1.1 200 OK\r\nLocation: " + std::string(10000, 'a') + "\r\n " + std::string(6383, 'b')), true, {}, 200, false, ""},
      {"joined value of 16385 bytes", Head("HTTP/1.1 200 OK\r\nLocation: " + std::string(10000, 'a') + "\r\n " + std::string(6384, 'b')), true, kLineTooLong, 0, false, ""},
      {"joined value too long", Head("HTTP/1.1 200 OK\r\nLocation: " + std::string(10000, 'a') + "\r\n " + std::string(7000, 'b')), true, kLineTooLong, 0, false, ""},

      // Interim replies.
      {"100 then 200", Head("HTTP/1.1 100 Continue") + Head("HTTP/1.1 200 OK\r\nContent-Length: 2") + "hi", false, {}, 200, true, "hi"},
      {"headers of 100 are not kept", Head("HTTP/1.1 100 Continue\r\nContent-Length: 1") + Head("HTTP/1.1 200 OK") + "abc", true, {}, 200, true, "abc"},
      {"two interim replies", Head("HTTP/1.1 100 Continue") + Head("HTTP/1.1 100 Continue") + Head("HTTP/1.1 200 OK\r\nContent-Length: 0"), false, {}, 200, true, ""},
      {"102 then 200", Head("HTTP/1.1 102 Processing") + Head("HTTP/1.1 200 OK\r\nContent-Length: 2") + "hi", false, {}, 200, true, "hi"},
      {"103 with its hints then 200", Head("HTTP/1.1 103 Early Hints\r\nLink: </a.css>; rel=preload\r\nContent-Length: 9") + Head("HTTP/1.1 200 OK\r\nContent-Length: 2") + "hi", false, {}, 200, true, "hi"},
      // Each interim reply's lines, its status line included, count against the head's limit.
      {"255 interim replies", Repeat(Head("HTTP/1.1 100 Continue"), 255) + Head("HTTP/1.1 200 OK") + "ok", true, {}, 200, true, "ok"},
      {"256 interim replies", Repeat(Head("HTTP/1.1 100 Continue"), 256) + Head("HTTP/1.1 200 OK") + "ok", true, kTooManyHeaders, 0, false, ""},
      {"interim lines and header lines, 255 together", Head("HTTP/1.1 103 Early Hints" + Repeat("\r\nLink: <x>", 253)) + Head("HTTP/1.1 200 OK\r\nContent-Length: 1") + "!", false, {}, 200, true, "!"},
      {"interim lines and header lines, 256 together", Head("HTTP/1.1 103 Early Hints" + Repeat("\r\nLink: <x>", 254)) + Head("HTTP/1.1 200 OK\r\nContent-Length: 1") + "!", false, kTooManyHeaders, 0, false, ""},

      // Replies that may lack a body.
      {"204 without body", Head("HTTP/1.1 204 No Content"), false, {}, 204, true, ""},
      {"204 closed", Head("HTTP/1.1 204 No Content"), true, {}, 204, true, ""},
      // A 204 or 304 reply ends with its head: whatever follows is not read.
      {"204 with an announced body not read", Head("HTTP/1.1 204 No Content\r\nContent-Length: 3") + "abc", false, {}, 204, true, "", {}, Head("HTTP/1.1 204 No Content\r\nContent-Length: 3").size()},
      {"204 with an announced body broken off", Head("HTTP/1.1 204 No Content\r\nContent-Length: 3") + "a", true, {}, 204, true, "", {}, Head("HTTP/1.1 204 No Content\r\nContent-Length: 3").size()},
      {"204 followed by bytes without end", noContent + big, false, {}, 204, true, "", {}, noContent.size()},
      {"304 without body", Head("HTTP/1.1 304 Not Modified"), false, {}, 304, false, ""},
      {"304 with an announced body not read", Head("HTTP/1.1 304 Not Modified\r\nContent-Length: 3") + "abc", false, {}, 304, false, "", {}, Head("HTTP/1.1 304 Not Modified\r\nContent-Length: 3").size()},
      {"101", Head("HTTP/1.1 101 Switching Protocols"), false, {}, 101, false, ""},
      {"199 may have a body too", Head("HTTP/1.1 199 Odd"), false, {}, 199, false, ""},

      // Error replies and redirects: nothing reaches the sink.
      {"404", Head("HTTP/1.1 404 Not Found\r\nContent-Length: 9") + "not found", false, {}, 404, false, "", u"not found"},
      {"500 until close", Head("HTTP/1.1 500 Oops") + "trace", true, {}, 500, false, "", u"trace"},
      {"error body broken off", Head("HTTP/1.1 503 Busy\r\nContent-Length: 10") + "bus", true, {}, 503, false, "", u"bus"},
      {"chunked error body", Head("HTTP/1.1 400 Bad\r\nTransfer-Encoding: chunked") + "2\r\nno\r\n0\r\n\r\n", false, {}, 400, false, "", u"no"},
      {"error body beyond 64 KiB", Head("HTTP/1.1 500 Oops\r\nContent-Length: 100000") + big, false, {}, 500, false, "", Utf16FromLatin1(big.substr(0, 65536)), Head("HTTP/1.1 500 Oops\r\nContent-Length: 100000").size() + 65536},
      // An error reply ends once its kept body is full: the rest is not read, and no close is
      // waited for.
      {"error body without end", notFound + big, false, {}, 404, false, "", Utf16FromLatin1(big.substr(0, 65536)), notFound.size() + 65536},
      {"chunked error body without end", Head("HTTP/1.1 404 Not Found\r\nTransfer-Encoding: chunked") + "20000\r\n" + big, false, {}, 404, false, "", Utf16FromLatin1(big.substr(0, 65536)), Head("HTTP/1.1 404 Not Found\r\nTransfer-Encoding: chunked").size() + 7 + 65536},
      {"error body in UTF-8", Head("HTTP/1.1 404 No\r\nContent-Type: text/plain; charset=\"UTF-8\"\r\nContent-Length: 4") + "\xd0\x9d\xd0\xb5", false, {}, 404, false, "", u"\u041d\u0435"},
      {"error body in utf8", Head("HTTP/1.1 404 No\r\nContent-Type: text/plain;charset=utf8\r\nContent-Length: 2") + "\xd0\x9d", false, {}, 404, false, "", u"\u041d"},
      {"error body without charset", Head("HTTP/1.1 404 No\r\nContent-Length: 2") + "\xd0\x9d", false, {}, 404, false, "", u"\u00d0\u009d"},
      {"301", Head("HTTP/1.1 301 Moved Permanently\r\nLocation: http://elsewhere/\r\nContent-Length: 5") + "moved", false, {}, 301, false, "", u"moved"},
      {"302 without Location", Head("HTTP/1.1 302 Found\r\nContent-Length: 0"), false, {}, 302, false, ""},
      {"200 with Location is a redirect", Head("HTTP/1.1 200 OK\r\nLocation: /x\r\nContent-Length: 2") + "hi", false, {}, 200, false, "", u"hi"},
      {"200 with an empty Location", Head("HTTP/1.1 200 OK\r\nLocation:  \r\nContent-Length: 2") + "hi", false, {}, 200, true, "hi"},
      {"304 with Location reads its body", Head("HTTP/1.1 304 Not Modified\r\nLocation: /x") + "rest", true, {}, 304, false, "", u"rest"},
      {"401", Head("HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"x\"\r\nContent-Length: 4") + "deny", false, {}, 401, false, "", u"deny"},
      {"407", Head("HTTP/1.1 407 Proxy Authentication Required\r\nContent-Length: 1") + "p", false, {}, 407, false, "", u"p"},
      {"code not a number", Head("HTTP/1.1 abc Bad\r\nContent-Length: 0"), false, {}, -1, false, ""},
      {"code of nine digits", Head("HTTP/1.1 999999999 Odd\r\nContent-Length: 0"), false, {}, 999999999, false, ""},
      {"ten digits are no code", Head("HTTP/1.1 1000000000 Odd\r\nContent-Length: 0"), false, {}, -1, false, ""},
      {"no code", Head("HTTP/1.1\r\nContent-Length: 0"), false, {}, -1, false, ""},
      {"fields separated by tabs", Head("HTTP/1.1\t404\tNot Found\r\nContent-Length: 1") + "!", false, {}, 404, false, "", u"!"},
      {"not HTTP at all", "garbage\n", true, {}, -1, false, ""},
  };
}

TEST(HttpReply, TableFedInAnyPieces) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    const ReplyOutcome whole = FeedReply(c.reply, c.reply.size() + 1, c.closes);
    EXPECT_EQ(Utf8FromUtf16(whole.error), Utf8FromUtf16(c.error));
    EXPECT_TRUE(whole.done);
    EXPECT_TRUE(SameBytes(whole.sink, c.sink));
    if (c.error.empty()) {
      EXPECT_EQ(whole.code, c.code);
      EXPECT_EQ(whole.success, c.success);
      EXPECT_EQ(Utf8FromUtf16(whole.errorBody), Utf8FromUtf16(c.errorBody));
      if (c.taken) {
        EXPECT_EQ(whole.consumed, *c.taken);
      }
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
      ASSERT_NE(reader.State(), THttpReplyReader::TProgress::Done) << "prefix of " << n << " bytes";
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

// Over random lists longer than the limit in every encoding, framing and piece size: the sink
// holds the body up to its last line feed within the limit, found here by decoding the code
// units, and the lines read from it are the body's first lines, each of them whole.
TEST(HttpReply, ACutListKeepsItsWholeLinesInEveryEncoding) {
  enum Encoding { Ansi, Utf8, Utf16Little, Utf16Big };
  std::mt19937 random(19);
  const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  // Line separators, and characters that are none: traps for a cut by bytes in UTF-16 among them.
  const std::u16string separators[] = {u"\r\n", u"\n", u"\r"};
  const std::u16string units = u"aZ \u00e9\u0411\u044f\u4e2d\u0A41\u4100\u0A00\u010A\u0D0A\u0A0D\u0A0A";
  const std::u16string pairs = u"\U0001F600\U00010348";
  for (const Encoding encoding : {Ansi, Utf8, Utf16Little, Utf16Big}) {
    const bool wide = encoding == Utf16Little || encoding == Utf16Big;
    const auto encode = [&](const std::u16string& text) {
      if (wide) return Utf16Bytes(text, encoding == Utf16Big).substr(2);
      if (encoding == Utf8) return Utf8FromUtf16(text);
      std::string bytes;  // ANSI: every unit stands for the byte of its low half
      for (const char16_t u : text) bytes += static_cast<char>(u & 0xFF ? u & 0xFF : 'n');
      return bytes;
    };
    std::string mark = encoding == Utf8 ? "\xEF\xBB\xBF" : wide ? Utf16Bytes(u"", encoding == Utf16Big) : "";
    // Lines that are the same in every list, up to shortly before the limit.
    std::string prefix = mark;
    while (prefix.size() < MaxBodyLength - 3000) prefix += encode(u"Banner \u0411\u0430\u043D\u043D\u0435\u0440\r\n");
    const std::size_t prefixLines = (prefix.size() - mark.size()) / encode(u"Banner \u0411\u0430\u043D\u043D\u0435\u0440\r\n").size();
    for (int trial = 0; trial < 16; ++trial) {
      SCOPED_TRACE(testing::Message() << "encoding " << encoding << ", trial " << trial);
      std::string body = prefix;
      while (body.size() < MaxBodyLength + 3000) {
        std::u16string line;
        for (std::size_t n = pick(300); n > 0; --n) {
          if (pick(20) == 0) {
            line += pairs.substr(2 * pick(2), 2);
          } else {
            const char16_t u = units[pick(units.size())];
            if (!wide && (u & 0xFF) == 0x0A) continue;  // bytes of their own in a byte list
            if (!wide && (u & 0xFF) == 0x0D) continue;
            line += u;
          }
        }
        body += encode(line + separators[pick(3)]);
      }
      // The end of the last line feed within the limit, from the decoded text.
      std::size_t expected = 0;
      if (wide) {
        std::u16string text(Utf16UnitCount(MaxBodyLength - 2), u'\0');
        DecodeUtf16(std::span(reinterpret_cast<const std::uint8_t*>(body.data()) + 2, MaxBodyLength - 2),
                    encoding == Utf16Big, text.data());
        const auto lf = text.rfind(u'\n');
        expected = lf == std::u16string::npos ? 0 : 2 + 2 * (lf + 1);
      } else {
        expected = body.rfind('\n', MaxBodyLength - 1) + 1;
      }
      std::string reply;
      switch (pick(3)) {
        case 0: reply = WithLength(body); break;
        case 1: reply = Head("HTTP/1.1 200 OK") + body; break;
        default:
          reply = Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked");
          for (std::size_t at = 0; at < body.size();) {
            const std::size_t n = std::min(body.size() - at, 1 + pick(70000));
            char size[17];
            reply.append(size, std::to_chars(size, size + sizeof size, n, 16).ptr).append("\r\n");
            reply.append(body, at, n).append("\r\n");
            at += n;
          }
          reply += "0\r\n\r\n";
      }
      // Byte by byte is the table's part.
      const std::size_t piece = std::array<std::size_t, 3>{7, 4096, 1 + pick(100000)}[pick(3)];
      const ReplyOutcome out = FeedReply(reply, piece, true);
      EXPECT_EQ(Utf8FromUtf16(out.error), Utf8FromUtf16(kBodyTooLong));
      ASSERT_EQ(out.sink.size(), expected);
      EXPECT_TRUE(SameBytes(out.sink, body.substr(0, expected)));
      // The lines of the cut list are the first lines of the whole one.
      const auto linesOf = [&](const std::string& bytes) {
        std::u16string text;
        if (wide) {
          text.resize(Utf16UnitCount(bytes.size() - std::min<std::size_t>(bytes.size(), 2)));
          if (bytes.size() > 2) {
            DecodeUtf16(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 2, bytes.size() - 2),
                        encoding == Utf16Big, text.data());
          }
        } else if (encoding == Utf8) {
          text = Utf16FromUtf8(bytes.substr(std::min<std::size_t>(bytes.size(), 3)));
        } else {
          text = Utf16FromLatin1(bytes);
        }
        std::vector<std::u16string> lines;
        ForEachLine(std::u16string_view(text), [&](const char16_t* first, std::size_t n) { lines.emplace_back(first, n); });
        return lines;
      };
      const auto cut = linesOf(out.sink);
      const auto whole = linesOf(body);
      ASSERT_LE(cut.size(), whole.size());
      EXPECT_TRUE(std::equal(cut.begin(), cut.end(), whole.begin()));
      EXPECT_GE(cut.size(), prefixLines);
    }
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
      {Head("HTTP/1.1 500 \x7f\x80\r\nContent-Length: 0"), u"HTTP/1.1 500 \x7f?", false},
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
