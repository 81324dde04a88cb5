// Feeds a scripted server reply to the reply reader in pieces and records what came of it, so
// tests and the fuzzer can compare feeding in different pieces.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "http/http_errors.h"
#include "http/http_reply.h"

struct StringSink final : TByteSink {
  std::string bytes;
  void Write(std::span<const std::uint8_t> b) override { bytes.append(reinterpret_cast<const char*>(b.data()), b.size()); }
  void Truncate(std::uint64_t size) override { bytes.resize(std::min<std::uint64_t>(size, bytes.size())); }
};

struct ReplyOutcome {
  std::u16string error;  // the message of the failure; empty when the reply ended normally
  bool done = false;     // the reader reached the reply's end (or failed)
  bool success = false;
  int code = 0;
  std::u16string statusLine;
  std::u16string errorBody;
  bool connectionClose = false;
  std::string sink;
  std::size_t consumed = 0;  // bytes the reader took as part of a reply that ended

  bool operator==(const ReplyOutcome&) const = default;
};

// Feeds reply in pieces of at most piece bytes. A reader that waits for a body sees bytes that
// are still to come as arriving in time. closes: the server closes the connection after the
// last byte; else it keeps it open and silent.
inline ReplyOutcome FeedReply(std::string_view reply, std::size_t piece, bool closes) {
  ReplyOutcome out;
  StringSink sink;
  THttpReplyReader reader(sink);
  try {
    std::size_t pos = 0;
    while (reader.State() != THttpReplyReader::TProgress::Done) {
      if (pos < reply.size()) {
        const std::size_t n = std::min(piece, reply.size() - pos);
        const auto* data = reinterpret_cast<const std::uint8_t*>(reply.data() + pos);
        out.consumed += reader.Feed(std::span<const std::uint8_t>(data, n));
        pos += n;
      } else if (closes) {
        reader.Close();
      } else if (reader.State() == THttpReplyReader::TProgress::WaitForBody) {
        reader.NoBodyArrived();
      } else {
        break;  // the server waits, and so does the reader
      }
    }
  } catch (const Exception& e) {
    out.error = e.Message();
    out.consumed = 0;  // a failing call reports nothing of what it took
  }
  out.done = reader.State() == THttpReplyReader::TProgress::Done;
  out.sink = sink.bytes;
  if (out.done && out.error.empty()) {
    out.success = reader.Success();
    out.code = reader.StatusCode();
    out.statusLine = reader.StatusLine();
    out.errorBody = reader.ErrorBody();
    out.connectionClose = reader.ConnectionClose();
  }
  return out;
}
