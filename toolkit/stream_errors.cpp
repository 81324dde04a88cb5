// The failure messages quote the file's full path.
#include "toolkit/stream_errors.h"

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
