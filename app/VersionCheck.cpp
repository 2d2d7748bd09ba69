#include "app/VersionCheck.h"

#include <windows.h>
#include <wininet.h>

#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

#include "app/VersionPage.h"
#include "newslist/ServerLink.h"
#include "settings/SettingKeys.h"
#include "settings/StartWithWindows.h"

namespace {

class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle() {
        if (handle_) InternetCloseHandle(handle_);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    HINTERNET Get() const { return handle_; }

private:
    HINTERNET handle_;
};

bool IsStatusOk(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof status;
    return HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) &&
           status == HTTP_STATUS_OK;
}

// The first bytes of the body, up to kVersionPageMaxBytes; nothing when a read fails.
std::optional<std::string> ReadPageStart(HINTERNET request) {
    std::string body(kVersionPageMaxBytes, '\0');
    std::size_t received = 0;
    while (received < body.size()) {
        DWORD read = 0;
        if (!InternetReadFile(request, body.data() + received, static_cast<DWORD>(body.size() - received), &read))
            return std::nullopt;
        if (read == 0) break;
        received += read;
    }
    body.resize(received);
    return body;
}

std::wstring FromSystemCodePage(std::string_view text) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// The page the vendor's web host serves now; nothing when it cannot be had whole and well-formed.
std::optional<VersionPage> FetchVersionPage() {
    const InternetHandle internet(
        InternetOpenW(settings::ApplicationName().c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!internet.Get()) return std::nullopt;
    // Always from the server: a cached page could name an old server or version.
    const InternetHandle request(InternetOpenUrlW(internet.Get(), settings::VersionPageUrl().c_str(), nullptr, 0,
                                                  INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!request.Get() || !IsStatusOk(request.Get())) return std::nullopt;
    const std::optional<std::string> body = ReadPageStart(request.Get());
    if (!body) return std::nullopt;
    return ParseVersionPage(FromSystemCodePage(VersionPageText(*body)));
}

}  // namespace

bool RunVersionCheck() {
    const std::optional<VersionPage> page = FetchVersionPage();
    if (!page) return false;
    settings::WriteServerAddress(page->serverAddress);
    settings::WriteServerPort(page->port);
    return OffersUpdate(page->version, settings::ReadInstalledVersion());
}

void PromptOutdatedVersion(HWND owner) {
    if (MessageBoxW(owner, L"您的版本过低，点击确定下载最新版本", L"Ondrix", MB_OKCANCEL | MB_SETFOREGROUND) == IDOK)
        newslist::OpenServerLink(settings::HomePageUrl());
}

void StartVersionCheck(HWND mainWindow, UINT outdatedMessage) {
    // The thread holds copies of its two values only, so it depends on nothing of the window's lifetime;
    // posting to a window destroyed meanwhile fails harmlessly, and the program is ending then anyway.
    try {
        std::thread([mainWindow, outdatedMessage] {
            if (RunVersionCheck()) PostMessageW(mainWindow, outdatedMessage, 0, 0);
        }).detach();
    } catch (const std::system_error&) {
        // No thread, no check: the program runs on as it would without a network.
    }
}
