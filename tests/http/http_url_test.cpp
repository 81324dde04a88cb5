// Taking URLs apart, the port rule and the request target.
#include <gtest/gtest.h>

#include "http/http_errors.h"
#include "http/http_url.h"
#include "toolkit/text.h"

namespace {

std::string U8(const std::u16string& s) { return Utf8FromUtf16(s); }

TEST(HttpUrl, Parts) {
  struct Case {
    std::u16string url;
    std::u16string protocol, user, password, host, port, path, document, query;
    bool hasQuery, ipv6;
    std::u16string target;
  };
  const Case cases[] = {
      {u"http://reklam.example/reklam.txt", u"http", u"", u"", u"reklam.example", u"", u"/", u"reklam.txt", u"", false, false, u"/reklam.txt"},
      {u"http://h", u"http", u"", u"", u"h", u"", u"/", u"", u"", false, false, u"/"},
      {u"http://h/", u"http", u"", u"", u"h", u"", u"/", u"", u"", false, false, u"/"},
      {u"http://h:8080/a/b/c.txt?x=1&y=2", u"http", u"", u"", u"h", u"8080", u"/a/b/", u"c.txt", u"x=1&y=2", true, false, u"/a/b/c.txt?x=1&y=2"},
      {u"http:\\\\h\\dir\\file", u"http", u"", u"", u"h", u"", u"/dir/", u"file", u"", false, false, u"/dir/file"},
      {u"http://user:secret@h:81/x", u"http", u"user", u"secret", u"h", u"81", u"/", u"x", u"", false, false, u"/x"},
      {u"http://h:b:81/x", u"http", u"", u"", u"h:b", u"81", u"/", u"x", u"", false, false, u"/x"},
      {u"http://a@b@h/x", u"http", u"a@b", u"", u"h", u"", u"/", u"x", u"", false, false, u"/x"},
      {u"http://[::1]:8080/x", u"http", u"", u"", u"::1", u"8080", u"/", u"x", u"", false, true, u"/x"},
      {u"http://[]/x", u"http", u"", u"", u"", u"", u"/", u"x", u"", false, true, u"/x"},
      {u"http://[fe80::1]/x", u"http", u"", u"", u"fe80::1", u"", u"/", u"x", u"", false, true, u"/x"},
      {u"http://h/doc#part", u"http", u"", u"", u"h", u"", u"/", u"doc", u"", false, false, u"/doc"},
      {u"http://h/a#b/c", u"http", u"", u"", u"h", u"", u"/a#b/", u"c", u"", false, false, u"/a#b/c"},
      {u"http://h?q/r", u"http", u"", u"", u"h", u"", u"/", u"", u"q/r", true, false, u"/?q/r"},
      {u"http://h/a?b?c#d", u"http", u"", u"", u"h", u"", u"/", u"a", u"b?c#d", true, false, u"/a?b?c#d"},
      {u"http://h/a?", u"http", u"", u"", u"h", u"", u"/", u"a", u"", true, false, u"/a?"},
      {u"http://h/a b%20", u"http", u"", u"", u"h", u"", u"/", u"a b%20", u"", false, false, u"/a b%20"},
      {u"h:80/x", u"", u"", u"", u"h", u"80", u"/", u"x", u"", false, false, u"/x"},
      {u"FTP://h/", u"FTP", u"", u"", u"h", u"", u"/", u"", u"", false, false, u"/"},
      {u"", u"", u"", u"", u"", u"", u"/", u"", u"", false, false, u"/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.url));
    const TUrl u = ParseUrl(c.url);
    EXPECT_EQ(U8(u.Protocol), U8(c.protocol));
    EXPECT_EQ(U8(u.UserName), U8(c.user));
    EXPECT_EQ(U8(u.Password), U8(c.password));
    EXPECT_EQ(U8(u.Host), U8(c.host));
    EXPECT_EQ(U8(u.Port), U8(c.port));
    EXPECT_EQ(U8(u.Path), U8(c.path));
    EXPECT_EQ(U8(u.Document), U8(c.document));
    EXPECT_EQ(U8(u.Query), U8(c.query));
    EXPECT_EQ(u.HasQuery, c.hasQuery);
    EXPECT_EQ(u.IPv6, c.ipv6);
    EXPECT_EQ(U8(RequestTarget(u)), U8(c.target));
  }
}

TEST(HttpUrl, Port) {
  struct Case {
    std::u16string url;
    int port;  // -1: fails
    std::u16string message;
  };
  const Case cases[] = {
      {u"http://h/", 80, {}},
      {u"HtTp://h/", 80, {}},
      {u"https://h/", 443, {}},
      {u"HTTPS://h/", 443, {}},
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
      EXPECT_EQ(UrlPort(ParseUrl(c.url)), c.port);
      EXPECT_NE(c.port, -1);
    } catch (const EHttpError& e) {
      EXPECT_EQ(c.port, -1);
      EXPECT_EQ(U8(e.Message()), U8(c.message));
    }
  }
}

}  // namespace
