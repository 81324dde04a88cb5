// The string list's text file on Windows: the lines in the active ANSI code page (or UTF-16 where
// the code page lacks a character), CR LF after each, written and read whole through the system's
// files and code-page conversions.
#pragma once

#include <functional>
#include <string>

#include "passwords/line_list.h"
#include "toolkit/stream_win.h"

// The reason quoted by EFOpenError for a file larger than kMaxLineListBytes.
inline constexpr char16_t kLineListTooLargeReason[] = u"The file is 2 GiB or larger";
// The message of EReadError for a larger stream rest.
inline constexpr char16_t kLineListStreamTooLargeMessage[] = u"Stream read error: 2 GiB or more to read";

// The list of lines (TLines) with its files: the bytes of SaveToBytes and LoadFromBytes in the
// system's ANSI code page.
class TLineList final : public TLines {
public:
  // Replaces the named file (created, or truncated to zero bytes) with the whole list, in the form
  // SaveToBytes gives, converted and written a piece at a time through one buffer of at most
  // 768 KiB, cleared before it is freed; pump() runs after every piece. The file is opened
  // exclusively and closed on every path. Throws EFCreateError when the file cannot be created
  // and EWriteError when fewer bytes were written; the pieces before that are in the file.
  void SaveToFile(const std::wstring& file_name, const std::function<void()>& pump = {}) const;

  // Replaces the list with the lines of the named file, read as LoadFromBytes reads them. The
  // file is opened for reading, others may read it meanwhile. Throws EFOpenError when the file
  // cannot be opened or is 2 GiB or larger, EReadError when it cannot be read; the list is
  // unchanged then.
  void LoadFromFile(const std::wstring& file_name);

  // SaveToFile's bytes written at the stream's position, one WriteBuffer a piece; throws
  // EWriteError when fewer bytes were written.
  void SaveToStream(TStream& stream, const std::function<void()>& pump = {}) const;

  // Replaces the list with the lines of the bytes from the stream's position to its end, read as
  // LoadFromFile reads a file. Throws EReadError when the stream fails or holds 2 GiB or more
  // from its position; the list is unchanged then.
  void LoadFromStream(TStream& stream);
};
