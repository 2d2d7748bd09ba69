#include "SettingKeys.h"

#include "SettingsFile.h"

namespace settings {

namespace {
constexpr std::size_t kServerCapacity = 256;
constexpr std::size_t kVersionCapacity = 20;
constexpr std::size_t kUrlCapacity = 2048;
constexpr std::size_t kPropertyCapacity = 254;
// Same file as kSettingsFile: the platform compares file names without regard to case.
constexpr const wchar_t* kDialogSettingsFile = L".\\setting.ini";

std::wstring BannerKey(int slot) { return L"url" + std::to_wstring(slot); }
}  // namespace

std::string ReadServerAddress() { return ReadNarrowString(kConnection, L"Server", kDefaultServer, kServerCapacity); }

std::uint16_t ReadServerPort() { return static_cast<std::uint16_t>(ReadInt(kConnection, L"Port", kDefaultPort) & 0xFFFFu); }

std::wstring ReadInstalledVersion() { return ReadString(kConnection, L"Version", kDefaultVersion, kVersionCapacity); }

bool WriteServerAddress(const std::wstring& address) { return WriteString(kConnection, L"Server", address); }

bool WriteServerPort(const std::wstring& port) { return WriteString(kConnection, L"Port", port); }

std::wstring ReadWebSite() {
    std::wstring site = ReadString(kConnection, L"WebSite", L"", kUrlCapacity);
    while (!site.empty() && site.back() == L'/') site.pop_back();
    return site.empty() ? kDefaultWebSite : site;
}

std::wstring VersionPageUrl() { return ReadWebSite() + L"/version.html"; }

std::wstring HomePageUrl() { return ReadWebSite() + L"/"; }

std::wstring ReadBannerUrl(int slot) { return ReadString(kConnection, BannerKey(slot).c_str(), L"", kUrlCapacity); }

bool WriteBannerUrl(int slot, const std::wstring& url) { return WriteString(kConnection, BannerKey(slot).c_str(), url); }

std::wstring ShowKey(const wchar_t* categoryPrefix) { return std::wstring(categoryPrefix) + kShowKey; }

std::wstring DelayKey(const wchar_t* categoryPrefix) { return std::wstring(categoryPrefix) + kDelayKey; }

std::wstring ReadProperty(const std::wstring& key, const wchar_t* defaultValue) {
    return ReadString(kProperties, key.c_str(), defaultValue, kPropertyCapacity);
}

bool WriteProperty(const std::wstring& key, int value) {
    return WriteString(kProperties, key.c_str(), std::to_wstring(value), kDialogSettingsFile);
}

}  // namespace settings
