#pragma once
// Every key of Setting.ini with its default, its capacity and its value form, in one place.
#include <cstdint>
#include <string>

#include "CorvaneVersion.h"

namespace settings {

// [Connection]
inline constexpr const char* kDefaultServer = "127.0.0.1";
inline constexpr std::uint16_t kDefaultPort = 15500;
// The build's own version: what a missing Version key stands for.
inline constexpr const wchar_t* kDefaultVersion = CORVANE_VERSION_WTEXT;

std::string ReadServerAddress();          // Server: at most 255 characters, read through the 8-bit interface
std::uint16_t ReadServerPort();           // Port: the low 16 bits of the integer read
std::wstring ReadInstalledVersion();      // Version: at most 19 characters; never written by the program
bool WriteServerAddress(const std::wstring& address);
bool WriteServerPort(const std::wstring& port);

// WebSite: the vendor's web host (home page and version page), read only, never written by the
// program, so a deployment or a test can point the client at another host.
inline constexpr const wchar_t* kDefaultWebSite = L"http://corvane.invalid";
std::wstring ReadWebSite();               // without a trailing '/'; the default when missing or empty
std::wstring VersionPageUrl();            // WebSite + "/version.html"
std::wstring HomePageUrl();               // WebSite + "/"

std::wstring ReadBannerUrl(int slot);     // url1..url3: at most 2047 characters
bool WriteBannerUrl(int slot, const std::wstring& url);

// [Properties]: the pop-up preferences, each read with a capacity of 254.
inline constexpr const wchar_t* kShowKey = L"Show";
inline constexpr const wchar_t* kDelayKey = L"Delay";
inline constexpr const wchar_t* kSoundKey = L"Sound";
inline constexpr const wchar_t* kNone = L"None";  // the default that marks a key never written
inline constexpr const wchar_t* kPopupMonitorKey = L"PopupMonitor";  // see popup/PopupPlacement.h

// prefix + "Show" / prefix + "Delay" for a category's own keys (prefix empty for the general ones).
std::wstring ShowKey(const wchar_t* categoryPrefix);
std::wstring DelayKey(const wchar_t* categoryPrefix);

std::wstring ReadProperty(const std::wstring& key, const wchar_t* defaultValue);
// Written as a signed decimal integer, to the file name the settings dialog has always used.
bool WriteProperty(const std::wstring& key, int value);

}  // namespace settings
