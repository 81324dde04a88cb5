// The string list without system calls: its lines in blocks with the start of every line, added
// all or nothing and wiped, and its text file as bytes (the encoding told by the mark, the lines
// split, the form written). The system's code-page conversions and the files belong to the
// Windows list, TLineList (line_list_win.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "passwords/line_blocks.h"
#include "toolkit/exception.h"

// A position outside the list: "List index out of bounds (<index>)".
class EListError : public Exception {
public:
  explicit EListError(std::size_t index);
};

// The most bytes of a file a list reads: 2 GiB less one byte, which decode to fewer than 2 Gi
// characters, so that every position fits.
inline constexpr std::int64_t kMaxLineListBytes = 0x7FFFFFFF;
// A file's text is checked, converted and written this many characters at a time at most.
inline constexpr std::size_t kLineListPieceChars = 256 * 1024;

// The conversions between UTF-16 and the byte code pages a list's file may be in: the system's in
// the program. The texts handed to them are pieces of at most kLineListPieceChars code units that
// never cut a surrogate pair in two.
class TCodePages {
public:
  virtual ~TCodePages() = default;
  // bytes in the active ANSI code page as UTF-16; bytes holds at most kMaxLineListBytes.
  virtual TCharBuffer<char16_t> FromAnsi(std::span<const std::uint8_t> bytes) = 0;
  // bytes of UTF-8 as UTF-16, or no text at all when they are not valid UTF-8.
  virtual TCharBuffer<char16_t> FromUtf8(std::span<const std::uint8_t> bytes) = 0;
  // True when text has an exact form in the active ANSI code page: converting it changes no
  // character, neither to a best-fit substitute nor to the default character, and in UTF-8 there
  // is no unpaired surrogate. Where the system cannot tell, false.
  virtual bool HasExactAnsiForm(std::u16string_view text) = 0;
  // text in the active ANSI code page, valid until the next call.
  virtual std::span<const std::uint8_t> ToAnsi(std::u16string_view text) = 0;
};

// An ordered list of strings: appended at the end, never sorted, duplicates and empty strings
// allowed, positions from 0. The characters of all lines are kept one after another, each line
// followed by its separator, in blocks that are never moved (TLineBlocks), with only the start of
// every line beside them: a line ends where the next one starts, less its separator. So a list of
// millions of short lines costs four bytes a line beside its characters, loads without an
// allocation per line, and grows without copying what it holds. A list built by Add keeps its
// text in the file's own form, every line followed by CR LF, lines of Latin-1 characters one
// byte each, and saves it without another copy.
// A list holds less than 4 Gi characters; more fails as out of memory. Every character it held
// is cleared before its memory is freed: a list may hold passwords.
class TLines {
public:
  // Appends line at the end; returns its position. All or nothing: when it fails
  // (std::bad_alloc) the list is as it was.
  std::size_t Add(std::u16string_view line);
  std::size_t Count() const noexcept { return blocks_.Count(); }
  // The line at index, valid until the list changes; throws EListError when index >= Count(),
  // and std::bad_alloc when the first read after an Add finds no memory to widen lines that are
  // kept one byte a character.
  std::u16string_view operator[](std::size_t index) const;
  // Copies of all lines, in order.
  std::vector<std::u16string> Lines() const;
  // Empties the list, clearing the characters it held.
  void Clear() noexcept;
  // The same as Clear, named for a list of passwords.
  void Wipe() noexcept { Clear(); }

  // Replaces the list with the lines of a file's bytes: UTF-16 after its mark (either byte order),
  // UTF-8 after its mark (no lines when it is not valid UTF-8), else text in the active ANSI code
  // page. A line ends at CR LF, CR, LF or the end, and the first U+0000 ends the text
  // (ForEachLine). bytes holds at most kMaxLineListBytes; they are cleared and freed once decoded,
  // before the lines are indexed. All or nothing: when it fails (std::bad_alloc) the list is as it
  // was.
  void LoadFromBytes(TCharBuffer<std::uint8_t>&& bytes, TCodePages& code_pages);

  // The whole list as the bytes of its file, handed to write in order: every line followed by
  // CR LF, in the active ANSI code page without a byte-order mark when every character has its
  // exact form there, else (a character the code page lacks, which would be written as a
  // substitute or the default character) as UTF-16, low byte first, after the mark FF FE, which
  // LoadFromBytes reads back exactly. ASCII text is the same in every ANSI code page and is never
  // converted. The text is checked and written a piece of at most kLineListPieceChars characters
  // at a time; pump() runs after every piece. What write and pump throw passes through.
  void SaveToBytes(TCodePages& code_pages, const std::function<void(std::span<const std::uint8_t>)>& write,
                   const std::function<void()>& pump = {}) const;

private:
  // The length of the separator that ends the line from start to end (the next line's start):
  // CR LF, CR or LF. A line read from a file holds none of them and the last one may have none.
  std::uint32_t SeparatorBefore(std::uint32_t start, std::uint32_t end) const noexcept;
  // The lines in the form of a list built by Add: every line followed by CR LF.
  TLineBlocks<char16_t> Joined() const;
  // A piece of the file's text: code units, or from a narrow block Latin-1 bytes (ascii: all
  // below 0x80).
  struct TPiece {
    bool narrow;
    std::u16string_view wide;
    std::span<const std::uint8_t> bytes;
    bool ascii;
  };
  // Calls piece() for the whole text of the file in order, a piece of at most kLineListPieceChars
  // characters at a time; pieces never cut a surrogate pair in two.
  void ForEachPiece(const std::function<void(const TPiece&)>& piece) const;

  // Mutable: reading a line turns narrow blocks into code units, which changes no line.
  mutable TLineBlocks<char16_t> blocks_;
  // The end of the last line, without its separator.
  std::uint32_t end_ = 0;
  // Every line is followed by CR LF in the text and nothing else is there: the text is the file's.
  bool joined_ = true;
};
