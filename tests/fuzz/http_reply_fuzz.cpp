// Fuzz target of the HTTP reply reader. The first byte picks the piece size and whether the
// server closes at the end; the rest is the reply. Feeding it whole and in pieces must agree.
#include <cstdlib>

#include "tests/banner/reply_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool closes = (data[0] & 1) != 0;
  const std::size_t piece = (data[0] >> 1) + 1;
  const std::string_view reply(reinterpret_cast<const char*>(data + 1), size - 1);
  const ReplyOutcome whole = FeedReply(reply, reply.size() + 1, closes);
  const ReplyOutcome pieces = FeedReply(reply, piece, closes);
  if (!(whole == pieces)) std::abort();
  if (whole.errorBody.size() > MaxErrorBodyLength || whole.consumed > reply.size()) std::abort();
  return 0;
}
