// The version check as a process runs it: this program, started again with "--run-version-check" in a
// folder of its own, reads the version page from a local web server that Setting.ini's WebSite names and,
// when an update is offered, shows the prompt over a window that stands in for the main window.
// The parent watches for the prompt, answers it, and checks the exit code, the prompt's owner and Setting.ini.
#include <gtest/gtest.h>

#include "LocalWebServer.h"  // winsock2.h before windows.h

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "app/VersionCheck.h"
#include "settings/SettingsFile.h"
#include "settings/StartWithWindows.h"
#include "tests/core/support/TempWorkingDirectory.h"

namespace {

constexpr int kReturnedNormally = 3;
constexpr int kPromptAnswered = 4;
constexpr const wchar_t* kOwnerTitle = L"Corvane owner";
constexpr const wchar_t* kLinkFileVariable = L"CORVANE_TEST_LINK_FILE";
constexpr const wchar_t* kHttpOpenCommand = L"Software\\Classes\\http\\shell\\open\\command";

const std::string kPage = "<html><body>Corvane <version>1.0.1</version> at <serverip>10.1.2.3</serverip>:"
                          "<port> 15600</port></body></html>";

struct CheckRun {
    DWORD exitCode = 0;
    std::optional<std::wstring> promptText;     // the prompt's text, when one was shown
    std::optional<std::wstring> promptCaption;
    std::wstring promptOwner;                   // the title of the window that owns it
};

std::wstring WindowText(HWND window) {
    wchar_t text[256] = {};
    DWORD_PTR ignored;
    SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &ignored);
    return text;
}

// Runs the check in a second process in the current folder; a prompt is answered with `answer`.
CheckRun RunCheckProcess(int answer) {
    const std::wstring program = settings::ProgramPath();
    std::wstring commandLine = L"\"" + program + L"\" --run-version-check";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CheckRun run;
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        ADD_FAILURE() << "cannot start the checking process";
        return run;
    }
    const DWORD started = GetTickCount();
    while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
        if (GetTickCount() - started > 30000) {
            ADD_FAILURE() << "the checking process did not end";
            TerminateProcess(process.hProcess, 99);
            break;
        }
        HWND prompt = FindWindowW(L"#32770", L"Ondrix");
        if (!prompt || run.promptText) continue;
        run.promptCaption = WindowText(prompt);
        run.promptText = WindowText(GetDlgItem(prompt, 0xFFFF));
        if (HWND owner = GetWindow(prompt, GW_OWNER)) run.promptOwner = WindowText(owner);
        PostMessageW(prompt, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return run;
}

std::string FileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Setting.ini as text, whichever encoding the platform chose for it.
std::wstring SettingsFileText() {
    const std::string bytes = FileBytes("Setting.ini");
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    return std::wstring(bytes.begin(), bytes.end());
}

void PointWebSiteAt(unsigned short port) {
    settings::WriteString(settings::kConnection, L"WebSite", L"http://127.0.0.1:" + std::to_wstring(port));
}

// Links handed to the shell's http handler are written to a file instead of opening a browser.
class ShellLinkRecorder {
public:
    explicit ShellLinkRecorder(const std::filesystem::path& file) : file_(file) {
        SetEnvironmentVariableW(kLinkFileVariable, file.c_str());
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kHttpOpenCommand, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        wchar_t previous[1024] = {};
        DWORD bytes = sizeof previous - sizeof(wchar_t);
        if (RegQueryValueExW(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(previous), &bytes) ==
            ERROR_SUCCESS)
            previous_ = previous;
        Set(L"\"" + settings::ProgramPath() + L"\" --record-link \"%1\"");
    }
    ~ShellLinkRecorder() {
        if (previous_) Set(*previous_);
        RegCloseKey(key_);
        SetEnvironmentVariableW(kLinkFileVariable, nullptr);
    }

    // The recorded link, waiting a little for the handler to run.
    std::string Link() const {
        for (int i = 0; i < 100 && !std::filesystem::exists(file_); ++i) Sleep(50);
        Sleep(100);
        return std::filesystem::exists(file_) ? FileBytes(file_) : "";
    }

private:
    void Set(const std::wstring& command) {
        RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }

    std::filesystem::path file_;
    HKEY key_ = nullptr;
    std::optional<std::wstring> previous_;
};

class VersionCheck : public ::testing::Test {
protected:
    TempWorkingDirectory folder;
};

TEST_F(VersionCheck, SameVersionStoresServerAndPortAndShowsNothing) {
    const struct {
        const char* what;
        const wchar_t* installed;  // nullptr: no Version key
        std::string page;
    } cases[] = {
        {"no Version key, page 1.0.1", nullptr, kPage},
        {"installed equals the page's text", L"2.5.0-Beta x", "<version>2.5.0-Beta x</version><serverip>10.1.2.3"
                                                               "</serverip><port> 15600</port>"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove("Setting.ini");
        LocalWebServer server(200, c.page);
        PointWebSiteAt(server.Port());
        if (c.installed) settings::WriteString(settings::kConnection, L"Version", c.installed);

        const CheckRun run = RunCheckProcess(IDOK);
        EXPECT_EQ(run.exitCode, static_cast<DWORD>(kReturnedNormally)) << c.what;
        EXPECT_FALSE(run.promptText.has_value()) << c.what;
        const std::wstring ini = SettingsFileText();
        EXPECT_NE(ini.find(L"Server=10.1.2.3"), std::wstring::npos) << c.what;
        // The page's " 15600" is handed over as it is (see the parsing tests); Wine's profile functions
        // drop leading blanks of a written value, Windows keeps them.
        EXPECT_TRUE(ini.find(L"Port= 15600") != std::wstring::npos || ini.find(L"Port=15600") != std::wstring::npos)
            << c.what;

        const std::vector<std::string> requests = server.Requests();
        ASSERT_EQ(requests.size(), 1u) << c.what;
        EXPECT_EQ(requests[0].rfind("GET /version.html HTTP/1.1\r\n", 0), 0u) << requests[0];
        const std::wstring name = settings::ApplicationName();  // ASCII: the test program's name
        EXPECT_NE(requests[0].find("User-Agent: " + std::string(name.begin(), name.end()) + "\r\n"),
                  std::string::npos)
            << requests[0];
    }
}

TEST_F(VersionCheck, NewerVersionPromptsOverTheOwnerAndOnlyOkOpensTheHomePage) {
    for (const int answer : {IDOK, IDCANCEL}) {
        std::filesystem::remove("Setting.ini");
        const std::filesystem::path linkFile = folder.Path() / "link.txt";
        std::filesystem::remove(linkFile);
        ShellLinkRecorder recorder(linkFile);
        LocalWebServer server(200, kPage);
        PointWebSiteAt(server.Port());
        settings::WriteString(settings::kConnection, L"Version", L"1.0.0");

        const CheckRun run = RunCheckProcess(answer);
        const char* button = answer == IDOK ? "OK" : "Cancel";
        EXPECT_EQ(run.exitCode, static_cast<DWORD>(kPromptAnswered)) << button;
        EXPECT_EQ(run.promptText, L"您的版本过低，点击确定下载最新版本") << button;
        EXPECT_EQ(run.promptCaption, L"Ondrix") << button;
        EXPECT_EQ(run.promptOwner, kOwnerTitle) << button;
        EXPECT_NE(SettingsFileText().find(L"Server=10.1.2.3"), std::wstring::npos) << button;
        const std::string homePage = "http://127.0.0.1:" + std::to_string(server.Port()) + "/";
        EXPECT_EQ(recorder.Link(), answer == IDOK ? homePage : "") << button;
    }
}

TEST_F(VersionCheck, BrokenOrMissingPageChangesNothing) {
    const std::string kStored = "[Connection]\r\nServer=192.168.0.9\r\nPort=15500\r\nVersion=0.9\r\n";
    const unsigned short noServer = LocalWebServer::UnusedPort();
    const struct {
        const char* what;
        int status;  // 0: no server at all; -1: the connection breaks while the body is read
        std::string body;
    } cases[] = {
        {"a page without tags", 200, "<html><body>Welcome to the hotel network</body></html>"},
        {"reversed tags", 200, "</version>2<version><serverip>10.1.2.3</serverip><port>1</port>"},
        {"a 404 page, even with tags", 404, kPage},
        {"a server error", 500, kPage},
        {"no server at all", 0, ""},
        {"a connection that breaks during the read", -1, kPage},
    };
    for (const auto& c : cases) {
        std::optional<LocalWebServer> server;
        if (c.status > 0) server.emplace(c.status, c.body);
        if (c.status < 0) server.emplace(c.body, c.body.size() + 5000);
        std::ofstream("Setting.ini", std::ios::binary | std::ios::trunc) << kStored;
        PointWebSiteAt(server ? server->Port() : noServer);
        const std::string before = FileBytes("Setting.ini");

        const CheckRun run = RunCheckProcess(IDOK);
        EXPECT_EQ(run.exitCode, static_cast<DWORD>(kReturnedNormally)) << c.what;
        EXPECT_FALSE(run.promptText.has_value()) << c.what;
        EXPECT_EQ(FileBytes("Setting.ini"), before) << c.what;
        if (server) {
            EXPECT_EQ(server->Requests().size(), 1u) << c.what;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--run-version-check") {
        if (!RunVersionCheck()) return kReturnedNormally;
        HWND owner = CreateWindowExW(0, L"STATIC", kOwnerTitle, WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr,
                                     nullptr, nullptr, nullptr);
        PromptOutdatedVersion(owner);
        DestroyWindow(owner);
        return kPromptAnswered;
    }
    if (argc == 3 && std::string(argv[1]) == "--record-link") {
        wchar_t file[MAX_PATH] = {};
        GetEnvironmentVariableW(kLinkFileVariable, file, MAX_PATH);
        std::ofstream(file, std::ios::binary) << argv[2];
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
