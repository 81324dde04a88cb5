// The failures of the byte streams the program writes and reads its files through.
#pragma once

#include <string>
#include <string_view>

#include "toolkit/exception.h"

// The base of the stream failures.
class EStreamError : public Exception {
public:
  using Exception::Exception;
};

// A file could not be created or truncated for writing:
// "Cannot create file "<full path>". <reason>".
class EFCreateError : public EStreamError {
public:
  EFCreateError(std::u16string_view full_path, std::u16string_view reason);
};

// A file could not be opened (or, for the string list, not read):
// "Cannot open file "<full path>". <reason>".
class EFOpenError : public EStreamError {
public:
  EFOpenError(std::u16string_view full_path, std::u16string_view reason);
};

// Fewer bytes were read than asked for: "Stream read error", or a message of its own.
class EReadError : public EStreamError {
public:
  EReadError();
  using EStreamError::EStreamError;
};

// Fewer bytes were written than asked for: "Stream write error".
class EWriteError : public EStreamError {
public:
  EWriteError();
};
