// Taking URLs apart, and the request made of them: the scheme and port rules.
#include <gtest/gtest.h>

#include "http/http_errors.h"
#include "http/http_request.h"
#include "toolkit/text.h"

namespace {

std::string U8(const std::u16string& s) { return Utf8FromUtf16(s); }

TEST(HttpUrl, Parts) {
  struct Case {
    std::u16string url;
    std::u16string protocol, host, port;
    bool ipv6;
    std::u16string target;
  };
  const Case cases[] = {
      {u"http://reklam.example/reklam.txt", u"http", u"reklam.example", u"", false, u"/reklam.txt"},
      {u"http://h", u"http", u"h", u"", false, u"/"},
      {u"HtTp://h", u"http", u"h", u"", false, u"/"},  // the scheme in lower case
      {u"http://h/", u"http", u"h", u"", false, u"/"},
      {u"http://h:8080/a/b/c.txt?x=1&y=2", u"http", u"h", u"8080", false, u"/a/b/c.txt?x=1&y=2"},
      {u"http:\\\\h\\dir\\file", u"http", u"h", u"", false, u"/dir/file"},
      {u"http://user:secret@h:81/x", u"http", u"h", u"81", false, u"/x"},
      {u"http://h:b:81/x", u"http", u"h:b", u"81", false, u"/x"},
      {u"http://a@b@h/x", u"http", u"h", u"", false, u"/x"},
      {u"http://[::1]:8080/x", u"http", u"::1", u"8080", true, u"/x"},
      {u"http://[]/x", u"http", u"", u"", true, u"/x"},
      {u"http://[fe80::1]/x", u"http", u"fe80::1", u"", true, u"/x"},
      {u"http://h/doc#part", u"http", u"h", u"", false, u"/doc"},
      {u"http://h/a#b/c", u"http", u"h", u"", false, u"/a#b/c"},
      {u"http://h?q/r", u"http", u"h", u"", false, u"/?q/r"},
      {u"http://h/a?b?c#d", u"http", u"h", u"", false, u"/a?b?c#d"},
      {u"http://h/a?", u"http", u"h", u"", false, u"/a?"},
      {u"http://h/a b%20", u"http", u"h", u"", false, u"/a b%20"},
      {u"h:80/x", u"", u"h", u"80", false, u"/x"},
      {u"FTP://h/", u"ftp", u"h", u"", false, u"/"},
      {u"AZ@[://h/", u"az@[", u"h", u"", false, u"/"},  // the letters' bounds, and the signs beside them
      {u"", u"", u"", u"", false, u"/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.url));
    const TUrl u = ParseUrl(c.url);
    EXPECT_EQ(U8(u.protocol), U8(c.protocol));
    EXPECT_EQ(U8(u.host), U8(c.host));
    EXPECT_EQ(U8(u.port), U8(c.port));
    EXPECT_EQ(u.ipv6, c.ipv6);
    EXPECT_EQ(U8(u.target), U8(c.target));
  }
}

TEST(HttpRequest, SchemeAndPort) {
  struct Case {
    std::u16string url;
    int port;  // -1: fails
    std::u16string message;
  };
  const Case cases[] = {
      {u"http://h/", 80, {}},
      {u"HtTp://h/", 80, {}},
      {u"https://h/", -1, u"HTTPS is not supported"},
      {u"HTTPS://h:443/", -1, u"HTTPS is not supported"},
      {u"http://h:8080/", 8080, {}},
      {u"http://h:/", 80, {}},
      {u"http://h:0065535/", 65535, {}},
      {u"gopher://h:70/", 70, {}},
      {u"gopher://h/", -1, u"Unknown Protocol"},
      {u"h/x", -1, u"Unknown Protocol"},
      {u"http://h:65536/", -1, u"Invalid port number: 65536"},
      {u"http://h:8o/", -1, u"Invalid port number: 8o"},
      {u"http://h:99999999999999999999/", -1, u"Invalid port number: 99999999999999999999"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.url));
    try {
      EXPECT_EQ(HttpRequestFor(c.url).port, c.port);
      EXPECT_NE(c.port, -1);
    } catch (const EHttpError& e) {
      EXPECT_EQ(c.port, -1);
      EXPECT_EQ(U8(e.Message()), U8(c.message));
    }
  }
}

}  // namespace
