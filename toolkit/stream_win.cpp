// Exact reads loop over what Read manages in one call; the file stream is CreateFileW, ReadFile
// and WriteFile.
#include "toolkit/stream_win.h"

#include "toolkit/path_rules.h"
#include "toolkit/system_error_win.h"
#include "toolkit/wide.h"

namespace {

// The largest transfer handed to the system in one request; files below 2 GiB take one.
constexpr std::size_t kMaxRequest = 0x80000000u;

bool MayCreate(DWORD disposition) {
  return disposition == CREATE_NEW || disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
}

}  // namespace

std::int64_t TStream::Size() {
  const std::int64_t position = Seek(0, TSeekOrigin::Current);
  if (position < 0) return -1;
  const std::int64_t size = Seek(0, TSeekOrigin::End);
  Seek(position, TSeekOrigin::Begin);
  return size;
}

std::int64_t TStream::Position() { return Seek(0, TSeekOrigin::Current); }
void TStream::SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::Begin); }

void TStream::ReadBuffer(void* buffer, std::size_t count) {
  auto* out = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    const std::size_t n = Read(out, count);
    if (n == 0) throw EReadError();
    out += n;
    count -= n;
  }
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
  if (count > 0 && Write(buffer, count) != count) throw EWriteError();
}

std::wstring FullPathName(const std::wstring& file_name) {
  const DWORD error = ::GetLastError();
  std::wstring full;
  // The needed size changes between the calls only if the current directory does.
  for (DWORD size = ::GetFullPathNameW(file_name.c_str(), 0, nullptr, nullptr); size > 0;) {
    full.resize(size);
    const DWORD n = ::GetFullPathNameW(file_name.c_str(), size, full.data(), nullptr);
    if (n == 0) break;
    if (n < size) {
      full.resize(n);
      ::SetLastError(error);
      return full;
    }
    size = n;
  }
  ::SetLastError(error);
  return file_name;
}

TFileStream::TFileStream(const std::wstring& file_name, DWORD access, DWORD share, DWORD disposition)
    : full_name_(U16(FullPathName(file_name))) {
  const std::wstring open_name = Wide(OpenablePathName(U16(file_name), full_name_));
  file_.Reset(::CreateFileW(open_name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_) {
    const std::u16string reason = SystemErrorText(::GetLastError());
    if (MayCreate(disposition)) throw EFCreateError(full_name_, reason);
    throw EFOpenError(full_name_, reason);
  }
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t total = 0;
  while (total < count) {
    const auto request = static_cast<DWORD>(count - total < kMaxRequest ? count - total : kMaxRequest);
    DWORD done = 0;
    if (!::ReadFile(file_.Get(), out + total, request, &done, nullptr)) break;
    total += done;
    if (done < request) break;
  }
  return total;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
  const auto* in = static_cast<const unsigned char*>(buffer);
  std::size_t total = 0;
  while (total < count) {
    const auto request = static_cast<DWORD>(count - total < kMaxRequest ? count - total : kMaxRequest);
    DWORD done = 0;
    if (!::WriteFile(file_.Get(), in + total, request, &done, nullptr)) {
      total += done;
      break;
    }
    total += done;
    if (done < request) break;
  }
  return total;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  const DWORD method = origin == TSeekOrigin::Begin ? FILE_BEGIN : origin == TSeekOrigin::Current ? FILE_CURRENT : FILE_END;
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  LARGE_INTEGER position;
  if (!::SetFilePointerEx(file_.Get(), distance, &position, method)) return -1;
  return position.QuadPart;
}

std::int64_t TFileStream::Size() {
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file_.Get(), &size)) return -1;
  return size.QuadPart;
}
