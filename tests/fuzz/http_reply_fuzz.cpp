// Fuzz target of the HTTP reply reader. The first byte picks the piece size and whether the
// server closes at the end; the rest is the reply. Feeding it whole and in pieces must agree.
// The same bytes, taken as a body, must give the same last line end whole and in pieces, and
// the one found by decoding its code units.
#include <cstdlib>

#include "http/line_end.h"
#include "passwords/line_text.h"
#include "tests/http/reply_harness.h"

namespace {

// The end of the last line feed of body, found in its decoded code units.
std::uint64_t LastLineEndOfUnits(std::span<const std::uint8_t> body) {
  const TLineTextMark mark = DetectLineTextMark(body);
  if (mark.encoding != TLineTextEncoding::Utf16LittleEndian && mark.encoding != TLineTextEncoding::Utf16BigEndian) {
    for (std::size_t i = body.size(); i > 0; --i) {
      if (body[i - 1] == 0x0A) return i;
    }
    return 0;
  }
  std::u16string units(Utf16UnitCount(body.size() - 2), u'\0');
  DecodeUtf16(body.subspan(2), mark.encoding == TLineTextEncoding::Utf16BigEndian, units.data());
  const auto lf = units.rfind(u'\n');
  return lf == std::u16string::npos ? 0 : 2 + 2 * (lf + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool closes = (data[0] & 1) != 0;
  const std::size_t piece = (data[0] >> 1) + 1;
  const std::string_view reply(reinterpret_cast<const char*>(data + 1), size - 1);
  const ReplyOutcome whole = FeedReply(reply, reply.size() + 1, closes);
  const ReplyOutcome pieces = FeedReply(reply, piece, closes);
  if (!(whole == pieces)) std::abort();
  if (whole.errorBody.size() > kMaxErrorBodyLength || whole.consumed > reply.size()) std::abort();
  if (whole.sink.size() > MaxBodyLength || whole.consumed > kMaxReplyLength) std::abort();

  const std::span<const std::uint8_t> body(data + 1, size - 1);
  TLastLineEnd all, inPieces;
  all.Add(body);
  for (std::size_t at = 0; at < body.size(); at += piece) inPieces.Add(body.subspan(at, std::min(piece, body.size() - at)));
  if (all.Kept() != inPieces.Kept() || all.Kept() != LastLineEndOfUnits(body)) std::abort();
  return 0;
}
