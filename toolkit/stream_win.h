// The file stream the program writes and reads its files through.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "toolkit/handle_win.h"
#include "toolkit/stream.h"

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
