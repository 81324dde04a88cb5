// The request of a download, made once from its address: where to connect and the bytes of the
// request head.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The parts of an http:// address that the request is made of.
struct TUrl {
  std::u16string protocol;  // the text before "://", its ASCII letters in lower case
  std::u16string host;      // without the user information and the brackets of an IPv6 literal
  std::u16string port;      // as written after the host's ":"; empty when none
  std::u16string target;    // the path without a fragment, then "?" and the query when there is one
  bool ipv6 = false;        // the host was written in square brackets
};

// Takes a URL apart: backslashes become slashes, then scheme, query, host part (user
// information, never sent; port; bracketed IPv6 literal), path and fragment in that order. A
// "#" starts the fragment only after the path's last slash and before any "?". Never fails;
// whether the parts make sense is for the request to decide.
TUrl ParseUrl(std::u16string_view url);

enum class TIPVersion { IPv4, IPv6 };

// A request ready to go: a GET of the address's target from its host.
struct THttpRequest {
  std::string host;  // the URL's host, each character outside printable ASCII as "?"
  std::uint16_t port = 80;
  TIPVersion ip_version = TIPVersion::IPv4;  // IPv6 for a host written in square brackets
  // Where to connect: an address as it is (an IPv6 literal, a dotted IPv4 address, 127.0.0.1 for
  // "localhost" in any case), or, with resolve, a name the system's resolver turns into one.
  std::string address;
  bool resolve = false;
  // Byte for byte: request line, Host, Accept, Accept-Encoding, User-Agent and the empty line,
  // each ending in CR LF. Characters outside printable ASCII become "?", so the URL can never
  // break a line.
  std::string head;
};

// The request for a URL. Throws EHttpError: "HTTPS is not supported", "Unknown Protocol" for a
// scheme other than "http" without a port, and "Invalid port number: " + the port as written
// for a port that is not a number from 0 to 65535. Any other scheme with a port is asked as
// http.
THttpRequest HttpRequestFor(std::u16string_view url);
