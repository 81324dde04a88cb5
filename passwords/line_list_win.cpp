// The string list and its text file over the system's code-page conversions.
#include <windows.h>

#include "passwords/line_list_win.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <string_view>
#include <utility>

#include "passwords/line_text.h"
#include "toolkit/scope_exit.h"
#include "toolkit/secure_wipe.h"
#include "toolkit/text.h"

namespace {

using Text = TLineList::Text;

constexpr wchar_t kSeparator[] = {L'\r', L'\n'};

// bytes converted from codePage. In the code pages Windows offers as the ANSI one and in UTF-8
// every byte gives at most one UTF-16 unit, so one call into a buffer of one unit per byte does;
// the measured size is the fallback. A refused conversion (invalid UTF-8 under
// MB_ERR_INVALID_CHARS) gives an empty text. bytes holds less than 2 GiB.
Text Widen(UINT codePage, DWORD flags, std::span<const std::uint8_t> bytes) {
  Text text;
  if (bytes.empty()) return text;
  const auto* in = reinterpret_cast<const char*>(bytes.data());
  const int n = static_cast<int>(bytes.size());
  text.Reserve(bytes.size());
  int done = ::MultiByteToWideChar(codePage, flags, in, n, text.Data(), n);
  if (done == 0 && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    const int needed = ::MultiByteToWideChar(codePage, flags, in, n, nullptr, 0);
    if (needed > 0) {
      text.Reserve(static_cast<std::size_t>(needed));
      done = ::MultiByteToWideChar(codePage, flags, in, n, text.Data(), needed);
    }
  }
  text.SetSize(done > 0 ? static_cast<std::size_t>(done) : 0);
  return text;
}

Text Decode(std::span<const std::uint8_t> bytes) {
  const LineTextMark mark = DetectLineTextMark(bytes);
  const auto body = bytes.subspan(mark.size);
  switch (mark.encoding) {
    case LineTextEncoding::Utf16LittleEndian:
    case LineTextEncoding::Utf16BigEndian: {
      Text text;
      text.Reserve(Utf16UnitCount(body.size()));
      text.SetSize(DecodeUtf16(body, mark.encoding == LineTextEncoding::Utf16BigEndian, text.Data()));
      return text;
    }
    case LineTextEncoding::Utf8:
      return Widen(CP_UTF8, MB_ERR_INVALID_CHARS, body);
    case LineTextEncoding::Ansi:
      break;
  }
  return Widen(CP_ACP, 0, body);
}

// Calls piece(text) for consecutive parts of text small enough that their ANSI form, at up to
// three bytes per unit, still has a length that fits an int; a surrogate pair is never cut.
// A text of fewer than INT_MAX / 4 units is one piece.
template <class PieceFn>
void ForEachPiece(std::wstring_view text, PieceFn&& piece) {
  constexpr std::size_t kMaxPiece = INT_MAX / 4;
  while (!text.empty()) {
    std::size_t n = text.size() < kMaxPiece ? text.size() : kMaxPiece;
    if (n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
    piece(text.substr(0, n));
    text.remove_prefix(n);
  }
}

// text in the active ANSI code page, with the system's best-fit and default characters for what
// the code page lacks.
std::string Narrow(std::wstring_view text) {
  std::size_t total = 0;
  ForEachPiece(text, [&total](std::wstring_view piece) {
    const int n =
        ::WideCharToMultiByte(CP_ACP, 0, piece.data(), static_cast<int>(piece.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) throw EWriteError();
    total += static_cast<std::size_t>(n);
  });
  std::string bytes(total, '\0');
  std::size_t done = 0;
  ForEachPiece(text, [&bytes, &done](std::wstring_view piece) {
    const int room = static_cast<int>(bytes.size() - done < INT_MAX ? bytes.size() - done : INT_MAX);
    const int n = ::WideCharToMultiByte(CP_ACP, 0, piece.data(), static_cast<int>(piece.size()), bytes.data() + done,
                                        room, nullptr, nullptr);
    if (n <= 0) throw EWriteError();
    done += static_cast<std::size_t>(n);
  });
  bytes.resize(done);
  return bytes;
}

}  // namespace

EListError::EListError(std::size_t index)
    : Exception(u"List index out of bounds (" + DecimalText(static_cast<long long>(index)) + u")") {}

TLineList::Text::Text(Text&& other) noexcept
    : data_(std::move(other.data_)), size_(std::exchange(other.size_, 0)), capacity_(std::exchange(other.capacity_, 0)) {}

TLineList::Text& TLineList::Text::operator=(Text&& other) noexcept {
  if (this != &other) {
    Wipe();
    data_ = std::move(other.data_);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

void TLineList::Text::Reserve(std::size_t capacity) {
  if (capacity <= capacity_) return;
  std::unique_ptr<wchar_t[]> bigger(new wchar_t[capacity]);
  if (size_ > 0) std::memcpy(bigger.get(), data_.get(), size_ * sizeof(wchar_t));
  SecureWipe(data_.get(), size_ * sizeof(wchar_t));
  data_ = std::move(bigger);
  capacity_ = capacity;
}

void TLineList::Text::Append(const wchar_t* chars, std::size_t count) {
  if (count > capacity_ - size_) Reserve(std::max(size_ + count, capacity_ + capacity_ / 2 + 64));
  if (count > 0) std::memcpy(data_.get() + size_, chars, count * sizeof(wchar_t));
  size_ += count;
}

void TLineList::Text::Wipe() noexcept {
  SecureWipe(data_.get(), capacity_ * sizeof(wchar_t));
  size_ = 0;
}

std::size_t TLineList::Add(std::wstring_view line) {
  const std::size_t start = text_.Size();
  if (start + line.size() + 2 > UINT32_MAX) throw std::bad_alloc();
  if (lines_.size() == lines_.capacity()) lines_.reserve(lines_.size() + lines_.size() / 2 + 16);
  text_.Append(line.data(), line.size());
  text_.Append(kSeparator, 2);
  lines_.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(line.size())});
  return lines_.size() - 1;
}

std::wstring_view TLineList::operator[](std::size_t index) const {
  if (index >= lines_.size()) throw EListError(index);
  return {text_.Data() + lines_[index].start, lines_[index].length};
}

std::vector<std::wstring> TLineList::Lines() const {
  std::vector<std::wstring> copies;
  copies.reserve(lines_.size());
  for (const Line& line : lines_) copies.emplace_back(text_.Data() + line.start, line.length);
  return copies;
}

void TLineList::Clear() noexcept {
  text_.Clear();
  lines_.clear();
  joined_ = true;
}

void TLineList::Wipe() noexcept {
  text_.Wipe();
  Clear();
}

void TLineList::Reserve(std::size_t lines, std::size_t chars) {
  lines_.reserve(lines_.size() + lines);
  text_.Reserve(text_.Size() + chars + 2 * lines);
}

void TLineList::SaveToFile(const std::wstring& fileName) const {
  TFileStream stream(fileName, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  SaveToStream(stream);
}

void TLineList::LoadFromFile(const std::wstring& fileName) {
  TFileStream stream(fileName, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  if (stream.Size() > kMaxLineListBytes) throw EFOpenError(stream.FullName(), kLineListTooLargeReason);
  LoadFromStream(stream);
}

void TLineList::SaveToStream(TStream& stream) const {
  std::string bytes;
  const ScopeExit wipe([&bytes] { SecureWipe(bytes); });
  if (joined_) {
    bytes = Narrow(std::wstring_view(text_.Data(), text_.Size()));
  } else {
    // Lines read from a file keep that file's separators: the text is built anew.
    bytes = Narrow(JoinLines<wchar_t>(lines_.size(), [this](std::size_t i) { return (*this)[i]; }));
  }
  // The ANSI code page has no preamble: the bytes are the whole file.
  stream.WriteBuffer(bytes.data(), bytes.size());
}

void TLineList::LoadFromStream(TStream& stream) {
  const std::int64_t position = stream.Position();
  const std::int64_t size = stream.Size();
  if (position < 0 || size < 0) throw EReadError();
  const std::int64_t rest = size > position ? size - position : 0;
  if (rest > kMaxLineListBytes) throw EReadError(kLineListStreamTooLargeMessage);

  Text text;
  {
    const auto count = static_cast<std::size_t>(rest);
    const std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[count]);
    stream.ReadBuffer(bytes.get(), count);
    text = Decode(std::span<const std::uint8_t>(bytes.get(), count));
  }
  // Fewer than 2 Gi bytes decode to fewer than 2 Gi characters: every offset fits.
  // One pass: a first guess of the line count beats counting them first.
  std::vector<Line> lines;
  lines.reserve(text.Size() / 8 + 16);
  const wchar_t* const base = text.Data();
  ForEachLine(text.View(), [&lines, base](const wchar_t* first, std::size_t length) {
    lines.push_back({static_cast<std::uint32_t>(first - base), static_cast<std::uint32_t>(length)});
  });
  text_ = std::move(text);
  lines_.swap(lines);
  joined_ = false;
}
