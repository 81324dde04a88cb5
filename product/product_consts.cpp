// The banner's default texts name the site's host, taken from its address.
#include "product/product_consts.h"

std::u16string_view SiteHost() {
  std::u16string_view host = SiteURL.substr(SiteURL.find(u"://") + 3);
  return host.substr(0, host.find(u'/'));
}

std::u16string ReklamText1 = std::u16string(u"На ") + std::u16string(SiteHost()) + u" вы найдете и другие полезные программы...";
std::u16string ReklamText2 = u"Хочешь помочь проекту, нажми о программе, узнай как...";
std::u16string ReklamText3 = u"Проблемы с компом? Тут помогут...";
std::u16string ReklamText4 = std::u16string(SiteHost()) + u" - и это правда...";
std::u16string ReklamText5 = u"Тут знают - как правильно выбрать пароль...";
bool ReklamLoaded = false;
