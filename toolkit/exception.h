// Failures of the program: exceptions that carry a UTF-16 message text.
#pragma once

#include <string>
#include <exception>

// The base of every failure the program raises itself. The message is what the default
// failure report shows.
class Exception : public std::exception {
public:
  explicit Exception(std::u16string message);

  const std::u16string& Message() const noexcept { return message_; }
  // The message in UTF-8, for code that only knows std::exception.
  const char* what() const noexcept override { return utf8_.c_str(); }

private:
  std::u16string message_;
  std::string utf8_;
};

// A silent abort: it ends a handler without any report.
class EAbort : public Exception {
public:
  EAbort() : Exception(u"Operation aborted") {}
};

// A resource of the operating system (a timer, a thread, ...) could not be had.
class EOutOfResources : public Exception {
public:
  using Exception::Exception;
};
