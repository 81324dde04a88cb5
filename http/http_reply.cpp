// The reply reader's steps, the header rules and the limits as bytes come in.
#include "http/http_reply.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "http/ascii_case.h"
#include "http/http_errors.h"
#include "toolkit/text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A status code: one to nine decimal digits, else -1.
int ParseStatusCode(std::string_view field) {
  if (field.empty() || field.size() > 9) return -1;
  int code = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return -1;
    code = code * 10 + (c - '0');
  }
  return code;
}

// A Content-Length value: a whole number of 0 or more that fits 63 bits.
std::optional<std::uint64_t> ParseLength(std::string_view text) {
  if (text.empty()) return std::nullopt;
  constexpr std::uint64_t kMax = std::numeric_limits<std::int64_t>::max();
  std::uint64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const unsigned digit = static_cast<unsigned>(c - '0');
    if (n > (kMax - digit) / 10) return std::nullopt;
    n = n * 10 + digit;
  }
  return n;
}

// A chunk size: a hexadecimal number of at most 64 bits, read as signed, so that sizes with the
// top bit set count as negative. A text that is not such a number counts as 0.
std::int64_t ParseChunkSize(std::string_view text) {
  while (text.size() > 1 && text.front() == '0') text.remove_prefix(1);
  if (text.empty() || text.size() > 16) return 0;
  std::uint64_t n = 0;
  for (char c : text) {
    const char l = LowerAscii(c);
    const int digit = l >= '0' && l <= '9' ? l - '0' : l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
    if (digit < 0) return 0;
    n = n << 4 | static_cast<unsigned>(digit);
  }
  return static_cast<std::int64_t>(n);
}

std::u16string AsciiText(std::string_view bytes) {
  std::u16string out(bytes.size(), u'?');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) out[i] = b;
  }
  return out;
}

// The charset parameter of a Content-Type value, in lower case, without quotes.
std::string Charset(std::string_view content_type) {
  const std::string lower = Lower(content_type);
  const auto p = lower.find("charset=");
  if (p == std::string::npos) return {};
  std::string_view value = std::string_view(lower).substr(p + 8);
  value = Trim(value.substr(0, value.find(';')));
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  return std::string(value);
}

}  // namespace

THttpReplyReader::TProgress THttpReplyReader::State() const noexcept {
  switch (step_) {
    case TStep::BodyProbe: return TProgress::WaitForBody;
    case TStep::Done:
    case TStep::Failed: return TProgress::Done;
    default: return TProgress::Incomplete;
  }
}

bool THttpReplyReader::InLine() const noexcept {
  return step_ == TStep::StatusLine || step_ == TStep::Headers || step_ == TStep::ChunkSize || step_ == TStep::ChunkEnd ||
         step_ == TStep::ChunkTrailer;
}

std::size_t THttpReplyReader::Feed(std::span<const std::uint8_t> bytes) {
  // Only the bytes the budget still allows are looked at.
  const auto allowed = bytes.first(std::min(bytes.size(), kMaxReplyLength - taken_));
  std::size_t used = 0;
  while (used < allowed.size() && step_ != TStep::Done && step_ != TStep::Failed) {
    const auto rest = allowed.subspan(used);
    switch (step_) {
      case TStep::BodyProbe:
        StartBody();  // body bytes have come
        break;
      case TStep::ChunkData:
      case TStep::Length: {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, rest.size()));
        const std::size_t stored = Store(rest.first(n));
        used += stored;
        remaining_ -= stored;
        if (step_ == TStep::Length && remaining_ == 0) step_ = TStep::Done;
        if (step_ == TStep::ChunkData && remaining_ == 0) step_ = TStep::ChunkEnd;
        break;
      }
      case TStep::UntilClose:
        used += Store(rest);
        break;
      default:
        used += FeedLine(rest);
        break;
    }
  }
  taken_ += used;
  if (used < bytes.size() && step_ != TStep::Done && step_ != TStep::Failed) Fail(u"Max reply length exceeded.");
  return used;
}

std::size_t THttpReplyReader::FeedLine(std::span<const std::uint8_t> bytes) {
  const auto* lf = static_cast<const std::uint8_t*>(std::memchr(bytes.data(), '\n', bytes.size()));
  const std::size_t take = lf ? static_cast<std::size_t>(lf - bytes.data()) : bytes.size();
  if (line_.size() + take > MaxLineLength) Fail(u"Max line length exceeded.");
  line_.append(reinterpret_cast<const char*>(bytes.data()), take);
  if (!lf) return take;
  OnLine();
  return take + 1;
}

void THttpReplyReader::OnLine() {
  if (!line_.empty() && line_.back() == '\r') line_.pop_back();
  switch (step_) {
    case TStep::StatusLine: OnStatusLine(); break;
    case TStep::Headers:
      if (line_.empty()) {
        OnHeadersEnd();
      } else {
        OnHeaderLine();
      }
      break;
    case TStep::ChunkSize: OnChunkSizeLine(); break;
    case TStep::ChunkEnd: step_ = TStep::ChunkSize; break;
    case TStep::ChunkTrailer: step_ = TStep::Done; break;
    default: break;
  }
  line_.clear();
}

void THttpReplyReader::OnStatusLine() {
  status_line_ = line_;
  // The second field, fields being separated by runs of blanks.
  std::string_view rest(status_line_);
  rest.remove_prefix(std::min(rest.find_first_of(" \t"), rest.size()));
  rest = Trim(rest);
  code_ = ParseStatusCode(rest.substr(0, rest.find_first_of(" \t")));
  for (auto& h : headers_) h.reset();
  last_header_ = nullptr;
  step_ = TStep::Headers;
}

int THttpReplyReader::FindHeader(std::string_view name) {
  static constexpr std::string_view kNames[HeaderCount] = {"Location",     "Content-Length", "Transfer-Encoding",
                                                           "Content-Type", "Connection",     "Proxy-Connection"};
  for (int i = 0; i < HeaderCount; ++i) {
    if (EqualsNoCase(name, kNames[i])) return i;
  }
  return -1;
}

void THttpReplyReader::OnHeaderLine() {
  if (++header_lines_ > MaxHeaderLines) Fail(u"Max header lines exceeded.");
  // Only the headers the reader acts on are kept, so a long header block costs no memory.
  if (IsBlank(line_.front())) {
    const std::string_view more = Trim(line_);
    if (!last_header_ || more.empty()) return;
    std::string& value = **last_header_;
    if (value.size() + 1 + more.size() > MaxLineLength) Fail(u"Max line length exceeded.");
    if (!value.empty()) value += ' ';
    value += more;
    return;
  }
  const std::string_view line(line_);
  const auto colon = line.find(':');
  // Without a colon the line is no header: it neither shadows a later one of the same name nor
  // ends the continuation of the one before.
  if (colon == std::string_view::npos) return;
  const int h = FindHeader(line.substr(0, colon));
  last_header_ = nullptr;
  if (h >= 0 && !headers_[h]) {  // the first occurrence counts
    headers_[h] = std::string(Trim(line.substr(colon + 1)));
    last_header_ = &headers_[h];
  }
}

void THttpReplyReader::OnHeadersEnd() {
  // Continue, Processing and Early Hints come before the final reply by their definitions. Their
  // lines count against the head's limit, so that interim replies without end end.
  if (code_ == 100 || code_ == 102 || code_ == 103) {
    if (++header_lines_ > MaxHeaderLines) Fail(u"Max header lines exceeded.");
    step_ = TStep::StatusLine;
    return;
  }
  const auto& location = headers_[Location];
  const bool redirect = (code_ >= 300 && code_ <= 399 && code_ != 304) || (code_ != 201 && location && !location->empty());
  if (redirect) {
    destination_ = TDestination::Side;
  } else if (code_ >= 200 && code_ <= 299 && code_ != 204) {
    destination_ = TDestination::Sink;
    success_ = true;
  } else if (code_ == 204 || code_ == 304) {
    // Neither has a body by its definition; bytes after the head are not read at all.
    success_ = code_ == 204;
    step_ = TStep::Done;
    return;
  } else {
    destination_ = TDestination::Side;
    if (code_ >= 101 && code_ <= 199) {  // a body, if any, comes soon
      step_ = TStep::BodyProbe;
      return;
    }
  }
  StartBody();
}

void THttpReplyReader::StartBody() {
  const auto& encoding = headers_[TransferEncoding];
  if (encoding && Lower(*encoding).find("chunked") != std::string::npos) {
    step_ = TStep::ChunkSize;
    return;
  }
  const auto& length = headers_[ContentLength];
  const auto n = length ? ParseLength(*length) : std::nullopt;
  if (!n) {
    step_ = TStep::UntilClose;
  } else if (*n > 0) {
    remaining_ = *n;
    step_ = TStep::Length;
  } else {
    step_ = TStep::Done;
  }
}

void THttpReplyReader::OnChunkSizeLine() {
  // The size stands before the first blank, or before a ";" that starts an extension.
  const std::string_view line(line_);
  const std::int64_t size = ParseChunkSize(line.substr(0, line.find_first_of(" ;")));
  if (size <= 0) {
    step_ = TStep::ChunkTrailer;
  } else {
    remaining_ = static_cast<std::uint64_t>(size);
    step_ = TStep::ChunkData;
  }
}

std::size_t THttpReplyReader::Store(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return 0;
  if (destination_ == TDestination::Side) {
    // Nobody reads an error body past what is kept of it: the reply ends when that is full.
    const std::size_t n = std::min(bytes.size(), kMaxErrorBodyLength - side_.size());
    side_.append(reinterpret_cast<const char*>(bytes.data()), n);
    if (side_.size() == kMaxErrorBodyLength) step_ = TStep::Done;
    return n;
  }
  const std::size_t n = std::min(bytes.size(), MaxBodyLength - stored_);
  if (n > 0) {
    sink_.Write(bytes.first(n));
    line_end_.Add(bytes.first(n));
  }
  stored_ += n;
  if (n < bytes.size()) CutBody();
  return n;
}

void THttpReplyReader::CutBody() {
  step_ = TStep::Failed;
  // The list keeps its whole lines, wherever the limit falls among them.
  const std::uint64_t kept = line_end_.Kept();
  if (kept < stored_) sink_.Truncate(kept);
  throw EHttpError(u"Max body length exceeded.");
}

void THttpReplyReader::Close() {
  // A last line without its line feed still counts, except a status line: without its line feed
  // no status line has come.
  if (step_ != TStep::StatusLine && InLine() && !line_.empty()) OnLine();
  while (step_ != TStep::Done && step_ != TStep::Failed) {
    switch (step_) {
      case TStep::StatusLine:
        step_ = TStep::Failed;
        throw EConnectionClosed();
      case TStep::Headers: OnHeadersEnd(); break;  // the close ends the header block
      case TStep::ChunkTrailer:
      case TStep::UntilClose:
      case TStep::BodyProbe: step_ = TStep::Done; break;
      default: BrokenBody(); break;
    }
  }
}

void THttpReplyReader::BrokenBody() {
  // An error reply stays an error reply; a success reply whose body broke off is a failure.
  if (destination_ == TDestination::Side) {
    step_ = TStep::Done;
    return;
  }
  step_ = TStep::Failed;
  throw EConnectionClosed();
}

void THttpReplyReader::NoBodyArrived() {
  if (step_ == TStep::BodyProbe) step_ = TStep::Done;
}

void THttpReplyReader::Fail(std::u16string message) {
  step_ = TStep::Failed;
  throw EHttpError(std::move(message));
}

std::u16string THttpReplyReader::StatusLine() const { return AsciiText(status_line_); }

std::u16string THttpReplyReader::ErrorBody() const {
  const std::string charset = Charset(headers_[ContentType].value_or(std::string()));
  if (charset == "utf-8" || charset == "utf8") return Utf16FromUtf8(side_);
  return Utf16FromLatin1(side_);
}

bool THttpReplyReader::ConnectionClose() const noexcept {
  const auto& connection = headers_[Connection];
  const auto& proxy = headers_[ProxyConnection];
  return (connection && EqualsNoCase(Trim(*connection), "close")) || (proxy && EqualsNoCase(Trim(*proxy), "close"));
}
