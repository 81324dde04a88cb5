// The product texts that are composed from others.
#include <gtest/gtest.h>

#include "product/product_consts.h"

namespace {

TEST(ProductConsts, ComposedTexts) {
  EXPECT_EQ(SiteHost(), u"www.corvanix.example");
  EXPECT_EQ(ReklamURL, std::u16string(SiteURL) + u"/reklam.txt");
  EXPECT_EQ(ReklamText1, u"На www.corvanix.example вы найдете и другие полезные программы...");
  EXPECT_EQ(ReklamText4, u"www.corvanix.example - и это правда...");
  EXPECT_EQ(TextAuthor.back(), u' ');
  EXPECT_EQ(TextSupport.back(), u' ');
  EXPECT_FALSE(ReklamLoaded);
}

TEST(ProductConsts, PaymentIdentifiersHaveTheirForms) {
  struct Case {
    std::u16string_view id;
    char16_t letter;
    std::size_t digits;
  };
  const Case cases[] = {{PurseWMZ, u'Z', 12}, {PurseWMR, u'R', 12}, {PurseWME, u'E', 12}, {YandexAccount, 0, 15}};
  for (const auto& c : cases) {
    const std::u16string_view digits = c.letter ? c.id.substr(1) : c.id;
    if (c.letter) {
      EXPECT_EQ(c.id.front(), c.letter);
    }
    EXPECT_EQ(digits.size(), c.digits);
    for (char16_t ch : digits) EXPECT_TRUE(ch >= u'0' && ch <= u'9');
  }
}

}  // namespace
