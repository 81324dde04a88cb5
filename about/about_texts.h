// The three texts of the About window, composed from the product constants.
#pragma once

#include <string>

// The author line: the author's name, "(c) " right after it and the maker's site.
std::u16string AboutAuthorText();
// The support line: the support address and, as the subject of the mail, the program's name.
std::u16string AboutSupportText();
// The donation details: eight lines joined by a carriage return alone, nothing after the last.
std::u16string AboutDonationText();
