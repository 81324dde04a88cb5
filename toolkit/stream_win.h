// Byte streams and the file stream the program writes and reads its files through.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "toolkit/handle_win.h"
#include "toolkit/stream_errors.h"

enum class TSeekOrigin { Begin, Current, End };

// A sequence of bytes with a position.
class TStream {
public:
  virtual ~TStream() = default;

  // Reads at most count bytes at the position and moves past them. Returns how many were read:
  // 0 at the end of the stream or when the system refused.
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  // Writes count bytes at the position and moves past them. Returns how many were written,
  // fewer than count when the system refused or the medium is full.
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
  // Moves the position; returns the new one, or -1 when the stream cannot seek there.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  // The number of bytes in the stream, or -1 when it is not known. The default seeks to the end
  // and back.
  virtual std::int64_t Size();

  std::int64_t Position();
  void SetPosition(std::int64_t position);

  // Reads exactly count bytes; throws EReadError when the stream ends or fails before that.
  void ReadBuffer(void* buffer, std::size_t count);
  // Writes count bytes with one Write; throws EWriteError when fewer were written.
  void WriteBuffer(const void* buffer, std::size_t count);
};

// A file opened with CreateFileW. Reads and writes go straight to the system, one request each
// (larger transfers than one request takes are split).
class TFileStream final : public TStream {
public:
  // Opens file_name with the given access, share mode and creation disposition and normal
  // attributes. A name whose full path is too long for the plain form is opened in the "\\?\"
  // form. Throws EFCreateError when the disposition may create the file (CREATE_NEW,
  // CREATE_ALWAYS, OPEN_ALWAYS) and EFOpenError for the others, both with the full path and the
  // system's text of the error.
  TFileStream(const std::wstring& file_name, DWORD access, DWORD share, DWORD disposition);

  // The file name expanded to a full path, as the failure messages quote it.
  const std::u16string& FullName() const noexcept { return full_name_; }
  HANDLE Handle() const noexcept { return file_.Get(); }

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override;

private:
  TUniqueFile file_;
  std::u16string full_name_;
};

// file_name expanded by GetFullPathNameW (a relative name against the current directory), or
// file_name itself when the system cannot expand it. Keeps the thread's last-error code.
std::wstring FullPathName(const std::wstring& file_name);
