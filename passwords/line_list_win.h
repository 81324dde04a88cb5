// The string list and its text file: lines in the active ANSI code page (or UTF-16 where the code
// page lacks a character), CR LF after each, written and read whole.
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
#include "toolkit/stream_win.h"

// A position outside the list: "List index out of bounds (<index>)".
class EListError : public Exception {
public:
  explicit EListError(std::size_t index);
};

// The largest file or stream rest LoadFromFile and LoadFromStream read: 2 GiB less one byte.
inline constexpr std::int64_t kMaxLineListBytes = 0x7FFFFFFF;
// The reason quoted by EFOpenError for a larger file.
inline constexpr char16_t kLineListTooLargeReason[] = u"The file is 2 GiB or larger";
// The message of EReadError for a larger stream rest.
inline constexpr char16_t kLineListStreamTooLargeMessage[] = u"Stream read error: 2 GiB or more to read";

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
class TLineList {
public:
  // Appends line at the end; returns its position. All or nothing: when it fails
  // (std::bad_alloc) the list is as it was.
  std::size_t Add(std::wstring_view line);
  std::size_t Count() const noexcept { return blocks_.Count(); }
  // The line at index, valid until the list changes; throws EListError when index >= Count(),
  // and std::bad_alloc when the first read after an Add finds no memory to widen lines that are
  // kept one byte a character.
  std::wstring_view operator[](std::size_t index) const;
  // Copies of all lines, in order.
  std::vector<std::wstring> Lines() const;
  // Empties the list, clearing the characters it held.
  void Clear() noexcept;
  // The same as Clear, named for a list of passwords.
  void Wipe() noexcept { Clear(); }

  // Replaces the named file (created, or truncated to zero bytes) with the whole list: every
  // line followed by CR LF, in the active ANSI code page without a byte-order mark when every
  // character has its exact form there, else (a character the code page lacks, which would be
  // written as a substitute or the default character) as UTF-16, low byte first, after the mark
  // FF FE, which LoadFromFile reads back exactly. The text is converted and written a piece of at
  // most 256 Ki characters at a time through one buffer of at most 768 KiB, cleared before it is
  // freed; pump() runs after every piece. The file is opened exclusively and closed on every
  // path. Throws EFCreateError when the file cannot be created and EWriteError when fewer bytes
  // were written; the pieces before that are in the file.
  void SaveToFile(const std::wstring& fileName, const std::function<void()>& pump = {}) const;

  // Replaces the list with the lines of the named file: a UTF-16 file (either byte order) or a
  // UTF-8 file with its byte-order mark, else text in the active ANSI code page; UTF-8 that is not
  // valid gives no lines. The file is opened for reading, others may read it meanwhile. Throws
  // EFOpenError when the file cannot be opened or is 2 GiB or larger, EReadError when it cannot
  // be read; the list is unchanged then.
  void LoadFromFile(const std::wstring& fileName);

  // SaveToFile's bytes written at the stream's position, one WriteBuffer a piece; throws
  // EWriteError when fewer bytes were written.
  void SaveToStream(TStream& stream, const std::function<void()>& pump = {}) const;

  // Replaces the list with the lines of the bytes from the stream's position to its end, decoded
  // as LoadFromFile decodes a file. Throws EReadError when the stream fails or holds 2 GiB or more
  // from its position; the list is unchanged then.
  void LoadFromStream(TStream& stream);

private:
  // The length of the separator that ends the line from start to end (the next line's start):
  // CR LF, CR or LF. A line read from a file holds none of them and the last one may have none.
  std::uint32_t SeparatorBefore(std::uint32_t start, std::uint32_t end) const noexcept;
  // The lines in the form of a list built by Add: every line followed by CR LF.
  TLineBlocks<wchar_t> Joined() const;
  // A piece of the file's text: code units, or from a narrow block Latin-1 bytes (ascii: all
  // below 0x80).
  struct Piece {
    bool narrow;
    std::wstring_view wide;
    std::span<const std::uint8_t> bytes;
    bool ascii;
  };
  // Calls piece() for the whole text of the file in order, a piece of at most 256 Ki characters
  // at a time; pieces never cut a surrogate pair in two.
  void ForEachPiece(const std::function<void(const Piece&)>& piece) const;

  // Mutable: reading a line turns narrow blocks into code units, which changes no line.
  mutable TLineBlocks<wchar_t> blocks_;
  // The end of the last line, without its separator.
  std::uint32_t end_ = 0;
  // Every line is followed by CR LF in the text and nothing else is there: the text is the file's.
  bool joined_ = true;
};
