// Reading an exact count loops over what Read manages in one call; the failure messages quote the
// file's full path.
#include "toolkit/stream.h"

namespace {

std::u16string FileMessage(std::u16string_view sentence, std::u16string_view full_path, std::u16string_view reason) {
  std::u16string message(sentence);
  message += u" \"";
  message += full_path;
  message += u"\". ";
  message += reason;
  return message;
}

}  // namespace

EFCreateError::EFCreateError(std::u16string_view full_path, std::u16string_view reason)
    : EStreamError(FileMessage(u"Cannot create file", full_path, reason)) {}

EFOpenError::EFOpenError(std::u16string_view full_path, std::u16string_view reason)
    : EStreamError(FileMessage(u"Cannot open file", full_path, reason)) {}

EReadError::EReadError() : EStreamError(u"Stream read error") {}

EWriteError::EWriteError() : EStreamError(u"Stream write error") {}

std::int64_t TStream::Size() {
  const std::int64_t position = Seek(0, TSeekOrigin::Current);
  if (position < 0) return -1;
  const std::int64_t size = Seek(0, TSeekOrigin::End);
  Seek(position, TSeekOrigin::Begin);
  return size;
}

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
