#pragma once
// Where the watcher keeps its options, below HKEY_CURRENT_USER.

constexpr const char* kSettingsKey = "Software\\Tarvik\\Orvandel";
constexpr const char* kProxySubkey = "Software\\Tarvik\\Orvandel\\Proxy";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "Orvandel";
