// Taking an http:// address apart.
#include "http/http_url.h"

#include <algorithm>

#include "http/ascii_case.h"
#include "http/http_errors.h"

namespace {

// Splits the host part into user information, host and port.
void ParseHostPart(std::u16string_view part, TUrl& url) {
  if (const auto at = part.rfind(u'@'); at != std::u16string_view::npos) {
    const std::u16string_view user = part.substr(0, at);
    const auto colon = user.find(u':');
    url.UserName = user.substr(0, colon);
    if (colon != std::u16string_view::npos) url.Password = user.substr(colon + 1);
    part.remove_prefix(at + 1);
  }
  if (part.size() >= 2 && part.front() == u'[') {
    if (const auto close = part.find(u']'); close != std::u16string_view::npos) {
      url.Host = part.substr(1, close - 1);
      url.IPv6 = true;
      const std::u16string_view rest = part.substr(close + 1);
      if (!rest.empty() && rest.front() == u':') url.Port = rest.substr(1);
      return;
    }
  }
  const auto colon = part.rfind(u':');
  url.Host = part.substr(0, colon);
  if (colon != std::u16string_view::npos) url.Port = part.substr(colon + 1);
}

}  // namespace

TUrl ParseUrl(std::u16string_view text) {
  std::u16string s(text);
  std::replace(s.begin(), s.end(), u'\\', u'/');
  std::u16string_view rest = s;
  TUrl url;

  if (const auto p = rest.find(u"://"); p != std::u16string_view::npos) {
    url.Protocol = rest.substr(0, p);
    rest.remove_prefix(p + 3);
  }
  if (const auto q = rest.find(u'?'); q != std::u16string_view::npos) {
    url.Query = rest.substr(q + 1);
    url.HasQuery = true;
    rest = rest.substr(0, q);
  }
  const auto slash = rest.find(u'/');
  ParseHostPart(rest.substr(0, slash), url);
  if (slash == std::u16string_view::npos) {
    url.Path = u"/";
    return url;
  }
  rest.remove_prefix(slash);
  const auto last = rest.rfind(u'/');
  url.Path = rest.substr(0, last + 1);
  const std::u16string_view document = rest.substr(last + 1);
  url.Document = document.substr(0, document.find(u'#'));
  return url;
}

std::uint16_t UrlPort(const TUrl& url) {
  if (url.Port.empty()) {
    if (EqualsNoCase(url.Protocol, u"http")) return 80;
    if (EqualsNoCase(url.Protocol, u"https")) return 443;
    throw EHttpError(u"Unknown Protocol");
  }
  unsigned value = 0;
  for (char16_t c : url.Port) {
    if (c < u'0' || c > u'9' || (value = value * 10 + (c - u'0')) > 65535) {
      throw EHttpError(u"Invalid port number: " + url.Port);
    }
  }
  return static_cast<std::uint16_t>(value);
}

std::u16string RequestTarget(const TUrl& url) {
  std::u16string target = url.Path + url.Document;
  if (url.HasQuery) target += u'?' + url.Query;
  return target;
}
