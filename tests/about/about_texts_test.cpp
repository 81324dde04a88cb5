// The texts of the About window: exact composition, separators and line order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "about/about_texts.h"
#include "product/product_consts.h"

namespace {

std::vector<std::u16string> SplitAtCR(const std::u16string& text) {
  std::vector<std::u16string> lines(1);
  for (char16_t c : text) {
    if (c == u'\r') {
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

std::u16string Join(std::initializer_list<std::u16string_view> parts) {
  std::u16string s;
  for (auto p : parts) s += p;
  return s;
}

TEST(AboutTexts, AuthorLineHasNoBlankBeforeTheCopyrightSign) {
  const std::u16string text = AboutAuthorText();
  EXPECT_EQ(text, Join({u"Автор программы: ", AuthorName, u"(c) ", SiteURL}));
  EXPECT_NE(text.find(Join({AuthorName, u"(c) "})), std::u16string::npos);
  EXPECT_EQ(text.find(u" (c)"), std::u16string::npos);
}

TEST(AboutTexts, SupportLineNamesTheProgramAsTheSubject) {
  const std::u16string text = AboutSupportText();
  EXPECT_EQ(text, Join({TextSupport, u"Tarvelin FREE"}));
  EXPECT_EQ(text.find(u"  "), std::u16string::npos) << "exactly one blank before the subject";
  EXPECT_TRUE(text.ends_with(u" с темой Tarvelin FREE"));
}

TEST(AboutTexts, DonationDetailsAreEightLinesJoinedByCarriageReturnsAlone) {
  const std::u16string text = AboutDonationText();
  const std::vector<std::u16string> expected = {
      u"Материально помочь проекту возможно по следующим реквизитам",
      u"WebMoney",
      Join({u"Рубли: ", PurseWMR}),
      Join({u"Доллары: ", PurseWMZ}),
      Join({u"Евро: ", PurseWME}),
      u"Яндекс деньги",
      Join({u"Счёт №: ", YandexAccount}),
      u"Все полученные средства пойдут на развитие проекта...",
  };
  const std::vector<std::u16string> lines = SplitAtCR(text);
  ASSERT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(i + 1);
    EXPECT_EQ(lines[i], expected[i]);
  }
  EXPECT_EQ(text.find(u'\n'), std::u16string::npos);
  EXPECT_NE(text.back(), u'\r');
}

}  // namespace
