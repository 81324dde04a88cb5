// Taking an http:// address apart and writing the request for it.
#include "http/http_request.h"

#include <algorithm>

#include "http/ascii_case.h"
#include "http/http_errors.h"

namespace {

// Splits the host part into user information, host and port.
void ParseHostPart(std::u16string_view part, TUrl& url) {
  // User information is never sent: only where it ends counts.
  if (const auto at = part.rfind(u'@'); at != std::u16string_view::npos) part.remove_prefix(at + 1);
  if (part.size() >= 2 && part.front() == u'[') {
    if (const auto close = part.find(u']'); close != std::u16string_view::npos) {
      url.host = part.substr(1, close - 1);
      url.ipv6 = true;
      const std::u16string_view rest = part.substr(close + 1);
      if (!rest.empty() && rest.front() == u':') url.port = rest.substr(1);
      return;
    }
  }
  const auto colon = part.rfind(u':');
  url.host = part.substr(0, colon);
  if (colon != std::u16string_view::npos) url.port = part.substr(colon + 1);
}

// The port to connect to: the one written in the URL, else 80 for "http".
std::uint16_t PortOf(const TUrl& url) {
  if (url.port.empty()) {
    if (url.protocol == u"http") return 80;
    throw EHttpError(u"Unknown Protocol");
  }
  unsigned value = 0;
  for (char16_t c : url.port) {
    if (c < u'0' || c > u'9' || (value = value * 10 + (c - u'0')) > 65535) {
      throw EHttpError(u"Invalid port number: " + url.port);
    }
  }
  return static_cast<std::uint16_t>(value);
}

// Printable ASCII stays, everything else becomes "?".
std::string AsciiBytes(std::u16string_view text) {
  std::string out(text.size(), '?');
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] >= 0x20 && text[i] <= 0x7E) out[i] = static_cast<char>(text[i]);
  }
  return out;
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

// "localhost" in any case.
bool IsLocalhost(std::string_view host) {
  constexpr std::string_view kLocalhost = "localhost";
  if (host.size() != kLocalhost.size()) return false;
  for (std::size_t i = 0; i < host.size(); ++i) {
    const char c = host[i] >= 'A' && host[i] <= 'Z' ? static_cast<char>(host[i] - 'A' + 'a') : host[i];
    if (c != kLocalhost[i]) return false;
  }
  return true;
}

}  // namespace

TUrl ParseUrl(std::u16string_view text) {
  std::u16string s(text);
  std::replace(s.begin(), s.end(), u'\\', u'/');
  std::u16string_view rest = s;
  TUrl url;

  if (const auto p = rest.find(u"://"); p != std::u16string_view::npos) {
    // Schemes compare without regard to case: kept in lower case, they compare as they are.
    url.protocol = LowerAsciiText(rest.substr(0, p));
    rest.remove_prefix(p + 3);
  }
  std::u16string_view query;
  const auto q = rest.find(u'?');
  if (q != std::u16string_view::npos) {
    query = rest.substr(q);
    rest = rest.substr(0, q);
  }
  const auto slash = rest.find(u'/');
  ParseHostPart(rest.substr(0, slash), url);
  if (slash == std::u16string_view::npos) {
    url.target = u"/";
  } else {
    rest.remove_prefix(slash);
    // A fragment ends only the document, the part after the path's last slash.
    const auto last = rest.rfind(u'/');
    url.target = rest.substr(0, rest.find(u'#', last));
  }
  url.target += query;
  return url;
}

THttpRequest HttpRequestFor(std::u16string_view address) {
  const TUrl url = ParseUrl(address);
  if (url.protocol == u"https") throw EHttpError(u"HTTPS is not supported");
  THttpRequest request;
  request.port = PortOf(url);
  request.host = AsciiBytes(url.host);
  request.ip_version = url.ipv6 ? TIPVersion::IPv6 : TIPVersion::IPv4;
  if (url.ipv6 || IsDottedIPv4(request.host)) {
    request.address = request.host;
  } else if (IsLocalhost(request.host)) {
    request.address = "127.0.0.1";
  } else {
    request.address = request.host;
    request.resolve = true;
  }

  std::string& head = request.head;
  head.append("GET ").append(AsciiBytes(url.target)).append(" HTTP/1.1\r\nHost: ");
  if (url.ipv6) {
    head.append(1, '[').append(request.host).append(1, ']');
  } else {
    head.append(request.host);
  }
  if (request.port != 80) head.append(1, ':').append(std::to_string(request.port));
  head.append(
      "\r\n"
      "Accept: text/html, */*\r\n"
      "Accept-Encoding: identity\r\n"
      "User-Agent: Mozilla/3.0 (compatible; Tarvelin)\r\n"
      "\r\n");
  return request;
}
