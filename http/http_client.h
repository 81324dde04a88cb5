// The HTTP client of the banner download: one GET per client object, the reply body into a sink,
// over a small transport interface so that the exchange runs the same on sockets and in tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "http/http_errors.h"
#include "http/http_reply.h"
#include "http/http_request.h"

// A blocking TCP connection. Every call that fails throws ESocketError with the system's number.
class TTransport {
public:
  virtual ~TTransport() = default;
  // The first IPv4 address the system resolver gives for a stream connection to name, as dotted text.
  virtual std::string Resolve(const std::string& name) = 0;
  // Connects to a numeric address; blocks until the connection stands or the system gives up.
  virtual void Connect(const std::string& address, std::uint16_t port, TIPVersion version) = 0;
  // Sends all the bytes.
  virtual void Send(std::span<const std::uint8_t> bytes) = 0;
  // Waits without limit for bytes and returns how many it stored in buffer; 0 when the server
  // has closed the connection.
  virtual std::size_t Receive(std::span<std::uint8_t> buffer) = 0;
  // True when bytes or the server's close arrive within the time.
  virtual bool WaitReadable(int milliseconds) = 0;
  // Ends the sending side; failures are ignored.
  virtual void ShutdownSend() noexcept = 0;
  // Closes the connection, if one is open.
  virtual void Close() noexcept = 0;
};

// Bytes taken from the socket per read.
inline constexpr std::size_t RecvBufferSize = 32768;
// How long a reply that may lack a body waits for its first body bytes.
inline constexpr int kBodyProbeMilliseconds = 100;

class THttpClient {
public:
  explicit THttpClient(TTransport& transport) : transport_(transport) {}
  THttpClient(const THttpClient&) = delete;
  THttpClient& operator=(const THttpClient&) = delete;
  // Closes a connection that Get left open.
  ~THttpClient();

  // Fetches URL with one GET, the request HttpRequestFor makes of it, and writes the body of a
  // success reply (200-299) to Sink, byte for byte as received. Every other outcome throws: EHttpError ("HTTPS is not supported",
  // "Unknown Protocol", "Max line length exceeded.", ...; "Max body length exceeded." as soon
  // as the body goes beyond MaxBodyLength, with Sink cut back to the whole lines of its first
  // MaxBodyLength bytes; "Max reply length exceeded." once the reply goes beyond
  // kMaxReplyLength, with the body's bytes so far in Sink), ESocketError, EConnectionClosed (also
  // for a body that broke off; the bytes written so far stay in Sink), or EHttpProtocolError for
  // an error reply, of which nothing reaches Sink. A reply that fails or ends early is read no
  // further: what the server sends after it stays unread. No time limit: a server that sends
  // nothing keeps the call waiting. Call it once per client object.
  void Get(std::u16string_view URL, TByteSink& Sink);

private:
  void Connect(const THttpRequest& request);
  void ReadReply(THttpReplyReader& reader);
  void Disconnect() noexcept;

  TTransport& transport_;
  bool used_ = false;
  bool open_ = false;  // a connection is open
  bool up_ = false;    // ... and its last send or receive succeeded and the server has not closed it
};
