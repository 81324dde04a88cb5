// The string list and its text file over the system's code-page conversions.
#include <windows.h>

#include "passwords/line_list_win.h"

#include <algorithm>
#include <bit>
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

using Text = TCharBuffer<wchar_t>;

// Text is converted and written this many characters at a time at most.
constexpr std::size_t kPieceChars = 256 * 1024;

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

// The characters that are the separator after every line a list writes.
constexpr std::wstring_view kCrLf = L"\r\n";

// The mark of a UTF-16 file, low byte first.
constexpr unsigned char kUtf16Mark[] = {0xFF, 0xFE};

// True when text has an exact form in the active ANSI code page: converting it changes no
// character, neither to a best-fit substitute nor to the default character, and in UTF-8 there
// is no unpaired surrogate. ASCII text is the same in every ANSI code page; the rest is asked of
// the system, at most a piece at a time. Where the system cannot tell, the answer is no.
bool HasExactAnsiForm(std::wstring_view text) {
  static_assert(kPieceChars >= 2, "a piece holds a surrogate pair");
  if (IsAscii(text)) return true;
  const bool utf8 = ::GetACP() == CP_UTF8;
  while (!text.empty()) {
    const std::size_t n = PieceLength(text, kPieceChars);
    BOOL used_default = FALSE;
    // UTF-8, named as itself, takes neither the best-fit flag nor the default-character question.
    const int bytes = ::WideCharToMultiByte(utf8 ? CP_UTF8 : CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS,
                                            text.data(), static_cast<int>(n), nullptr, 0, nullptr,
                                            utf8 ? nullptr : &used_default);
    if (bytes <= 0 || used_default) return false;
    text.remove_prefix(n);
  }
  return true;
}

// Converts text to the active ANSI code page and writes it to a stream a piece at a time through
// one buffer, so the file's bytes are never all in memory at once. A surrogate pair is never cut
// in two.
class AnsiWriter {
public:
  explicit AnsiWriter(TStream& stream) : stream_(stream) {}
  AnsiWriter(const AnsiWriter&) = delete;
  AnsiWriter& operator=(const AnsiWriter&) = delete;
  ~AnsiWriter() { SecureWipe(bytes_.get(), used_); }

  void Write(std::wstring_view text) {
    while (!text.empty()) {
      const std::size_t n = PieceLength(text, kPieceChars);
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

// Writes text as UTF-16 code units, low byte first: the list's own units, as they are.
void WriteUtf16(TStream& stream, std::wstring_view text) {
  static_assert(sizeof(wchar_t) == 2, "UTF-16 code units");
  static_assert(std::endian::native == std::endian::little, "the units are written as they lie in memory");
  while (!text.empty()) {
    const std::size_t n = PieceLength(text, kPieceChars);
    stream.WriteBuffer(text.data(), n * sizeof(wchar_t));
    text.remove_prefix(n);
  }
}

// Code units of Latin-1 bytes, a piece at a time, through one buffer that is cleared before it is
// freed.
class LatinWidener {
public:
  LatinWidener() = default;
  LatinWidener(const LatinWidener&) = delete;
  LatinWidener& operator=(const LatinWidener&) = delete;
  ~LatinWidener() { SecureWipe(units_.get(), used_ * sizeof(wchar_t)); }

  // The units, valid until the next call; bytes holds at most kPieceChars.
  std::wstring_view Widen(std::span<const std::uint8_t> bytes) {
    if (!units_) units_.reset(new wchar_t[kPieceChars]);
    TLineBlocks<wchar_t>::WidenLatin1(bytes, units_.get());
    used_ = std::max(used_, bytes.size());
    return {units_.get(), bytes.size()};
  }

private:
  std::unique_ptr<wchar_t[]> units_;
  std::size_t used_ = 0;
};

}  // namespace

EListError::EListError(std::size_t index)
    : Exception(u"List index out of bounds (" + DecimalText(static_cast<long long>(index)) + u")") {}

TLineBlocks<wchar_t> TLineList::Joined() const {
  TLineBlocks<wchar_t> joined;
  for (std::size_t i = 0; i < Count(); ++i) joined.Add((*this)[i], kCrLf);
  return joined;
}

std::size_t TLineList::Add(std::wstring_view line) {
  // A read list keeps its file's separators (CR, LF or none after the last line) and perhaps
  // text the read ignored; once a line is added every line ends with CR LF, so that a CR or LF
  // inside an added line is never taken for a separator. The rebuilt lines replace the read ones
  // only once the new line is in.
  if (!joined_) {
    TLineBlocks<wchar_t> joined = Joined();
    const std::size_t index = joined.Add(line, kCrLf);
    blocks_ = std::move(joined);
    joined_ = true;
    end_ = static_cast<std::uint32_t>(blocks_.Size() - kCrLf.size());
    return index;
  }
  const std::size_t index = blocks_.Add(line, kCrLf);
  end_ = static_cast<std::uint32_t>(blocks_.Size() - kCrLf.size());
  return index;
}

std::uint32_t TLineList::SeparatorBefore(std::uint32_t start, std::uint32_t end) const noexcept {
  // Lines added end with CR LF; a line read holds no CR or LF, so what ends it is its separator.
  if (joined_) return 2;
  if (end == start) return 0;
  // A read list is one block: the line and what ends it lie together.
  const wchar_t* const line = blocks_.At(start);
  const std::uint32_t length = end - start;
  if (line[length - 1] == L'\r') return 1;
  if (line[length - 1] != L'\n') return 0;
  return length > 1 && line[length - 2] == L'\r' ? 2 : 1;
}

std::wstring_view TLineList::operator[](std::size_t index) const {
  if (index >= Count()) throw EListError(index);
  if (blocks_.HasNarrowBlocks()) blocks_.WidenAll();
  const std::uint32_t start = blocks_.Start(index);
  const std::uint32_t end = index + 1 == Count() ? end_ : blocks_.Start(index + 1);
  const std::uint32_t length = index + 1 == Count() ? end - start : end - start - SeparatorBefore(start, end);
  return {blocks_.At(start), length};
}

std::vector<std::wstring> TLineList::Lines() const {
  std::vector<std::wstring> copies;
  copies.reserve(Count());
  for (std::size_t i = 0; i < Count(); ++i) copies.emplace_back((*this)[i]);
  return copies;
}

void TLineList::Clear() noexcept {
  blocks_.Clear();
  end_ = 0;
  joined_ = true;
}

void TLineList::SaveToFile(const std::wstring& fileName, const std::function<void()>& pump) const {
  TFileStream stream(fileName, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  SaveToStream(stream, pump);
}

void TLineList::LoadFromFile(const std::wstring& fileName) {
  TFileStream stream(fileName, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  if (stream.Size() > kMaxLineListBytes) throw EFOpenError(stream.FullName(), kLineListTooLargeReason);
  LoadFromStream(stream);
}

void TLineList::ForEachPiece(const std::function<void(const Piece&)>& piece) const {
  if (joined_) {
    for (std::size_t b = 0; b < blocks_.BlockCount(); ++b) {
      const auto block = blocks_.BlockText(b);
      if (block.narrow) {
        // One byte a unit: no surrogates to keep together.
        for (std::span<const std::uint8_t> bytes = block.bytes; !bytes.empty();) {
          const std::size_t n = std::min(bytes.size(), kPieceChars);
          piece({true, {}, bytes.first(n), block.ascii});
          bytes = bytes.subspan(n);
        }
        continue;
      }
      for (std::wstring_view text = block.wide; !text.empty();) {
        const std::size_t n = PieceLength(text, kPieceChars);
        piece({false, text.substr(0, n), {}, false});
        text.remove_prefix(n);
      }
    }
    return;
  }
  // Lines read from a file keep that file's separators: the text is built anew, a piece at a time.
  std::unique_ptr<wchar_t[]> buffer(new wchar_t[kPieceChars]);
  std::size_t size = 0, used = 0;
  const TScopeExit wipe([&buffer, &used] { SecureWipe(buffer.get(), used * sizeof(wchar_t)); });
  auto wide = [&piece](std::wstring_view text) { piece({false, text, {}, false}); };
  for (std::size_t i = 0; i < Count(); ++i) {
    const std::wstring_view line = (*this)[i];
    if (size + line.size() + 2 > kPieceChars) {
      used = std::max(used, size);
      if (size > 0) wide({buffer.get(), size});
      size = 0;
    }
    if (line.size() + 2 > kPieceChars) {
      for (std::wstring_view rest = line; !rest.empty();) {
        const std::size_t n = PieceLength(rest, kPieceChars);
        wide(rest.substr(0, n));
        rest.remove_prefix(n);
      }
      wide(kCrLf);
      continue;
    }
    std::memcpy(buffer.get() + size, line.data(), line.size() * sizeof(wchar_t));
    std::memcpy(buffer.get() + size + line.size(), kCrLf.data(), kCrLf.size() * sizeof(wchar_t));
    size += line.size() + 2;
  }
  used = std::max(used, size);
  if (size > 0) wide({buffer.get(), size});
}

void TLineList::SaveToStream(TStream& stream, const std::function<void()>& pump) const {
  // Narrow pieces become code units here where they are not written as they are.
  LatinWidener widener;
  auto units = [&widener](const Piece& piece) { return piece.narrow ? widener.Widen(piece.bytes) : piece.wide; };
  // The ANSI form when it holds every character exactly, else UTF-16 with its mark: a character
  // the code page lacks would be lost, or silently changed into its best-fit substitute. ASCII is
  // the same in every ANSI code page.
  bool exact = true;
  ForEachPiece([&](const Piece& piece) {
    if (!exact || (piece.narrow && piece.ascii)) return;
    exact = HasExactAnsiForm(units(piece));
    if (pump) pump();
  });
  if (exact) {
    // The ANSI code page has no preamble: the bytes are the whole file. ASCII bytes are already
    // those of the file.
    AnsiWriter writer(stream);
    ForEachPiece([&](const Piece& piece) {
      if (piece.narrow && piece.ascii) {
        stream.WriteBuffer(piece.bytes.data(), piece.bytes.size());
      } else {
        writer.Write(units(piece));
      }
      if (pump) pump();
    });
    return;
  }
  stream.WriteBuffer(kUtf16Mark, sizeof kUtf16Mark);
  ForEachPiece([&](const Piece& piece) {
    WriteUtf16(stream, units(piece));
    if (pump) pump();
  });
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
  // Fewer than 2 Gi bytes decode to fewer than 2 Gi characters: every position fits.
  end_ = blocks_.AssignLines(std::move(text));
  joined_ = false;
}
