#pragma once
// Which countries get German texts, and how the locale's country code reads.

#include <string>

// Switzerland 41, Austria 43, Germany 49, Luxembourg 352.
bool IsGermanCountry(int CountryCode);

// The locale's country code as the system writes it: decimal digits.
// Anything else (empty, signs, blanks, letters) is not a code: false.
bool ParseCountryCode(const std::string& Text, int& CountryCode);

// The English or the German text for a country.
std::string TextForCountry(int CountryCode, const std::string& English, const std::string& German);
