// One table of behaviour for Setting.ini, run natively against our INI reader and writer and under Wine
// against the platform's private-profile functions.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "CorvaneVersion.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsFile.h"
#include "tests/core/support/TempWorkingDirectory.h"

using namespace settings;

namespace {

void WriteRawFile(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
}

std::string ReadRawFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int FilesIn(const std::filesystem::path& folder) {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

class SettingsFileTest : public ::testing::Test {
protected:
    TempWorkingDirectory folder;
};

}  // namespace

TEST_F(SettingsFileTest, MissingFileGivesEveryDefault) {
    EXPECT_EQ(ReadServerAddress(), "127.0.0.1");
    EXPECT_EQ(ReadServerPort(), 15500);
    EXPECT_EQ(ReadInstalledVersion(), CORVANE_VERSION_WTEXT) << "the build's own version";
    EXPECT_EQ(ReadBannerUrl(3), L"");
    EXPECT_EQ(ReadProperty(L"HexunGPShow", kNone), L"None");
    EXPECT_EQ(ReadString(kProperties, L"Delay", L"0123456789", 5), L"0123") << "the default is cut to capacity too";
    EXPECT_EQ(FilesIn(folder.Path()), 0) << "reading never creates the file";
}

TEST_F(SettingsFileTest, FirstWriteCreatesFileSectionAndKey) {
    // The platform keeps the file in the system code page, so links from the server are best ASCII.
    ASSERT_TRUE(WriteBannerUrl(2, L"https://example.com/ad?id=7&x=%E5%B9%BF"));
    ASSERT_TRUE(WriteProperty(L"Show", 1));
    EXPECT_EQ(ReadBannerUrl(2), L"https://example.com/ad?id=7&x=%E5%B9%BF");
    EXPECT_EQ(ReadBannerUrl(1), L"");
    EXPECT_EQ(ReadProperty(L"Show", kNone), L"1");
}

TEST_F(SettingsFileTest, RewritingAKeyReplacesItInPlaceAndKeepsTheOthers) {
    WriteServerAddress(L"10.0.0.1");
    WriteServerPort(L"16000");
    WriteProperty(L"Delay", 3);
    WriteServerAddress(L"10.0.0.2");
    WriteProperty(L"Delay", -1);
    EXPECT_EQ(ReadServerAddress(), "10.0.0.2");
    EXPECT_EQ(ReadServerPort(), 16000);
    EXPECT_EQ(ReadProperty(L"Delay", kNone), L"-1");
    std::string text = ReadRawFile("Setting.ini");
    EXPECT_EQ(text.find("10.0.0.1"), std::string::npos);
    EXPECT_EQ(text.find("10.0.0.2"), text.rfind("10.0.0.2")) << "one line per key";
}

TEST_F(SettingsFileTest, NamesMatchWithoutRegardToCaseAndValuesAreTrimmed) {
    WriteRawFile("Setting.ini", "[connection]\r\nSERVER = 10.1.2.3 \r\nport=17000\r\n\r\n[PROPERTIES]\r\nfx168show=1\r\n");
    EXPECT_EQ(ReadServerAddress(), "10.1.2.3");
    EXPECT_EQ(ReadServerPort(), 17000);
    EXPECT_EQ(ReadProperty(L"Fx168Show", kNone), L"1");
    WriteProperty(L"FX168SHOW", 0);
    EXPECT_EQ(ReadProperty(L"Fx168Show", kNone), L"0");
}

TEST_F(SettingsFileTest, ValuesAreCutToCapacity) {
    WriteString(kConnection, L"Version", L"1.0.1-build-2026-12-10-long");
    EXPECT_EQ(ReadInstalledVersion(), L"1.0.1-build-2026-12");
    EXPECT_EQ(ReadInstalledVersion().size(), 19u);
    std::wstring longUrl(3000, L'x');
    WriteBannerUrl(1, longUrl);
    EXPECT_EQ(ReadBannerUrl(1), longUrl.substr(0, 2047));
}

TEST_F(SettingsFileTest, ValueEndsAtItsFirstLineBreakOrNul) {
    // A link from the server must never add or change another key.
    WriteBannerUrl(1, L"https://a.example/\r\nurl2=https://evil.example/");
    WriteBannerUrl(3, std::wstring(L"https://c.example/\0[Connection]", 31));
    WriteString(kConnection, L"Server", L"10.0.0.9\nPort=1");
    EXPECT_EQ(ReadBannerUrl(1), L"https://a.example/");
    EXPECT_EQ(ReadBannerUrl(2), L"");
    EXPECT_EQ(ReadBannerUrl(3), L"https://c.example/");
    EXPECT_EQ(ReadServerAddress(), "10.0.0.9");
    EXPECT_EQ(ReadServerPort(), 15500);
}

TEST_F(SettingsFileTest, IntegerReadingOfThePort) {
    struct Case {
        const char* stored;
        unsigned expected;
    };
    const Case cases[] = {
        {"70000", 70000u}, {" 15", 15u}, {"+21", 21u}, {"12ab", 12u}, {"abc", 0u}, {"None", 0u}, {"-1", 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        WriteRawFile("Setting.ini", std::string("[Connection]\r\nPort=") + c.stored + "\r\n");
        EXPECT_EQ(ReadInt(kConnection, L"Port", 15500), c.expected) << c.stored;
    }
    WriteRawFile("Setting.ini", "[Connection]\r\nPort=70000\r\n");
    EXPECT_EQ(ReadServerPort(), 4464) << "the low 16 bits";
}

TEST_F(SettingsFileTest, DialogFileNameAndReaderFileNameAreOneFile) {
    WriteRawFile("Setting.ini", "[Properties]\r\nShow=0\r\n");
    WriteProperty(L"Show", 1);  // the dialog writes to ".\setting.ini"
    EXPECT_EQ(ReadProperty(L"Show", kNone), L"1");
    EXPECT_EQ(FilesIn(folder.Path()), 1);
}

TEST_F(SettingsFileTest, VendorPagesFollowTheWebSiteKey) {
    EXPECT_EQ(VersionPageUrl(), L"http://corvane.invalid/version.html");
    EXPECT_EQ(HomePageUrl(), L"http://corvane.invalid/");
    const struct {
        const char* file;
        const wchar_t* site;
    } cases[] = {
        {"[Connection]\r\nWebSite=http://127.0.0.1:15580\r\n", L"http://127.0.0.1:15580"},
        {"[Connection]\r\nWebSite=https://news.example/base//\r\n", L"https://news.example/base"},
        {"[Connection]\r\nWebSite=\r\n", L"http://corvane.invalid"},
        {"[Connection]\r\nWebSite=/\r\n", L"http://corvane.invalid"},
    };
    for (const auto& c : cases) {
        WriteRawFile("Setting.ini", c.file);
        EXPECT_EQ(ReadWebSite(), c.site) << c.file;
        EXPECT_EQ(VersionPageUrl(), std::wstring(c.site) + L"/version.html");
    }
}

TEST_F(SettingsFileTest, DeletingAKeyKeepsTheOthers) {
    WriteRawFile("Setting.ini", "[Alerts]\r\nCount=2\r\nRule2=x\r\n[Properties]\r\nRule2=y\r\n");
    EXPECT_TRUE(DeleteKey(L"alerts", L"RULE2"));
    EXPECT_TRUE(DeleteKey(L"Alerts", L"Rule7")) << "a key that is not there is gone too";
    EXPECT_EQ(ReadString(L"Alerts", L"Rule2", L"none", 8), L"none");
    EXPECT_EQ(ReadString(L"Alerts", L"Count", L"", 8), L"2");
    EXPECT_EQ(ReadString(kProperties, L"Rule2", L"", 8), L"y");
}

// A file that begins with the UTF-16LE mark is Unicode: every reader understands it, and a write keeps
// its mark and form.
TEST_F(SettingsFileTest, AUtf16FileStaysUtf16) {
    const std::u16string text = u"[Connection]\r\nServer=10.0.0.7\r\nPort=16000\r\n[Alerts]\r\nRule1=\"美联储 \"加息\"\"\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    WriteRawFile("Setting.ini", bytes);
    EXPECT_EQ(ReadServerAddress(), "10.0.0.7");
    EXPECT_EQ(ReadServerPort(), 16000);
    EXPECT_EQ(ReadString(L"Alerts", L"Rule1", L"", 64), L"美联储 \"加息\"");
    ASSERT_TRUE(WriteString(L"Alerts", L"Rule2", L"欧元"));
    ASSERT_TRUE(WriteServerAddress(L"10.0.0.8"));
    const std::string written = ReadRawFile("Setting.ini");
    ASSERT_TRUE(written.starts_with("\xFF\xFE"));
    EXPECT_NE(written.find(std::string("R\0u\0l\0e\0" "2\0=\0", 12)), std::string::npos) << "every unit in two bytes";
    EXPECT_EQ(ReadString(L"Alerts", L"Rule2", L"", 64), L"欧元");
    EXPECT_EQ(ReadString(L"Alerts", L"Rule1", L"", 64), L"美联储 \"加息\"");
    EXPECT_EQ(ReadServerAddress(), "10.0.0.8");
    EXPECT_EQ(ReadServerPort(), 16000);
}

#ifndef _WIN32
// Only a file that does not exist counts as empty: a write must never replace a file it could not read.
TEST_F(SettingsFileTest, AFileThatCannotBeReadIsNeverReplaced) {
    namespace fs = std::filesystem;
    const struct {
        const char* name;
        std::function<void()> make;
        bool skip;
    } cases[] = {
        {"a link that leads back to itself", [] { fs::create_symlink("Setting.ini", "Setting.ini"); }, false},
        {"a folder in its place", [] { fs::create_directory("Setting.ini"); }, false},
        {"a file without read permission",
         [] {
             WriteRawFile("Setting.ini", "[Connection]\r\nurl1=http://one.test/\r\n");
             fs::permissions("Setting.ini", fs::perms::owner_write);
         },
         geteuid() == 0},  // the superuser reads it anyway
    };
    for (const auto& c : cases) {
        if (c.skip) continue;
        SCOPED_TRACE(c.name);
        c.make();
        const fs::file_status before = fs::symlink_status("Setting.ini");
        EXPECT_FALSE(WriteBannerUrl(2, L"http://two.test/"));
        EXPECT_EQ(ReadBannerUrl(2), L"") << "a reader gets the default";
        EXPECT_EQ(fs::symlink_status("Setting.ini").type(), before.type());
        EXPECT_EQ(FilesIn(folder.Path()), 1) << "no temporary file left";
        fs::remove_all("Setting.ini");
    }
}
#endif
