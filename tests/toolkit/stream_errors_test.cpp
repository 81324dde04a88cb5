// The file failures quote the full path and the system's reason.
#include <gtest/gtest.h>

#include "toolkit/stream_errors.h"

namespace {

TEST(StreamErrors, FileFailuresQuoteTheFullPathAndTheReason) {
  EXPECT_EQ(EFCreateError(u"C:\\Пароли\\a.txt", u"Access is denied.").Message(),
            u"Cannot create file \"C:\\Пароли\\a.txt\". Access is denied.");
  EXPECT_EQ(EFOpenError(u"\\\\server\\share\\b", u"").Message(), u"Cannot open file \"\\\\server\\share\\b\". ");
}

}  // namespace
