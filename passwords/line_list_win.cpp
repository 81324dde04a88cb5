// The string list and its text file over the system's code-page conversions.
#include <windows.h>

#include "passwords/line_list_win.h"

#include <algorithm>
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

// Converts text to the active ANSI code page, with the system's best-fit and default characters
// for what the code page lacks, and writes it to a stream a piece at a time through one buffer,
// so the file's bytes are never all in memory at once. A surrogate pair is never cut in two.
class AnsiWriter {
public:
  static constexpr std::size_t kPieceChars = 256 * 1024;

  explicit AnsiWriter(TStream& stream) : stream_(stream) {}
  AnsiWriter(const AnsiWriter&) = delete;
  AnsiWriter& operator=(const AnsiWriter&) = delete;
  ~AnsiWriter() { SecureWipe(bytes_.get(), used_); }

  void Write(std::wstring_view text) {
    while (!text.empty()) {
      std::size_t n = text.size() < kPieceChars ? text.size() : kPieceChars;
      if (n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
      if (!bytes_) bytes_.reset(new char[kPieceBytes]);
      const int done = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(n), bytes_.get(),
                                             static_cast<int>(kPieceBytes), nullptr, nullptr);
      if (done <= 0) throw EWriteError();
      used_ = std::max(used_, static_cast<std::size_t>(done));
      stream_.WriteBuffer(bytes_.get(), static_cast<std::size_t>(done));
      text.remove_prefix(n);
    }
  }

private:
  // A code unit takes three bytes at most, in UTF-8 as the ANSI code page.
  static constexpr std::size_t kPieceBytes = 3 * kPieceChars;

  TStream& stream_;
  std::unique_ptr<char[]> bytes_;
  std::size_t used_ = 0;
};

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

void TLineList::Join() {
  std::size_t total = 0;
  for (std::size_t i = 0; i < starts_.size(); ++i) total += (*this)[i].size() + 2;
  if (total > UINT32_MAX) throw std::bad_alloc();
  Text joined;
  joined.Reserve(total);
  std::uint32_t end = 0;
  for (std::size_t i = 0; i < starts_.size(); ++i) {
    // Read before its start is moved: a line's length comes from the next line's old start, the
    // last one's from the old end.
    const std::wstring_view line = (*this)[i];
    starts_[i] = static_cast<std::uint32_t>(joined.Size());
    joined.Append(line.data(), line.size());
    end = static_cast<std::uint32_t>(joined.Size());
    joined.Append(kSeparator, 2);
  }
  text_ = std::move(joined);
  end_ = end;
  joined_ = true;
}

std::size_t TLineList::Add(std::wstring_view line) {
  // A read list keeps its file's separators (CR, LF or none after the last line) and perhaps
  // text the read ignored; once a line is added every line ends with CR LF, so that a CR or LF
  // inside an added line is never taken for a separator.
  if (!joined_) Join();
  const std::size_t start = text_.Size();
  if (start + line.size() + 2 > UINT32_MAX) throw std::bad_alloc();
  if (starts_.size() == starts_.capacity()) starts_.reserve(starts_.size() + starts_.size() / 2 + 16);
  text_.Append(line.data(), line.size());
  text_.Append(kSeparator, 2);
  starts_.push_back(static_cast<std::uint32_t>(start));
  end_ = static_cast<std::uint32_t>(start + line.size());
  return starts_.size() - 1;
}

std::uint32_t TLineList::SeparatorBefore(std::uint32_t start, std::uint32_t end) const noexcept {
  // Lines added end with CR LF; a line read holds no CR or LF, so what ends it is its separator.
  if (joined_) return 2;
  const wchar_t* const text = text_.Data();
  if (end == start) return 0;
  if (text[end - 1] == L'\r') return 1;
  if (text[end - 1] != L'\n') return 0;
  return end - 1 > start && text[end - 2] == L'\r' ? 2 : 1;
}

std::wstring_view TLineList::operator[](std::size_t index) const {
  if (index >= starts_.size()) throw EListError(index);
  const std::uint32_t start = starts_[index];
  if (index + 1 == starts_.size()) return {text_.Data() + start, end_ - start};
  const std::uint32_t next = starts_[index + 1];
  return {text_.Data() + start, next - start - SeparatorBefore(start, next)};
}

std::vector<std::wstring> TLineList::Lines() const {
  std::vector<std::wstring> copies;
  copies.reserve(starts_.size());
  for (std::size_t i = 0; i < starts_.size(); ++i) copies.emplace_back((*this)[i]);
  return copies;
}

void TLineList::Clear() noexcept {
  text_.Clear();
  starts_.clear();
  end_ = 0;
  joined_ = true;
}

void TLineList::Wipe() noexcept {
  text_.Wipe();
  Clear();
}

void TLineList::Reserve(std::size_t lines, std::size_t chars) {
  starts_.reserve(starts_.size() + lines);
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
  AnsiWriter writer(stream);
  // The ANSI code page has no preamble: the bytes are the whole file.
  if (joined_) {
    writer.Write(text_.View());
    return;
  }
  // Lines read from a file keep that file's separators: the text is built anew, a piece at a time.
  constexpr std::size_t kPiece = AnsiWriter::kPieceChars;
  std::unique_ptr<wchar_t[]> piece(new wchar_t[kPiece]);
  std::size_t size = 0, used = 0;
  const ScopeExit wipe([&piece, &used] { SecureWipe(piece.get(), used * sizeof(wchar_t)); });
  for (std::size_t i = 0; i < starts_.size(); ++i) {
    const std::wstring_view line = (*this)[i];
    if (size + line.size() + 2 > kPiece) {
      writer.Write({piece.get(), size});
      used = std::max(used, size);
      size = 0;
    }
    if (line.size() + 2 > kPiece) {
      writer.Write(line);
      writer.Write({kSeparator, 2});
      continue;
    }
    std::memcpy(piece.get() + size, line.data(), line.size() * sizeof(wchar_t));
    std::memcpy(piece.get() + size + line.size(), kSeparator, sizeof kSeparator);
    size += line.size() + 2;
  }
  used = std::max(used, size);
  writer.Write({piece.get(), size});
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
  std::vector<std::uint32_t> starts;
  starts.reserve(text.Size() / 8 + 16);
  std::size_t end = 0;
  const wchar_t* const base = text.Data();
  ForEachLine(text.View(), [&starts, &end, base](const wchar_t* first, std::size_t length) {
    starts.push_back(static_cast<std::uint32_t>(first - base));
    end = static_cast<std::size_t>(first - base) + length;
  });
  text_ = std::move(text);
  starts_.swap(starts);
  end_ = static_cast<std::uint32_t>(end);
  joined_ = false;
}
