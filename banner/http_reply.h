// Reading an HTTP/1.1 reply from the bytes the server sends: status line, headers, interim
// replies and the body, as a state machine that takes bytes in pieces of any size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Where the body of a reply goes: the sink of a success reply, appended at its current position.
class ByteSink {
public:
  virtual ~ByteSink() = default;
  virtual void Write(std::span<const std::uint8_t> bytes) = 0;
};

// Limits of the reply reader.
inline constexpr std::size_t MaxLineLength = 16384;       // bytes of one line before its line feed
inline constexpr std::size_t MaxHeaderLines = 255;        // lines of one header block
inline constexpr std::size_t MaxErrorBodyLength = 65536;  // bytes of an error reply's body kept
// Bytes of a success reply's body passed to the sink. The banner list is a short text file; its
// cache lies in the roaming profile, which may be copied to a server at every logon, and is
// loaded whole on the GUI thread. A body beyond it fails the reply once this many bytes are in
// the sink, so a server sending without end fills no disk and keeps no worker busy.
inline constexpr std::size_t MaxBodyLength = 1048576;

// Reads one reply. Body bytes of a success reply go to the sink as they come, in pieces of
// the bytes fed, MaxBodyLength bytes at most; nothing else is written there. Memory stays
// bounded by the limits above, whatever the server sends.
class THttpReplyReader {
public:
  enum class Progress {
    Incomplete,   // more bytes, or the server's close, are needed
    WaitForBody,  // a reply that may have no body: feed bytes that come soon, else NoBodyArrived
    Done,         // the reply has ended; later bytes are not part of it
  };

  explicit THttpReplyReader(ByteSink& sink) : sink_(sink) {}
  THttpReplyReader(const THttpReplyReader&) = delete;
  THttpReplyReader& operator=(const THttpReplyReader&) = delete;

  // Takes the next bytes from the server and returns how many belong to the reply: all of them
  // unless it ended before their end. Throws EHttpError for a line longer than MaxLineLength, a
  // header block of more than MaxHeaderLines lines or a success body longer than MaxBodyLength
  // (its first MaxBodyLength bytes are in the sink then); errors of the sink pass through.
  std::size_t Feed(std::span<const std::uint8_t> bytes);
  // The server has closed the connection. Throws EConnectionClosed when that leaves the status
  // line missing (a status line without its line feed is not there), or the body of a success
  // reply broken off; the bytes written stay in the sink.
  void Close();
  // After WaitForBody: no bytes came in time, so the reply has no body.
  void NoBodyArrived();

  Progress State() const noexcept;

  // The final reply, once Done.
  bool Success() const noexcept { return success_; }
  int StatusCode() const noexcept { return code_; }
  // The status line as received, each byte taken as ASCII.
  std::u16string StatusLine() const;
  // The kept start of an error reply's body, decoded with the charset of its Content-Type.
  std::u16string ErrorBody() const;
  // The Connection or Proxy-Connection header asks to close the connection.
  bool ConnectionClose() const noexcept;

private:
  enum class Step {
    StatusLine, Headers, BodyProbe, ChunkSize, ChunkData, ChunkEnd, ChunkTrailer, Length, UntilClose, Done, Failed,
  };
  enum class Destination { Sink, Side, Discard };
  // The headers the reader acts on; no other header is kept.
  enum Header { Location, ContentLength, TransferEncoding, ContentType, Connection, ProxyConnection, HeaderCount };

  bool InLine() const noexcept;
  std::size_t FeedLine(std::span<const std::uint8_t> bytes);
  void OnLine();
  void OnStatusLine();
  void OnHeaderLine();
  void OnHeadersEnd();
  void StartBody();
  void OnChunkSizeLine();
  void Store(std::span<const std::uint8_t> bytes);
  void BrokenBody();
  [[noreturn]] void Fail(std::u16string message);

  static int FindHeader(std::string_view name);

  ByteSink& sink_;
  Step step_ = Step::StatusLine;
  std::string line_;
  std::string statusLine_;
  int code_ = -1;
  std::size_t headerLines_ = 0;
  std::optional<std::string> headers_[HeaderCount];
  std::optional<std::string>* lastHeader_ = nullptr;  // the kept header a continuation line extends
  Destination destination_ = Destination::Sink;
  bool success_ = false;
  std::uint64_t remaining_ = 0;
  std::size_t stored_ = 0;  // bytes passed to the sink
  std::string side_;
};
