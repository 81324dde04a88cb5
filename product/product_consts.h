// The product's named texts, and the banner's five text slots with their loaded flag.
#pragma once

#include <string>
#include <string_view>

inline constexpr std::u16string_view ProgramName = u"Tarvelin FREE";
inline constexpr std::u16string_view ProgramVersion = u"1.12";
inline constexpr std::u16string_view AuthorName = u"Савелий Корванов";
inline constexpr std::u16string_view SiteURL = u"http://www.corvanix.example";
inline constexpr std::u16string_view ProductFolder = u"Ostrel";
// Payment identifiers of the required forms; placeholders, not real accounts.
inline constexpr std::u16string_view PurseWMZ = u"Z000000000000";
inline constexpr std::u16string_view PurseWMR = u"R000000000000";
inline constexpr std::u16string_view PurseWME = u"E000000000000";
inline constexpr std::u16string_view YandexAccount = u"410000000000000";
inline constexpr std::u16string_view ReklamURL = u"http://www.corvanix.example/reklam.txt";
inline constexpr std::u16string_view TextWebMoney = u"WebMoney";
inline constexpr std::u16string_view TextYandexMoney = u"Яндекс деньги";
inline constexpr std::u16string_view TextAuthor = u"Автор программы: ";
inline constexpr std::u16string_view TextSupport =
    u"Если у вас возникли вопросы по программе, пишите на support@corvanix.example с темой ";
inline constexpr std::u16string_view TextDonate = u"Материально помочь проекту возможно по следующим реквизитам";
inline constexpr std::u16string_view TextDonateUse = u"Все полученные средства пойдут на развитие проекта...";
inline constexpr std::u16string_view TextDollars = u"Доллары: ";
inline constexpr std::u16string_view TextRoubles = u"Рубли: ";
inline constexpr std::u16string_view TextEuro = u"Евро: ";
inline constexpr std::u16string_view TextAccountNo = u"Счёт №: ";

// The host name inside SiteURL.
std::u16string_view SiteHost();

// The banner's text slots: they start with the default texts, are overwritten from the
// downloaded banner list and read by the rotation. GUI thread only.
extern std::u16string ReklamText1;
extern std::u16string ReklamText2;
extern std::u16string ReklamText3;
extern std::u16string ReklamText4;
extern std::u16string ReklamText5;
// Set once the attempt to load the banner list has ended, whatever its outcome.
extern bool ReklamLoaded;
