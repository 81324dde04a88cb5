// Byte streams the program writes and reads its files through, and the failures they raise.
#pragma once

#include <cstddef>
#include <cstdint>
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

  std::int64_t Position() { return Seek(0, TSeekOrigin::Current); }
  void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::Begin); }

  // Reads exactly count bytes; throws EReadError when the stream ends or fails before that.
  void ReadBuffer(void* buffer, std::size_t count);
  // Writes count bytes with one Write; throws EWriteError when fewer were written.
  void WriteBuffer(const void* buffer, std::size_t count);
};
