// The client over Winsock against a loopback server thread with scripted replies, hostile ones
// included, and a file as the sink.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>

#include "http/winsock_transport_win.h"
#include "tests/http/loopback_server_win.h"
#include "tests/http/get_harness.h"
#include "toolkit/text.h"
#include "toolkit/wide.h"

namespace {

GetResult Get(const std::wstring& url, TByteSink* fileSink = nullptr) {
  TWinsockTransport transport;
  WSASetLastError(0xdeadbeef);
  return RunGet(transport, U16(url), fileSink);
}

// A sink that appends to an open file, as the banner download uses it.
class FileSink final : public TByteSink {
public:
  explicit FileSink(HANDLE file) : file_(file) {}
  void Write(std::span<const std::uint8_t> bytes) override {
    DWORD written = 0;
    if (!WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written != bytes.size()) {
      throw Exception(u"write failed");
    }
  }
  void Truncate(std::uint64_t size) override {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(file_, to, nullptr, FILE_BEGIN) || !SetEndOfFile(file_)) throw Exception(u"truncate failed");
  }

private:
  HANDLE file_;
};

LoopbackServer::Script Replies(std::string reply, bool close = true) {
  return [reply, close](LoopbackServer::Connection& c) {
    c.Send(reply);
    if (!close) c.WaitForEnd();
  };
}

TEST(HttpWinsock, RequestHeadAndBody) {
  LoopbackServer server(Replies("HTTP/1.1 200 OK\r\nContent-Length: 11\r\n\r\nline1\r\nline"));
  const GetResult r = Get(server.Url());
  server.Stop();
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.sink, "line1\r\nline");
  EXPECT_EQ(server.Head(), "GET /reklam.txt HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n" + kRequestHeadTail);
}

TEST(HttpWinsock, LocalhostAndThePathAsWritten) {
  LoopbackServer server(Replies("HTTP/1.0 200 OK\r\n\r\nuntil the close"));
  const GetResult r = Get(L"http://LocalHost:" + std::to_wstring(server.Port()) + L"\\dir\\a b.txt?q=1#frag");
  server.Stop();
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.sink, "until the close");
  EXPECT_EQ(server.Head(), "GET /dir/a b.txt?q=1#frag HTTP/1.1\r\nHost: LocalHost:" + std::to_string(server.Port()) + "\r\n" + kRequestHeadTail);
}

TEST(HttpWinsock, BracketedIPv6Literal) {
  LoopbackServer server(Replies("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nv6"), AF_INET6);
  const GetResult r = Get(server.Url());
  server.Stop();
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.sink, "v6");
  EXPECT_EQ(server.Head(), "GET /reklam.txt HTTP/1.1\r\nHost: [::1]:" + std::to_string(server.Port()) + "\r\n" + kRequestHeadTail);
}

TEST(HttpWinsock, ErrorReplies) {
  struct Case {
    std::string reply;
    std::string error;
    int code;
    std::u16string body;
  };
  const Case cases[] = {
      {"HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nnope", "HTTP/1.1 404 Not Found", 404, u"nope"},
      {"HTTP/1.1 301 Moved Permanently\r\nLocation: http://elsewhere/\r\n\r\nmoved", "HTTP/1.1 301 Moved Permanently", 301, u"moved"},
      {"HTTP/1.1 200 OK\r\nLocation: /x\r\nContent-Length: 2\r\n\r\nhi", "HTTP/1.1 200 OK", 200, u"hi"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    LoopbackServer server(Replies(c.reply));
    const GetResult r = Get(server.Url());
    EXPECT_EQ(r.error, c.error);
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(r.body, c.body);
    EXPECT_EQ(r.sink, "");
  }
}

TEST(HttpWinsock, ConnectionRefused) {
  // A port nobody listens on: bound once, then freed.
  std::uint16_t port;
  {
    LoopbackServer probe([](LoopbackServer::Connection&) {});
    port = probe.Port();
  }
  EXPECT_EQ(Get(L"http://127.0.0.1:" + std::to_wstring(port) + L"/").error, "Socket Error # 10061\r\nConnection refused.");

  // Resets come from a Linux server (http_servers_test): a Wine socket closed with linger off
  // or with unread bytes still ends with a graceful close.
}

TEST(HttpWinsock, ResolverAsksForIPv4) {
  TWinsockTransport transport;
  EXPECT_EQ(transport.Resolve("localhost"), "127.0.0.1");
}

// A reply that asks for the close gets it at once; any other connection stays open until the
// client object goes.
TEST(HttpWinsock, ClosingRule) {
  for (const bool asksClose : {true, false}) {
    SCOPED_TRACE(asksClose);
    TUniqueKernelHandle ended(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const std::string reply = std::string("HTTP/1.1 200 OK\r\n") + (asksClose ? "Connection: close\r\n" : "") +
                              "Content-Length: 2\r\n\r\nhi";
    LoopbackServer server([&](LoopbackServer::Connection& c) {
      c.Send(reply);
      if (c.WaitForEnd()) SetEvent(ended.Get());
    });
    StringSink sink;
    {
      TWinsockTransport transport;
      THttpClient client(transport);
      client.Get(U16(server.Url()), sink);
      // The close must come by the rule, not by time: a short look is enough to tell.
      EXPECT_EQ(WaitForSingleObject(ended.Get(), asksClose ? 5000 : 300), asksClose ? WAIT_OBJECT_0 : WAIT_TIMEOUT);
    }
    EXPECT_EQ(WaitForSingleObject(ended.Get(), 5000), WAIT_OBJECT_0);
    EXPECT_EQ(sink.bytes, "hi");
  }
}

// An informational reply other than the interim ones may bring a body; a 204 or 304 has none
// and is not waited for (see below).
TEST(HttpWinsock, SwitchingProtocolsWaitsBrieflyForABody) {
  LoopbackServer server(Replies("HTTP/1.1 101 Switching Protocols\r\n\r\n", false));
  const ULONGLONG start = GetTickCount64();
  const GetResult r = Get(server.Url());
  const ULONGLONG elapsed = GetTickCount64() - start;
  EXPECT_EQ(r.error, "HTTP/1.1 101 Switching Protocols");
  EXPECT_GE(elapsed, 90u);
  EXPECT_LT(elapsed, 3000u);
}

// Replies that would keep the download pulling data through the real sockets: the client ends
// the call and drops the connection, and the server finds it gone after a few MiB at most
// (what the client read and what the socket buffers took). A client that read on would get
// the server's 64 MiB, then its close.
TEST(HttpWinsock, RepliesNobodyReadsEndTheConnectionAtOnce) {
  struct Case {
    const char* name;
    std::string head, piece;  // the head once, then the piece again and again
    std::string error;
  };
  const Case cases[] = {
      {"an error body without end", "HTTP/1.1 404 Not Found\r\n\r\n", std::string(65536, 'e'), "HTTP/1.1 404 Not Found"},
      {"interim replies without end", "", "HTTP/1.1 100 Continue\r\n\r\n", "Max header lines exceeded."},
      {"chunks of one byte, each followed by a long line", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
       "1\r\nx" + std::string(16383, 'y') + "\r\n", "Max reply length exceeded."},
      {"a 204 followed by bytes without end", "HTTP/1.1 204 No Content\r\n\r\n", std::string(65536, 'z'), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TUniqueKernelHandle gone(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<std::uint64_t> sent{0};
    LoopbackServer server([&](LoopbackServer::Connection& connection) {
      std::string block;
      while (block.size() < 65536) block += c.piece;
      bool up = connection.Send(c.head);
      while (up && sent < (64u << 20)) {
        up = connection.Send(block);
        if (up) sent += block.size();
      }
      if (!up) SetEvent(gone.Get());
    });
    const GetResult r = Get(server.Url());
    EXPECT_EQ(r.error, c.error);
    EXPECT_EQ(WaitForSingleObject(gone.Get(), 10000), WAIT_OBJECT_0) << "the server still sends";
    EXPECT_LT(sent.load(), 16u << 20);
    server.Stop();
    std::printf("%-50s the server sent %llu bytes\n", c.name, static_cast<unsigned long long>(sent.load()));
  }
}

// Hostile servers: the client ends with an error, within bounds, or keeps waiting by design.
TEST(HttpWinsock, EndlessHeaders) {
  LoopbackServer server([](LoopbackServer::Connection& c) {
    c.Send("HTTP/1.1 200 OK\r\n");
    while (c.Send("X-Filler: more and more\r\n")) {
    }
  });
  EXPECT_EQ(Get(server.Url()).error, "Max header lines exceeded.");
}

TEST(HttpWinsock, TenMegabyteLine) {
  LoopbackServer server(Replies("HTTP/1.1 200 OK\r\nX-Line: " + std::string(10'000'000, 'v') + "\r\n\r\n"));
  EXPECT_EQ(Get(server.Url()).error, "Max line length exceeded.");
}

TEST(HttpWinsock, EndlessErrorBodyKeeps64KiB) {
  LoopbackServer server([](LoopbackServer::Connection& c) {
    c.Send("HTTP/1.1 500 Internal Server Error\r\n\r\n");
    const std::string block(65536, 'e');
    for (int i = 0; i < 320 && c.Send(block); ++i) {  // 20 MiB, then the close
    }
  });
  const GetResult r = Get(server.Url());
  EXPECT_EQ(r.error, "HTTP/1.1 500 Internal Server Error");
  EXPECT_EQ(r.body, std::u16string(65536, u'e'));
}

TEST(HttpWinsock, HugeLengthShortBodyIntoAFile) {
  wchar_t folder[MAX_PATH], path[MAX_PATH];
  ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
  ASSERT_NE(GetTempFileNameW(folder, L"tvh", 0, path), 0u);
  LoopbackServer server(Replies("HTTP/1.1 200 OK\r\nContent-Length: 2147483648\r\n\r\nfirst line\r\n"));
  {
    SetLastError(0xdeadbeef);
    TUniqueFile file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << GetLastError();
    FileSink sink(file.Get());
    EXPECT_EQ(Get(server.Url(), &sink).error, "Connection Closed Gracefully.");
    LARGE_INTEGER size = {};
    ASSERT_TRUE(GetFileSizeEx(file.Get(), &size));
    EXPECT_EQ(size.QuadPart, 12) << "the file holds the bytes received and no reserved space";
  }
  DeleteFileW(path);
}

TEST(HttpWinsock, SilentServerKeepsTheCallWaitingUntilItCloses) {
  TUniqueKernelHandle requested(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  TUniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  LoopbackServer server([&](LoopbackServer::Connection&) {
    SetEvent(requested.Get());
    WaitForSingleObject(release.Get(), INFINITE);  // then the server's close ends the client's wait
  });
  TUniqueKernelHandle returned(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  GetResult r;
  std::thread caller([&] {
    r = Get(server.Url());
    SetEvent(returned.Get());
  });
  ASSERT_EQ(WaitForSingleObject(requested.Get(), 10000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(returned.Get(), 1500), WAIT_TIMEOUT) << "the call gave up on its own";
  SetEvent(release.Get());
  caller.join();
  EXPECT_EQ(r.error, "Connection Closed Gracefully.");
}

}  // namespace
