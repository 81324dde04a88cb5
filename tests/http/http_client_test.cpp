// The client over a scripted transport: what it sends, whom it connects to, how it closes and
// what it reports.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/http/get_harness.h"
#include "tests/http/same_bytes.h"
#include "tests/http/scripted_transport.h"
#include "toolkit/text.h"

namespace {

const std::string kOk = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhi";

GetResult Get(ScriptedTransport& t, std::u16string_view url) {
  return RunGet(t, url, nullptr, [&] { t.calls.push_back("discard"); });
}

TEST(HttpClient, RequestHeadByteForByte) {
  struct Case {
    std::u16string url;
    std::string head;
  };
  const Case cases[] = {
      {u"http://reklam.example/reklam.txt", "GET /reklam.txt HTTP/1.1\r\nHost: reklam.example\r\n" + kRequestHeadTail},
      {u"http://user:pw@h:80/a/b?q=1#f", "GET /a/b?q=1#f HTTP/1.1\r\nHost: h\r\n" + kRequestHeadTail},
      {u"http://h:8080/x#frag", "GET /x HTTP/1.1\r\nHost: h:8080\r\n" + kRequestHeadTail},
      {u"gopher://h:70/", "GET / HTTP/1.1\r\nHost: h:70\r\n" + kRequestHeadTail},
      {u"http://[::1]:81/", "GET / HTTP/1.1\r\nHost: [::1]:81\r\n" + kRequestHeadTail},
      {u"http://h/~user/\x7F", "GET /~user/? HTTP/1.1\r\nHost: h\r\n" + kRequestHeadTail},
      {u"http://LOCALHOST/caf\u00e9 x\r\nEvil: 1", "GET /caf? x??Evil: 1 HTTP/1.1\r\nHost: LOCALHOST\r\n" + kRequestHeadTail},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8FromUtf16(c.url));
    ScriptedTransport t;
    t.names = {{"h", "10.1.2.3"}, {"reklam.example", "10.1.2.4"}};
    t.Reply(kOk);
    const GetResult r = Get(t, c.url);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(t.sent, c.head);
    EXPECT_EQ(std::count(t.calls.begin(), t.calls.end(), "send"), 1) << "the head goes out in one piece";
  }
}

TEST(HttpClient, WhomItConnectsTo) {
  struct Case {
    std::u16string url;
    std::vector<std::string> calls;  // up to the send
  };
  const Case cases[] = {
      {u"http://LOCALHOST/", {"connect 127.0.0.1 80 v4"}},
      {u"http://LocalHost:8080/", {"connect 127.0.0.1 8080 v4"}},
      {u"http://192.168.0.255/", {"connect 192.168.0.255 80 v4"}},
      {u"http://0.0.0.0/", {"connect 0.0.0.0 80 v4"}},
      {u"http://site/", {"resolve site", "connect 10.9.8.7 80 v4"}},
      {u"http://256.1.1.1/", {"resolve 256.1.1.1", "connect 10.0.0.2 80 v4"}},
      {u"http://010.1.1.1/", {"resolve 010.1.1.1", "connect 10.0.0.3 80 v4"}},
      {u"http://1.2.3/", {"resolve 1.2.3", "connect 10.0.0.4 80 v4"}},
      {u"http://1.2.3.4.5/", {"resolve 1.2.3.4.5", "connect 10.0.0.5 80 v4"}},
      {u"http://[::1]:8080/", {"connect ::1 8080 v6"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8FromUtf16(c.url));
    ScriptedTransport t;
    t.names = {{"site", "10.9.8.7"}, {"256.1.1.1", "10.0.0.2"}, {"010.1.1.1", "10.0.0.3"}, {"1.2.3", "10.0.0.4"},
               {"1.2.3.4.5", "10.0.0.5"}};
    t.Reply(kOk);
    EXPECT_EQ(Get(t, c.url).error, "");
    std::vector<std::string> calls(t.calls.begin(), std::find(t.calls.begin(), t.calls.end(), "send"));
    EXPECT_EQ(calls, c.calls);
  }
}

TEST(HttpClient, Failures) {
  struct Case {
    const char* name;
    std::u16string url;
    std::string reply;  // sent, then the server closes
    int connectError, sendError, receiveError;
    std::string error;
    std::vector<std::string> calls;  // all of them, the object's discarding included
  };
  const Case cases[] = {
      {"https", u"https://h/", "", 0, 0, 0, "HTTPS is not supported", {"discard"}},
      {"https with a port", u"https://h:80/", "", 0, 0, 0, "HTTPS is not supported", {"discard"}},
      {"unknown scheme", u"ftp://h/", "", 0, 0, 0, "Unknown Protocol", {"discard"}},
      {"no scheme", u"h/x", "", 0, 0, 0, "Unknown Protocol", {"discard"}},
      {"name not found", u"http://nowhere/", "", 0, 0, 0, "Socket Error # 11001\r\nHost not found.", {"resolve nowhere", "discard"}},
      {"refused", u"http://h/", "", 10061, 0, 0, "Socket Error # 10061\r\nConnection refused.",
       {"resolve h", "connect 10.0.0.1 80 v4", "discard"}},
      {"connect timed out", u"http://h/", "", 10060, 0, 0, "Socket Error # 10060\r\nConnection timed out.",
       {"resolve h", "connect 10.0.0.1 80 v4", "discard"}},
      // A failed send shuts the connection down and closes it before the call returns.
      {"send fails", u"http://h/", "", 0, 10054, 0, "Socket Error # 10054\r\nConnection reset by peer.",
       {"resolve h", "connect 10.0.0.1 80 v4", "send", "shutdown", "close", "discard"}},
      {"reset", u"http://h/", "HTTP/1.1 200 OK\r\n", 0, 0, 10054, "Socket Error # 10054\r\nConnection reset by peer.",
       {"resolve h", "connect 10.0.0.1 80 v4", "send", "receive", "receive", "shutdown", "close", "discard"}},
      {"number without a text", u"http://h/", "", 0, 0, 12345, "Socket Error # 12345\r\n",
       {"resolve h", "connect 10.0.0.1 80 v4", "send", "receive", "shutdown", "close", "discard"}},
      {"closed at once", u"http://h/", "", 0, 0, 0, "Connection Closed Gracefully.",
       {"resolve h", "connect 10.0.0.1 80 v4", "send", "receive", "shutdown", "close", "discard"}},
      {"line too long", u"http://h/", std::string(40000, 'x'), 0, 0, 0, "Max line length exceeded.",
       {"resolve h", "connect 10.0.0.1 80 v4", "send", "receive", "discard", "close"}},
      {"404 closing", u"http://h/", "HTTP/1.1 404 Not Found\r\nConnection: close\r\nContent-Length: 1\r\n\r\n!", 0, 0, 0,
       "HTTP/1.1 404 Not Found", {"resolve h", "connect 10.0.0.1 80 v4", "send", "receive", "shutdown", "close", "discard"}},
      {"redirect kept open", u"http://h/", "HTTP/1.1 302 Found\r\nLocation: http://h/b\r\nContent-Length: 0\r\n\r\n", 0, 0, 0,
       "HTTP/1.1 302 Found", {"resolve h", "connect 10.0.0.1 80 v4", "send", "receive", "discard", "close"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedTransport t;
    t.names["h"] = "10.0.0.1";
    t.connectError = c.connectError;
    t.sendError = c.sendError;
    if (!c.reply.empty()) t.Reply(c.reply);
    if (c.receiveError) {
      t.script.push_back({{}, false, c.receiveError});
    }
    t.CloseAfter();
    const GetResult r = Get(t, c.url);
    EXPECT_EQ(r.error, c.error);
    EXPECT_EQ(r.sink, "");
    EXPECT_EQ(t.calls, c.calls);
  }
}

TEST(HttpClient, ErrorReplyCarriesCodeAndBody) {
  ScriptedTransport t;
  t.names["h"] = "10.0.0.1";
  t.Reply("HTTP/1.1 404 Not Found\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: 6\r\n\r\n\xd0\x9d\xd0\xb5\xd1\x82");
  StringSink sink;
  THttpClient client(t);
  try {
    client.Get(u"http://h/reklam.txt", sink);
    FAIL() << "no error";
  } catch (const EHttpProtocolError& e) {
    EXPECT_EQ(e.Message(), u"HTTP/1.1 404 Not Found");
    EXPECT_EQ(e.ErrorCode(), 404);
    EXPECT_EQ(e.ErrorBody(), u"\u041d\u0435\u0442");
  }
  EXPECT_EQ(sink.bytes, "");
}

// How the connection ends: shut down and closed at the end of the call when it is down or the
// reply asks for it, else left to the client object's end.
TEST(HttpClient, ClosingRule) {
  struct Case {
    const char* name;
    std::string reply;
    bool closes;
    std::vector<std::string> tail;  // the calls after the send
  };
  const std::string ok = "HTTP/1.1 200 OK\r\n";
  const Case cases[] = {
      {"kept open", ok + "Content-Length: 2\r\n\r\nhi", false, {"receive", "discard", "close"}},
      {"Connection: close", ok + "Connection:  Close \r\nContent-Length: 2\r\n\r\nhi", false, {"receive", "shutdown", "close", "discard"}},
      {"Proxy-Connection: close", ok + "Proxy-Connection: close\r\nContent-Length: 2\r\n\r\nhi", false, {"receive", "shutdown", "close", "discard"}},
      {"keep-alive", ok + "Connection: keep-alive\r\nContent-Length: 2\r\n\r\nhi", false, {"receive", "discard", "close"}},
      {"closed by the server", ok + "\r\nhi", true, {"receive", "receive", "shutdown", "close", "discard"}},
      // A 204 or 304 reply has no body: it ends with its head, and nothing is waited for.
      {"204 waits for no body", "HTTP/1.1 204 No Content\r\n\r\n", false, {"receive", "discard", "close"}},
      {"204 with its body at once", "HTTP/1.1 204 No Content\r\nContent-Length: 2\r\n\r\nhi", false, {"receive", "discard", "close"}},
      {"304 waits for no body", "HTTP/1.1 304 Not Modified\r\n\r\n", false, {"receive", "discard", "close"}},
      {"101 waits for a body", "HTTP/1.1 101 Switching Protocols\r\n\r\n", false, {"receive", "wait 100", "discard", "close"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedTransport t;
    t.Reply(c.reply);
    if (c.closes) t.CloseAfter();
    Get(t, u"http://127.0.0.1/");
    const auto send = std::find(t.calls.begin(), t.calls.end(), "send");
    ASSERT_NE(send, t.calls.end());
    EXPECT_EQ(std::vector<std::string>(send + 1, t.calls.end()), c.tail);
  }
}

TEST(HttpClient, BodyGoesToTheSinkAsReceived) {
  const std::string body(100000, 'b');
  ScriptedTransport t;
  t.Reply("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + body);
  const GetResult r = Get(t, u"http://127.0.0.1/");
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.sink, body);
  EXPECT_EQ(std::count(t.calls.begin(), t.calls.end(), "receive"), 4) << "32 KiB per read";
}

// A body that breaks off or goes beyond the limit fails; the sink keeps what came (of a list of
// lines of 16 bytes, the whole first MiB), and a body beyond the limit is read no further than
// the piece that crossed it.
TEST(HttpClient, BrokenOrOverlongBodyFailsAndKeepsWhatCame) {
  std::string over;
  while (over.size() < 3 * MaxBodyLength) over += "0123456789abcd\r\n";
  std::string chunks;
  for (std::size_t i = 0; i < over.size(); i += 0x8000) chunks += "8000\r\n" + over.substr(i, 0x8000) + "\r\n";
  struct Case {
    std::string reply;  // sent, then the server closes
    std::string error, sink;
    std::vector<std::string> tail;  // the calls after the last receive
  };
  const std::vector<std::string> closed = {"shutdown", "close", "discard"}, left = {"discard", "close"};
  const std::string limit = over.substr(0, MaxBodyLength);
  const Case cases[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 2147483648\r\n\r\npart", "Connection Closed Gracefully.", "part", closed},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n10\r\npart", "Connection Closed Gracefully.", "part", closed},
      {"HTTP/1.1 200 OK\r\nContent-Length: 3145728\r\n\r\n" + over, "Max body length exceeded.", limit, left},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + chunks + "0\r\n\r\n", "Max body length exceeded.", limit, left},
      {"HTTP/1.1 200 OK\r\n\r\n" + over, "Max body length exceeded.", limit, left},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply.substr(0, 60));
    ScriptedTransport t;
    t.Reply(c.reply);
    t.CloseAfter();
    const GetResult r = Get(t, u"http://127.0.0.1/");
    EXPECT_EQ(r.error, c.error);
    EXPECT_TRUE(SameBytes(r.sink, c.sink));
    const auto last = std::find(t.calls.rbegin(), t.calls.rend(), "receive").base();
    EXPECT_EQ(std::vector<std::string>(last, t.calls.end()), c.tail);
    if (c.sink.size() == MaxBodyLength) {
      // 32 reads of 32 KiB bring the head and all but the head's length of the limit.
      EXPECT_EQ(std::count(t.calls.begin(), t.calls.end(), "receive"), 33) << "nothing is drained";
    }
  }
}

// Replies that would keep the download pulling data: each is read no further than the receive
// that brings the byte where the reply ends or fails, and the connection is closed with the
// client object, with the rest of the server's bytes unread.
TEST(HttpClient, RepliesNobodyReadsAreReadNoFurther) {
  const std::string notFound = "HTTP/1.1 404 Not Found\r\n\r\n";
  const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  std::string oneByteChunks = chunked, oneByteBody;
  while (oneByteChunks.size() < kMaxReplyLength + 100000) {
    oneByteChunks.append("1\r\n");
    if (oneByteChunks.size() < kMaxReplyLength) oneByteBody += 'x';
    oneByteChunks.append("x").append(MaxLineLength - 1, 'y').append("\r\n");
  }
  const std::string continueBlock = "HTTP/1.1 100 Continue\r\n\r\n";
  std::string interim;
  while (interim.size() < 2 * RecvBufferSize) interim += continueBlock;
  const std::string noContent = "HTTP/1.1 204 No Content\r\n\r\n";
  struct Case {
    const char* name;
    std::string reply;  // more than is read; the server would send on
    std::string error, sink;
    std::size_t end;  // the byte after which the reply ends or fails
  };
  const std::size_t kPlenty = 8 << 20;
  const Case cases[] = {
      {"an error body without end", notFound + std::string(kPlenty, 'e'), "HTTP/1.1 404 Not Found", "",
       notFound.size() + kMaxErrorBodyLength},
      {"interim replies without end", interim, "Max header lines exceeded.", "", continueBlock.size() * (MaxHeaderLines + 1)},
      {"chunks of one byte, each followed by a long line", oneByteChunks, "Max reply length exceeded.", oneByteBody,
       kMaxReplyLength + 1},
      {"a 204 followed by bytes without end", noContent + std::string(kPlenty, 'z'), "", "", noContent.size()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedTransport t;
    t.Reply(c.reply);
    const GetResult r = Get(t, u"http://127.0.0.1/");
    EXPECT_EQ(r.error, c.error);
    EXPECT_TRUE(SameBytes(r.sink, c.sink));
    EXPECT_EQ(t.received, (c.end + RecvBufferSize - 1) / RecvBufferSize * RecvBufferSize);
    const auto last = std::find(t.calls.rbegin(), t.calls.rend(), "receive").base();
    EXPECT_EQ(std::vector<std::string>(last, t.calls.end()), (std::vector<std::string>{"discard", "close"}));
  }
}

TEST(HttpClient, OneRequestPerObject) {
  ScriptedTransport t;
  t.Reply(kOk);
  StringSink sink;
  THttpClient client(t);
  client.Get(u"http://127.0.0.1/", sink);
  EXPECT_THROW(client.Get(u"http://127.0.0.1/", sink), EHttpError);
  EXPECT_EQ(std::count(t.calls.begin(), t.calls.end(), "send"), 1);
}

}  // namespace
