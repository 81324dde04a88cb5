// Reading an HTTP/1.1 reply from the bytes the server sends: status line, headers, interim
// replies and the body, as a state machine that takes bytes in pieces of any size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "http/line_end.h"

// Where the body of a reply goes: the sink of a success reply, appended at its current position.
class TByteSink {
public:
  virtual ~TByteSink() = default;
  virtual void Write(std::span<const std::uint8_t> bytes) = 0;
  // Drops every byte written after the first size ones; the next write would follow them.
  virtual void Truncate(std::uint64_t size) = 0;
};

// Limits of the reply reader.
inline constexpr std::size_t MaxLineLength = 16384;  // bytes of one line before its line feed
// Lines of the head: the header lines of the final reply, and every line of the interim replies
// before it, their status lines included.
inline constexpr std::size_t MaxHeaderLines = 255;
inline constexpr std::size_t kMaxErrorBodyLength = 65536;  // bytes of an error reply's body kept
// Bytes of a success reply's body passed to the sink. The banner list is a short text file; its
// cache lies in the roaming profile, which may be copied to a server at every logon, and is
// loaded whole on the GUI thread. A body beyond it fails the reply once this many bytes are in
// the sink, so a server sending without end fills no disk and keeps no worker busy.
inline constexpr std::size_t MaxBodyLength = 1048576;
// Bytes taken from the server for the whole reply: every status line, header line and interim
// reply, the chunk-size lines and the lines after chunks, the trailer and the body. It holds the
// longest head the limits above let through (a status line and MaxHeaderLines lines of
// MaxLineLength bytes with their line feeds, and the empty lines) beside a whole body, whose
// framing from any real server is small. Past it the reply fails: framing sent without end
// (chunks of one byte, each followed by a long line) would otherwise keep the download pulling
// data over the user's line for as long as the program runs.
inline constexpr std::size_t kMaxReplyLength = MaxBodyLength + (MaxHeaderLines + 2) * (MaxLineLength + 1);

// Reads one reply. Body bytes of a success reply go to the sink as they come, in pieces of
// the bytes fed, MaxBodyLength bytes at most; nothing else is written there. Memory stays
// bounded by the limits above, whatever the server sends, and so do the bytes taken: only a
// success body is read to its end; an error reply ends once its kept body is full, and a 204 or
// 304 reply ends with its head.
class THttpReplyReader {
public:
  enum class TProgress {
    Incomplete,   // more bytes, or the server's close, are needed
    WaitForBody,  // a reply that may have no body: feed bytes that come soon, else NoBodyArrived
    Done,         // the reply has ended; later bytes are not part of it
  };

  explicit THttpReplyReader(TByteSink& sink) : sink_(sink) {}
  THttpReplyReader(const THttpReplyReader&) = delete;
  THttpReplyReader& operator=(const THttpReplyReader&) = delete;

  // Takes the next bytes from the server and returns how many belong to the reply: all of them
  // unless it ended before their end. Throws EHttpError for a line longer than MaxLineLength, a
  // head of more than MaxHeaderLines lines, a success body longer than MaxBodyLength or a reply
  // longer than kMaxReplyLength. A body beyond MaxBodyLength is cut where its last whole line
  // ends in its first MaxBodyLength bytes (TLastLineEnd): the sink keeps the bytes up to there,
  // none when no line has ended. A reply beyond kMaxReplyLength fails as one broken off does: the
  // sink keeps the body's bytes written so far. Errors of the sink pass through.
  std::size_t Feed(std::span<const std::uint8_t> bytes);
  // The server has closed the connection. Throws EConnectionClosed when that leaves the status
  // line missing (a status line without its line feed is not there), or the body of a success
  // reply broken off; the bytes written stay in the sink.
  void Close();
  // After WaitForBody: no bytes came in time, so the reply has no body.
  void NoBodyArrived();

  TProgress State() const noexcept;

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
  enum class TStep {
    StatusLine, Headers, BodyProbe, ChunkSize, ChunkData, ChunkEnd, ChunkTrailer, Length, UntilClose, Done, Failed,
  };
  enum class TDestination { Sink, Side };
  // The headers the reader acts on; no other header is kept.
  enum THeader { Location, ContentLength, TransferEncoding, ContentType, Connection, ProxyConnection, HeaderCount };

  bool InLine() const noexcept;
  std::size_t FeedLine(std::span<const std::uint8_t> bytes);
  void OnLine();
  void OnStatusLine();
  void OnHeaderLine();
  void OnHeadersEnd();
  void StartBody();
  void OnChunkSizeLine();
  std::size_t Store(std::span<const std::uint8_t> bytes);
  [[noreturn]] void CutBody();
  void BrokenBody();
  [[noreturn]] void Fail(std::u16string message);

  static int FindHeader(std::string_view name);

  TByteSink& sink_;
  TStep step_ = TStep::StatusLine;
  std::string line_;
  std::string status_line_;
  int code_ = -1;
  std::size_t header_lines_ = 0;
  std::optional<std::string> headers_[HeaderCount];
  std::optional<std::string>* last_header_ = nullptr;  // the kept header a continuation line extends
  TDestination destination_ = TDestination::Sink;
  bool success_ = false;
  std::uint64_t remaining_ = 0;
  std::size_t stored_ = 0;  // bytes passed to the sink
  TLastLineEnd line_end_;    // ... and where the last line among them ends
  std::string side_;
  std::size_t taken_ = 0;  // bytes of the reply taken so far
};
