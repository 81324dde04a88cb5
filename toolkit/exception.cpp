// Failures of the program: exceptions that carry a UTF-16 message text.
#include "toolkit/exception.h"

#include "toolkit/text.h"

Exception::Exception(std::u16string message)
    : message_(std::move(message)), utf8_(Utf8FromUtf16(message_)) {}
