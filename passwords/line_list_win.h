// The string list and its text file: lines in the active ANSI code page, CR LF after each,
// written and read whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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
// allowed, positions from 0. The characters of all lines are kept one after another in one text,
// each line followed by its separator, with only the start of every line beside them: a line
// ends where the next one starts, less its separator. So a list of millions of short lines costs
// four bytes a line beside its characters and loads without an allocation per line. A list built
// by Add keeps its text in the file's own form, every line followed by CR LF, and saves it
// without another copy. A list holds less than 4 Gi characters; more fails as out of memory.
class TLineList {
public:
  // Appends line at the end; returns its position.
  std::size_t Add(std::wstring_view line);
  std::size_t Count() const noexcept { return starts_.size(); }
  // The line at index, valid until the list changes; throws EListError when index >= Count().
  std::wstring_view operator[](std::size_t index) const;
  // Copies of all lines, in order.
  std::vector<std::wstring> Lines() const;
  void Clear() noexcept;
  // Clear, after clearing the characters the list's text held: for a list of passwords.
  void Wipe() noexcept;
  // Makes room for lines more lines holding chars characters in all, so that a list whose size
  // is known is built without growing its text.
  void Reserve(std::size_t lines, std::size_t chars);

  // Replaces the named file (created, or truncated to zero bytes) with the whole list: every
  // line converted to the active ANSI code page and followed by CR LF, no byte-order mark. The
  // text is converted and written a piece of at most 256 Ki characters at a time through one
  // buffer of at most 768 KiB, cleared before it is freed, as is the old text when the list
  // grows. Characters outside the code page become the system's best-fit substitute or its
  // default character. The file is opened exclusively and closed on every path. Throws
  // EFCreateError when the file cannot be created and EWriteError when fewer bytes were written;
  // the pieces before that are in the file.
  void SaveToFile(const std::wstring& fileName) const;

  // Replaces the list with the lines of the named file: a UTF-16 file (either byte order) or a
  // UTF-8 file with its byte-order mark, else text in the active ANSI code page; UTF-8 that is not
  // valid gives no lines. The file is opened for reading, others may read it meanwhile. Throws
  // EFOpenError when the file cannot be opened or is 2 GiB or larger, EReadError when it cannot
  // be read; the list is unchanged then.
  void LoadFromFile(const std::wstring& fileName);

  // SaveToFile's bytes written at the stream's position, one WriteBuffer a piece; throws
  // EWriteError when fewer bytes were written.
  void SaveToStream(TStream& stream) const;

  // Replaces the list with the lines of the bytes from the stream's position to its end, decoded
  // as LoadFromFile decodes a file. Throws EReadError when the stream fails or holds 2 GiB or more
  // from its position; the list is unchanged then.
  void LoadFromStream(TStream& stream);

  // A buffer of characters that grows without filling its new room first: the list's text, and
  // a file's decoded text before it becomes one. It may hold passwords, so a buffer it gives up
  // for a larger one or for another buffer moved into it is cleared first.
  class Text {
  public:
    Text() = default;
    Text(Text&& other) noexcept;
    Text& operator=(Text&& other) noexcept;

    wchar_t* Data() noexcept { return data_.get(); }
    const wchar_t* Data() const noexcept { return data_.get(); }
    std::size_t Size() const noexcept { return size_; }
    std::wstring_view View() const noexcept { return {data_.get(), size_}; }
    // Makes room for capacity characters in all, keeping the text.
    void Reserve(std::size_t capacity);
    void Append(const wchar_t* chars, std::size_t count);
    // The text is the first size characters of the room, written through Data(); size is at
    // most what Reserve made room for.
    void SetSize(std::size_t size) noexcept { size_ = size; }
    void Clear() noexcept { size_ = 0; }
    // Clears the whole buffer, then Clear.
    void Wipe() noexcept;

  private:
    std::unique_ptr<wchar_t[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
  };

private:
  // The length of the separator that ends the line from start to end (the next line's start):
  // CR LF, CR or LF. A line read from a file holds none of them and the last one may have none.
  std::uint32_t SeparatorBefore(std::uint32_t start, std::uint32_t end) const noexcept;
  // Rebuilds a read list's text in the form of a list built by Add: every line followed by CR LF.
  void Join();

  Text text_;
  std::vector<std::uint32_t> starts_;
  // The end of the last line, without its separator.
  std::uint32_t end_ = 0;
  // Every line is followed by CR LF in text_ and nothing else is there: the text is the file's.
  bool joined_ = true;
};
