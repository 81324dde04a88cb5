// The name a file is opened by: the plain form while the full path fits it, the "\\?\" form past it.
#include <gtest/gtest.h>

#include <string>

#include "toolkit/path_rules.h"

namespace {

TEST(OpenablePathName, PrefixesOnlyFullPathsTooLongForThePlainForm) {
  const std::u16string a259(259 - 3, u'a'), a260(260 - 3, u'a');
  struct Case {
    std::u16string name, full, expected;
  };
  const Case cases[] = {
      {u"x.txt", u"C:\\dir\\x.txt", u"x.txt"},
      {u"rel\\" + a259, u"C:\\" + a259, u"rel\\" + a259},
      {u"rel\\" + a260, u"C:\\" + a260, u"\\\\?\\C:\\" + a260},
      {u"C:/" + a260, u"C:\\" + a260, u"\\\\?\\C:\\" + a260},
      {u"\\\\srv\\share\\" + a260, u"\\\\srv\\share\\" + a260, u"\\\\?\\UNC\\srv\\share\\" + a260},
      {u"\\\\?\\C:\\" + a260, u"\\\\?\\C:\\" + a260, u"\\\\?\\C:\\" + a260},
      {u"\\\\.\\pipe\\" + a260, u"\\\\.\\pipe\\" + a260, u"\\\\.\\pipe\\" + a260},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.full.size());
    EXPECT_EQ(OpenablePathName(c.name, c.full), c.expected);
  }
}

}  // namespace
