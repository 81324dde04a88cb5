// The message is kept as given and once more in UTF-8 for what().
#include "toolkit/exception.h"

#include "toolkit/text.h"

Exception::Exception(std::u16string message)
    : message_(std::move(message)), utf8_(Utf8FromUtf16(message_)) {}
