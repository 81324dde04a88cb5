// A read list keeps its file's text and separators as they were and is rebuilt with CR LF at the
// first Add; the file's text goes out in pieces that never cut a surrogate pair, asked about
// first and written second, ASCII kept as its bytes.
#include "passwords/line_list.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <utility>

#include "passwords/line_text.h"
#include "toolkit/scope_exit.h"
#include "toolkit/secure_wipe.h"
#include "toolkit/text.h"

namespace {

using TText = TCharBuffer<char16_t>;

// The characters that are the separator after every line a list writes.
constexpr std::u16string_view kCrLf = u"\r\n";

// The mark of a UTF-16 file, low byte first.
constexpr std::uint8_t kUtf16Mark[] = {0xFF, 0xFE};

TText Decode(std::span<const std::uint8_t> bytes, TCodePages& code_pages) {
  const TLineTextMark mark = DetectLineTextMark(bytes);
  const auto body = bytes.subspan(mark.size);
  switch (mark.encoding) {
    case TLineTextEncoding::Utf16LittleEndian:
    case TLineTextEncoding::Utf16BigEndian: {
      TText text;
      text.Reserve(Utf16UnitCount(body.size()));
      text.SetSize(DecodeUtf16(body, mark.encoding == TLineTextEncoding::Utf16BigEndian, text.Data()));
      return text;
    }
    case TLineTextEncoding::Utf8:
      return code_pages.FromUtf8(body);
    case TLineTextEncoding::Ansi:
      break;
  }
  return code_pages.FromAnsi(body);
}

// The bytes of UTF-16 code units, low byte first: the units as they lie in memory.
std::span<const std::uint8_t> Utf16Bytes(std::u16string_view text) noexcept {
  static_assert(std::endian::native == std::endian::little, "the units are written as they lie in memory");
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size() * sizeof(char16_t)};
}

// Code units of Latin-1 bytes, a piece at a time, through one buffer that is cleared before it is
// freed.
class TLatinWidener {
public:
  TLatinWidener() = default;
  TLatinWidener(const TLatinWidener&) = delete;
  TLatinWidener& operator=(const TLatinWidener&) = delete;
  ~TLatinWidener() { SecureWipe(units_.get(), used_ * sizeof(char16_t)); }

  // The units, valid until the next call; bytes holds at most kLineListPieceChars.
  std::u16string_view Widen(std::span<const std::uint8_t> bytes) {
    if (!units_) units_.reset(new char16_t[kLineListPieceChars]);
    TLineBlocks<char16_t>::WidenLatin1(bytes, units_.get());
    used_ = std::max(used_, bytes.size());
    return {units_.get(), bytes.size()};
  }

private:
  std::unique_ptr<char16_t[]> units_;
  std::size_t used_ = 0;
};

}  // namespace

EListError::EListError(std::size_t index)
    : Exception(u"List index out of bounds (" + DecimalText(static_cast<long long>(index)) + u")") {}

TLineBlocks<char16_t> TLines::Joined() const {
  TLineBlocks<char16_t> joined;
  for (std::size_t i = 0; i < Count(); ++i) joined.Add((*this)[i], kCrLf);
  return joined;
}

std::size_t TLines::Add(std::u16string_view line) {
  // A read list keeps its file's separators (CR, LF or none after the last line) and perhaps
  // text the read ignored; once a line is added every line ends with CR LF, so that a CR or LF
  // inside an added line is never taken for a separator. The rebuilt lines replace the read ones
  // only once the new line is in.
  if (!joined_) {
    TLineBlocks<char16_t> joined = Joined();
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

std::uint32_t TLines::SeparatorBefore(std::uint32_t start, std::uint32_t end) const noexcept {
  // Lines added end with CR LF; a line read holds no CR or LF, so what ends it is its separator.
  if (joined_) return 2;
  if (end == start) return 0;
  // A read list is one block: the line and what ends it lie together.
  const char16_t* const line = blocks_.At(start);
  const std::uint32_t length = end - start;
  if (line[length - 1] == u'\r') return 1;
  if (line[length - 1] != u'\n') return 0;
  return length > 1 && line[length - 2] == u'\r' ? 2 : 1;
}

std::u16string_view TLines::operator[](std::size_t index) const {
  if (index >= Count()) throw EListError(index);
  if (blocks_.HasNarrowBlocks()) blocks_.WidenAll();
  const std::uint32_t start = blocks_.Start(index);
  const std::uint32_t end = index + 1 == Count() ? end_ : blocks_.Start(index + 1);
  const std::uint32_t length = index + 1 == Count() ? end - start : end - start - SeparatorBefore(start, end);
  return {blocks_.At(start), length};
}

std::vector<std::u16string> TLines::Lines() const {
  std::vector<std::u16string> copies;
  copies.reserve(Count());
  for (std::size_t i = 0; i < Count(); ++i) copies.emplace_back((*this)[i]);
  return copies;
}

void TLines::Clear() noexcept {
  blocks_.Clear();
  end_ = 0;
  joined_ = true;
}

void TLines::LoadFromBytes(TCharBuffer<std::uint8_t>&& bytes, TCodePages& code_pages) {
  TText text;
  {
    // The file's bytes go as soon as they are decoded: the index is made beside the text alone.
    const TCharBuffer<std::uint8_t> taken(std::move(bytes));
    text = Decode({taken.Data(), taken.Size()}, code_pages);
  }
  // Fewer than 2 Gi bytes decode to fewer than 2 Gi characters: every position fits.
  end_ = blocks_.AssignLines(std::move(text));
  joined_ = false;
}

void TLines::ForEachPiece(const std::function<void(const TPiece&)>& piece) const {
  if (joined_) {
    for (std::size_t b = 0; b < blocks_.BlockCount(); ++b) {
      const auto block = blocks_.BlockText(b);
      if (block.narrow) {
        // One byte a unit: no surrogates to keep together.
        for (std::span<const std::uint8_t> bytes = block.bytes; !bytes.empty();) {
          const std::size_t n = std::min(bytes.size(), kLineListPieceChars);
          piece({true, {}, bytes.first(n), block.ascii});
          bytes = bytes.subspan(n);
        }
        continue;
      }
      for (std::u16string_view text = block.wide; !text.empty();) {
        const std::size_t n = PieceLength(text, kLineListPieceChars);
        piece({false, text.substr(0, n), {}, false});
        text.remove_prefix(n);
      }
    }
    return;
  }
  // Lines read from a file keep that file's separators: the text is built anew, a piece at a time.
  std::unique_ptr<char16_t[]> buffer(new char16_t[kLineListPieceChars]);
  std::size_t size = 0, used = 0;
  const TScopeExit wipe([&buffer, &used] { SecureWipe(buffer.get(), used * sizeof(char16_t)); });
  auto wide = [&piece](std::u16string_view text) { piece({false, text, {}, false}); };
  for (std::size_t i = 0; i < Count(); ++i) {
    const std::u16string_view line = (*this)[i];
    if (size + line.size() + 2 > kLineListPieceChars) {
      used = std::max(used, size);
      if (size > 0) wide({buffer.get(), size});
      size = 0;
    }
    if (line.size() + 2 > kLineListPieceChars) {
      for (std::u16string_view rest = line; !rest.empty();) {
        const std::size_t n = PieceLength(rest, kLineListPieceChars);
        wide(rest.substr(0, n));
        rest.remove_prefix(n);
      }
      wide(kCrLf);
      continue;
    }
    std::memcpy(buffer.get() + size, line.data(), line.size() * sizeof(char16_t));
    std::memcpy(buffer.get() + size + line.size(), kCrLf.data(), kCrLf.size() * sizeof(char16_t));
    size += line.size() + 2;
  }
  used = std::max(used, size);
  if (size > 0) wide({buffer.get(), size});
}

void TLines::SaveToBytes(TCodePages& code_pages, const std::function<void(std::span<const std::uint8_t>)>& write,
                         const std::function<void()>& pump) const {
  static_assert(kLineListPieceChars >= 2, "a piece holds a surrogate pair");
  // Narrow pieces become code units here where they are not written as they are.
  TLatinWidener widener;
  auto units = [&widener](const TPiece& piece) { return piece.narrow ? widener.Widen(piece.bytes) : piece.wide; };
  // The ANSI form when it holds every character exactly, else UTF-16 with its mark: a character
  // the code page lacks would be lost, or silently changed into its best-fit substitute.
  bool exact = true;
  ForEachPiece([&](const TPiece& piece) {
    if (!exact || (piece.narrow && piece.ascii)) return;
    const std::u16string_view text = units(piece);
    exact = IsAscii(text) || code_pages.HasExactAnsiForm(text);
    if (pump) pump();
  });
  if (exact) {
    // The ANSI code page has no preamble: the bytes are the whole file. ASCII bytes are already
    // those of the file.
    ForEachPiece([&](const TPiece& piece) {
      write(piece.narrow && piece.ascii ? piece.bytes : code_pages.ToAnsi(units(piece)));
      if (pump) pump();
    });
    return;
  }
  write(kUtf16Mark);
  ForEachPiece([&](const TPiece& piece) {
    write(Utf16Bytes(units(piece)));
    if (pump) pump();
  });
}
