#pragma once
// Text rules shared by the whole program: user and network text is compared without regard to
// letter case, "trimming" removes blanks at both ends, and numbers read from text take the value
// of the text's leading number.
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// Removes leading and trailing blanks (spaces only, as the list file and the dialogs expect).
std::string Trim(std::string_view text);

// Value of the leading number of the text (after leading blanks), 0 when there is none.
// Accepts an optional sign, digits, a decimal point and an exponent, like a general parser.
double LeadingNumber(std::string_view text);

// The leading number rounded to the nearest whole number (halves away from zero).
long long LeadingWholeNumber(std::string_view text);

// True when the whole text (blanks around it allowed) is one number as a general number parser
// reads it: optional sign, digits with an optional decimal point, optional exponent.
// Empty text is not numeric.
bool IsNumeric(std::string_view text);

// True when the text is one or more of the digits 0 to 9 and nothing else.
bool AllDigits(std::string_view text);

// The port a text names: its value when it is digits alone from 1 to 65535, else 0.
int PortNumber(std::string_view text);

// Case-insensitive search. Returns the 0-based position or std::string::npos.
size_t FindNoCase(std::string_view text, std::string_view what, size_t from = 0);
bool ContainsNoCase(std::string_view text, std::string_view what);
bool EqualsNoCase(std::string_view a, std::string_view b);
// <0, 0, >0 like strcmp, ignoring letter case.
int CompareNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

std::string ToUpper(std::string_view text);
std::string ToLower(std::string_view text);

// Replaces every occurrence of `what` (exact case) by `with`.
std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with);
// Replaces every occurrence of `what`, found without regard to letter case, by `with`.
std::string ReplaceAllNoCase(std::string_view text, std::string_view what, std::string_view with);
// Removes every occurrence of the character.
std::string RemoveChar(std::string_view text, char c);

// Splits at every separator; n separators give n+1 pieces (empty text gives one empty piece).
std::vector<std::string> Split(std::string_view text, std::string_view separator);

// The text before / after the first occurrence of `separator` (the whole text / empty when the
// separator does not occur).
std::string Before(std::string_view text, std::string_view separator);
std::string After(std::string_view text, std::string_view separator);

// The first n characters (all when shorter).
std::string Left(std::string_view text, size_t n);

// True when the text is an IPv4-looking address: with every "." turned into "0" it is numeric.
bool LooksLikeAddress(std::string_view host);

}  // namespace quillet
