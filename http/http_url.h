// The parts of an http:// address, as the HTTP client takes it apart.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct TUrl {
  std::u16string Protocol;  // the text before "://", as written
  std::u16string UserName;  // user information before "@"; never sent
  std::u16string Password;
  std::u16string Host;      // without the brackets of an IPv6 literal
  std::u16string Port;      // as written after the host's ":"; empty when none
  std::u16string Path;      // from the first "/" up to and including the last one
  std::u16string Document;  // the rest of the path, without a fragment
  std::u16string Query;     // after the first "?", without it
  bool HasQuery = false;
  bool IPv6 = false;        // the host was written in square brackets
};

// Takes a URL apart: backslashes become slashes, then scheme, query, host part (user
// information, port, bracketed IPv6 literal), path, document and fragment in that order.
// Never fails; whether the parts make sense is for the caller to decide.
TUrl ParseUrl(std::u16string_view url);

// The port to connect to: the one written in the URL, else 80 for "http" and 443 for "https".
// Throws EHttpError for a port that is not a number from 0 to 65535, and "Unknown Protocol"
// for another scheme without a port.
std::uint16_t UrlPort(const TUrl& url);

// Path + document, and "?" + query when the URL has one: the target of the request line.
std::u16string RequestTarget(const TUrl& url);
