#pragma once
// German or English texts by the country of the current user's locale.

#include <string>

// The country code of the current user's default locale (a dialling code).
// A code that cannot be read raises the silent abort (rtl::EAbort).
int GetCountryCode();

// German for Germany, Austria, Switzerland and Luxembourg, else English.
// The locale is read at every call, so a changed setting shows at once.
std::string ChooseText(const std::string& English, const std::string& German);
