// Failures of the HTTP client: socket errors, a closed connection, limits and error replies.
#pragma once

#include <string>

#include "toolkit/exception.h"

// A socket call failed, or a name could not be resolved. The message is
// "Socket Error # " + number + CR LF + the text for the number.
class ESocketError : public Exception {
public:
  explicit ESocketError(int code);
};

// The server closed the connection before the reply or its body was complete.
class EConnectionClosed : public Exception {
public:
  EConnectionClosed() : Exception(u"Connection Closed Gracefully.") {}
};

// The client refused a URL or a reply: an unsupported scheme, a bad port, a line or a header
// block beyond its limits.
class EHttpError : public Exception {
public:
  using Exception::Exception;
};

// The server's final reply is not a success. The message is the status line as received.
class EHttpProtocolError : public Exception {
public:
  EHttpProtocolError(std::u16string status_line, int code, std::u16string body)
      : Exception(std::move(status_line)), code_(code), body_(std::move(body)) {}
  // The status code, -1 when the status line has none.
  int ErrorCode() const noexcept { return code_; }
  // The start of the reply body, decoded with the charset of its Content-Type.
  const std::u16string& ErrorBody() const noexcept { return body_; }

private:
  int code_;
  std::u16string body_;
};

// The text for a Winsock error number; empty for numbers without a text of their own.
std::u16string SocketErrorText(int code);
