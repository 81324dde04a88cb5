// Each text is joined from the constants when it is asked for, so that it follows them.
#include "about/about_texts.h"

#include <iterator>

#include "product/product_consts.h"

std::u16string AboutAuthorText() {
  std::u16string text(TextAuthor);
  text += AuthorName;
  text += u"(c) ";
  text += SiteURL;
  return text;
}

std::u16string AboutSupportText() {
  std::u16string text(TextSupport);
  text += ProgramName;
  return text;
}

std::u16string AboutDonationText() {
  // The rouble purse comes first, unlike the order in which the purses are declared.
  const std::u16string lines[] = {
      std::u16string(TextDonate),
      std::u16string(TextWebMoney),
      std::u16string(TextRoubles) + std::u16string(PurseWMR),
      std::u16string(TextDollars) + std::u16string(PurseWMZ),
      std::u16string(TextEuro) + std::u16string(PurseWME),
      std::u16string(TextYandexMoney),
      std::u16string(TextAccountNo) + std::u16string(YandexAccount),
      std::u16string(TextDonateUse),
  };
  std::u16string text = lines[0];
  for (std::size_t i = 1; i < std::size(lines); ++i) {
    text += u'\r';
    text += lines[i];
  }
  return text;
}
