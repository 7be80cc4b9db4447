#pragma once
// The maker's name line and addresses, as both programs' info dialogs show them.

constexpr const char* kMakerText = "Tarvik Software, Hamburg";
constexpr const char* kMakerMail = "info@tarvik.test";
constexpr const char* kMakerWeb = "www.tarvik.test";
constexpr const char* kMakerPage = "https://www.tarvik.test/";
