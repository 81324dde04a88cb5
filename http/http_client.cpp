// The HTTP client of the banner download.
#include "http/http_client.h"

#include <algorithm>
#include <vector>

#include "http/ascii_case.h"
#include "toolkit/scope_exit.h"

namespace {

// Printable ASCII stays, everything else becomes "?".
std::string AsciiBytes(std::u16string_view text) {
  std::string out(text.size(), '?');
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] >= 0x20 && text[i] <= 0x7E) out[i] = static_cast<char>(text[i]);
  }
  return out;
}

bool IsLocalhost(std::string_view host) {
  return EqualsNoCase(host, "localhost");
}

// Four decimal numbers from 0 to 255 separated by dots, without leading zeros.
bool IsDottedIPv4(std::string_view host) {
  int parts = 0;
  while (true) {
    std::size_t digits = 0;
    int value = 0;
    while (digits < host.size() && host[digits] >= '0' && host[digits] <= '9' && digits < 3) {
      value = value * 10 + (host[digits] - '0');
      ++digits;
    }
    if (digits == 0 || value > 255 || (digits > 1 && host[0] == '0')) return false;
    host.remove_prefix(digits);
    if (++parts == 4) return host.empty();
    if (host.empty() || host.front() != '.') return false;
    host.remove_prefix(1);
  }
}

std::span<const std::uint8_t> Bytes(std::string_view s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

}  // namespace

std::string RequestHead(const TUrl& url, std::uint16_t port) {
  std::string head = "GET ";
  head.append(AsciiBytes(RequestTarget(url))).append(" HTTP/1.1\r\nHost: ");
  if (url.IPv6) {
    head.append(1, '[').append(AsciiBytes(url.Host)).append(1, ']');
  } else {
    head.append(AsciiBytes(url.Host));
  }
  if (port != 80) head.append(1, ':').append(std::to_string(port));
  head.append(
      "\r\n"
      "Accept: text/html, */*\r\n"
      "Accept-Encoding: identity\r\n"
      "User-Agent: Mozilla/3.0 (compatible; Tarvelin)\r\n"
      "\r\n");
  return head;
}

THttpClient::~THttpClient() {
  if (open_) transport_.Close();
}

void THttpClient::Disconnect() noexcept {
  transport_.ShutdownSend();
  transport_.Close();
  open_ = false;
}

void THttpClient::Get(std::u16string_view URL, ByteSink& Sink) {
  if (used_) throw EHttpError(u"The HTTP client serves one request only");
  used_ = true;

  const TUrl url = ParseUrl(URL);
  if (EqualsNoCase(url.Protocol, u"https")) throw EHttpError(u"HTTPS is not supported");
  const std::uint16_t port = UrlPort(url);

  const std::string host = AsciiBytes(url.Host);
  if (url.IPv6) {
    transport_.Connect(host, port, IpVersion::IPv6);
  } else if (IsLocalhost(host)) {
    transport_.Connect("127.0.0.1", port, IpVersion::IPv4);
  } else if (IsDottedIPv4(host)) {
    transport_.Connect(host, port, IpVersion::IPv4);
  } else {
    transport_.Connect(transport_.Resolve(host), port, IpVersion::IPv4);
  }
  open_ = true;
  up_ = true;

  THttpReplyReader reader(Sink);
  // On every way out: a connection that is down or asked to be closed is closed now; any other
  // stays open until the client object goes.
  const ScopeExit close([&] {
    if (!up_ || reader.ConnectionClose()) Disconnect();
  });

  const std::string head = RequestHead(url, port);
  up_ = false;
  transport_.Send(Bytes(head));
  up_ = true;
  ReadReply(reader);

  if (!reader.Success()) throw EHttpProtocolError(reader.StatusLine(), reader.StatusCode(), reader.ErrorBody());
}

void THttpClient::ReadReply(THttpReplyReader& reader) {
  std::vector<std::uint8_t> buffer(RecvBufferSize);
  while (true) {
    const auto state = reader.State();
    if (state == THttpReplyReader::Progress::Done) return;
    if (state == THttpReplyReader::Progress::WaitForBody && !transport_.WaitReadable(BodyProbeMilliseconds)) {
      reader.NoBodyArrived();
      continue;
    }
    up_ = false;  // stays so when the receive fails
    const std::size_t n = transport_.Receive(buffer);
    if (n == 0) {
      reader.Close();
      continue;
    }
    up_ = true;
    reader.Feed(std::span<const std::uint8_t>(buffer.data(), n));
  }
}
