// Fuzz target of the URL parser and the request head: the input is a URL in UTF-16; whatever it
// holds, the head is six CR LF lines and nothing else breaks a line.
#include <cstdlib>
#include <string>

#include "http/http_errors.h"
#include "http/http_request.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string url(size / 2, u'\0');
  for (std::size_t i = 0; i < url.size(); ++i) url[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  std::string head;
  try {
    head = HttpRequestFor(url).head;
  } catch (const EHttpError&) {
    // A refused scheme or port: the same address with a port that passes must make a head.
    const TUrl parts = ParseUrl(url);
    std::u16string fixed = u"http://" + (parts.ipv6 ? u"[" + parts.host + u"]" : parts.host) + u":81" + parts.target;
    head = HttpRequestFor(fixed).head;
  }
  std::size_t lines = 0;
  for (std::size_t i = 0; i < head.size(); ++i) {
    if (head[i] == '\r' || head[i] == '\n') {
      if (head[i] != '\r' || i + 1 == head.size() || head[i + 1] != '\n') std::abort();
      ++lines;
      ++i;
    }
  }
  if (lines != 6 || head.compare(0, 4, "GET ") != 0 || head.compare(head.size() - 4, 4, "\r\n\r\n") != 0) std::abort();
  return 0;
}
