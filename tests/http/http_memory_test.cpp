// The memory a hostile server can make the client use, counted by replacing the global
// allocation functions of this test program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "http/http_client.h"

namespace {

std::size_t liveBytes = 0;
std::size_t peakBytes = 0;
constexpr std::size_t kHeader = alignof(std::max_align_t);

}  // namespace

void* operator new(std::size_t size) {
  auto* p = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (!p) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(p) = size;
  liveBytes += size;
  peakBytes = std::max(peakBytes, liveBytes);
  return p + kHeader;
}
void operator delete(void* p) noexcept {
  if (!p) return;
  auto* block = static_cast<unsigned char*>(p) - kHeader;
  liveBytes -= *reinterpret_cast<std::size_t*>(block);
  std::free(block);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

// A server that sends a head and then, without holding it in memory, a long run of one
// repeated piece, and closes.
class FloodTransport final : public TTransport {
public:
  FloodTransport(std::string head, std::string piece, std::uint64_t total)
      : head_(std::move(head)), piece_(std::move(piece)), left_(total) {}
  std::string Resolve(const std::string&) override { return "10.0.0.1"; }
  void Connect(const std::string&, std::uint16_t, TIPVersion) override {}
  void Send(std::span<const std::uint8_t>) override {}
  bool WaitReadable(int) override { return true; }
  void ShutdownSend() noexcept override {}
  void Close() noexcept override {}
  std::size_t Receive(std::span<std::uint8_t> buffer) override {
    std::size_t n = 0;
    while (n < buffer.size() && pos_ < head_.size()) buffer[n++] = static_cast<std::uint8_t>(head_[pos_++]);
    while (n < buffer.size() && left_ > 0) {
      buffer[n++] = static_cast<std::uint8_t>(piece_[offset_++ % piece_.size()]);
      --left_;
    }
    received += n;
    return n;
  }
  std::uint64_t received = 0;  // bytes the client took

private:
  std::string head_, piece_;
  std::size_t pos_ = 0, offset_ = 0;
  std::uint64_t left_;
};

class CountingSink final : public TByteSink {
public:
  std::uint64_t bytes = 0;
  void Write(std::span<const std::uint8_t> b) override { bytes += b.size(); }
  void Truncate(std::uint64_t size) override { bytes = std::min(bytes, size); }
};

TEST(HttpMemory, HostileRepliesStayWithinAFewHundredKiB) {
  const std::string line(16000, 'v');
  std::string kept = "HTTP/1.1 302 Found\r\n";
  for (const char* name : {"Location", "Content-Type", "Connection", "Proxy-Connection", "Transfer-Encoding"}) {
    kept += std::string(name) + ": " + line + "\r\n";
  }
  kept += "Content-Length: 99999999999\r\nX-Long: " + line + "\r\n";
  for (int i = 0; i < 248; ++i) kept += " " + line + "\r\n";
  kept += "\r\n";
  struct Case {
    const char* name;
    std::string head, piece;
    std::uint64_t total;
    std::u16string error;
  };
  const Case cases[] = {
      {"endless header lines", "HTTP/1.1 200 OK\r\n", "X-Filler: " + std::string(100, 'f') + "\r\n", 1ull << 32,
       u"Max header lines exceeded."},
      {"a 10 MB line", "HTTP/1.1 200 OK\r\nX: ", "y", 10'000'000, u"Max line length exceeded."},
      {"long kept headers and continuations, endless error body", kept, "error ", 10'000'000, u"HTTP/1.1 302 Found"},
      {"endless error body", "HTTP/1.1 500 Oops\r\n\r\n", "error ", 50'000'000, u"HTTP/1.1 500 Oops"},
      // Ten bytes a body byte: the reply's budget ends it before the body's limit.
      {"endless chunks", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "1;ext\r\nz\r\n", ~0ull,
       u"Max reply length exceeded."},
      {"endless chunks, each followed by a long line", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
       "1\r\nz" + std::string(16000, 'y') + "\r\n", ~0ull, u"Max reply length exceeded."},
      {"endless interim replies", "", "HTTP/1.1 100 Continue\r\nX: " + std::string(16000, 'h') + "\r\n\r\n", ~0ull,
       u"Max header lines exceeded."},
      {"a 204 and endless bytes", "HTTP/1.1 204 No Content\r\n\r\n", "z", ~0ull, u""},
      {"endless body until the close", "HTTP/1.1 200 OK\r\n\r\n", "banner\r\n", ~0ull, u"Max body length exceeded."},
      {"3 MiB announced and sent", "HTTP/1.1 200 OK\r\nContent-Length: 3145728\r\n\r\n", "b", 3145728,
       u"Max body length exceeded."},
      {"2 GiB announced", "HTTP/1.1 200 OK\r\nContent-Length: 2147483648\r\n\r\n", "b", 1'000'000,
       u"Connection Closed Gracefully."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::u16string error;
    FloodTransport transport(c.head, c.piece, c.total);
    CountingSink sink;
    const std::size_t before = liveBytes;
    peakBytes = liveBytes;
    {
      THttpClient client(transport);
      try {
        client.Get(u"http://10.0.0.1/reklam.txt", sink);
      } catch (const Exception& e) {
        error = e.Message();
      }
    }
    const std::size_t peak = peakBytes - before;
    EXPECT_EQ(error, c.error);
    EXPECT_LT(peak, 400u * 1024) << "peak " << peak << " bytes";
    EXPECT_LE(transport.received, kMaxReplyLength + RecvBufferSize) << "read no further than the reply's budget";
    std::printf("%-60s peak %zu bytes, %llu bytes read\n", c.name, peak,
                static_cast<unsigned long long>(transport.received));
  }
}

}  // namespace
