// Fuzz target of the URL parser and the request head: the input is a URL in UTF-16; whatever it
// holds, the head is six CR LF lines and nothing else breaks a line.
#include <cstdlib>
#include <string>

#include "http/http_client.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string url(size / 2, u'\0');
  for (std::size_t i = 0; i < url.size(); ++i) url[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  const TUrl parts = ParseUrl(url);
  std::uint16_t port = 80;
  try {
    port = UrlPort(parts);
  } catch (const EHttpError&) {
  }
  const std::string head = RequestHead(parts, port);
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
