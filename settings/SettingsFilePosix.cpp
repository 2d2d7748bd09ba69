// Setting.ini for the native build: a small INI reader and writer that keeps the observable rules of the
// platform's private-profile functions (defaults, cut to capacity, creation on first write, names matched
// without regard to case, the file name matched without regard to case as on Windows).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "framework/platform/Files.h"
#include "framework/platform/Text.h"
#include "SettingsFile.h"
#include "SettingsRules.h"

namespace settings {

namespace {

// The platform makes every single read and write one self-contained access; so does this lock, which
// keeps two threads' read-modify-write of the file from losing each other's keys.
std::mutex& FileAccess() {
    static std::mutex access;
    return access;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

std::string_view Trim(std::string_view text) {
    const char* blanks = " \t\r";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// ".\Setting.ini" names the same file as "./setting.ini" or an existing "SETTING.INI".
std::string ResolvePath(const wchar_t* file) {
    std::string path = platform::ToUtf8(file);
    std::replace(path.begin(), path.end(), '\\', '/');
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) return path;
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (SameNameIgnoringCase(entry->d_name, name)) {
                name = entry->d_name;
                break;
            }
        }
        closedir(dir);
    }
    return folder + "/" + name;
}

// The file's lines; none when it does not exist; `failed` when it exists but could not be read whole.
// A file that begins with the UTF-16LE byte-order mark is Unicode for the platform's profile functions
// and stays so; any other is read and written as UTF-8.
struct FileLines {
    bool failed = false;
    bool utf16 = false;
    std::vector<std::string> lines;
};

constexpr std::string_view kUtf16Mark = "\xFF\xFE";

std::string Utf8FromUtf16Bytes(std::string_view bytes) {
    std::wstring text(bytes.size() / 2, L'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) | static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return platform::ToUtf8(text);
}

std::string Utf16BytesFromUtf8(const std::string& utf8) {
    std::string bytes(kUtf16Mark);
    for (wchar_t unit : platform::FromUtf8(utf8)) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return bytes;
}

FileLines ReadLines(const std::string& path) {
    FileLines result;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.failed = errno != ENOENT;  // only a missing file counts as an empty one
        return result;
    }
    std::string text;
    char chunk[4096];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) result.failed = true;
        if (got <= 0) break;
        text.append(chunk, static_cast<std::size_t>(got));
    }
    close(fd);
    if (result.failed) return result;
    result.utf16 = text.starts_with(kUtf16Mark);
    if (result.utf16) text = Utf8FromUtf16Bytes(std::string_view(text).substr(kUtf16Mark.size()));
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        result.lines.push_back(line);
    }
    return result;
}

// The section header's name when the line is one.
std::optional<std::string_view> SectionName(std::string_view line) {
    std::string_view text = Trim(line);
    if (text.empty() || text.front() != '[') return std::nullopt;
    std::size_t close = text.find(']');
    return Trim(text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
    std::string_view text = Trim(line);
    std::size_t equals = text.find('=');
    if (text.empty() || text.front() == ';' || equals == std::string_view::npos) return std::nullopt;
    std::string_view value = Trim(text.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return KeyLine{Trim(text.substr(0, equals)), value};
}

std::optional<std::string> FindValue(const std::vector<std::string>& lines, std::string_view section, std::string_view key) {
    bool inSection = false;
    for (const std::string& line : lines) {
        if (auto name = SectionName(line)) {
            inSection = SameNameIgnoringCase(*name, section);
        } else if (auto entry = ParseKeyLine(line); inSection && entry && SameNameIgnoringCase(entry->key, key)) {
            return std::string(entry->value);
        }
    }
    return std::nullopt;
}

// A file that cannot be read gives every reader its default, as a missing one does.
std::optional<std::string> LookUp(const wchar_t* section, const wchar_t* key, const wchar_t* path) {
    std::lock_guard lock(FileAccess());
    const FileLines file = ReadLines(ResolvePath(path));
    return FindValue(file.lines, platform::ToUtf8(section), platform::ToUtf8(key));
}

void SetValue(std::vector<std::string>& lines, std::string_view section, std::string_view key, const std::string& value) {
    bool inSection = false;
    std::optional<std::size_t> lastLineOfSection;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto name = SectionName(lines[i])) {
            inSection = SameNameIgnoringCase(*name, section);
            if (inSection) lastLineOfSection = i;
            continue;
        }
        if (!inSection) continue;
        if (auto entry = ParseKeyLine(lines[i]); entry && SameNameIgnoringCase(entry->key, key)) {
            lines[i] = std::string(entry->key) + "=" + value;
            return;
        }
        if (!Trim(lines[i]).empty()) lastLineOfSection = i;
    }
    std::string entry = std::string(key) + "=" + value;
    if (lastLineOfSection) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*lastLineOfSection) + 1, entry);
        return;
    }
    if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
    std::string header = "[";
    header.append(section).append("]");
    lines.push_back(std::move(header));
    lines.push_back(entry);
}

// Removes the key's line; false when the section holds no such key.
bool RemoveKey(std::vector<std::string>& lines, std::string_view section, std::string_view key) {
    bool inSection = false;
    for (auto line = lines.begin(); line != lines.end(); ++line) {
        if (auto name = SectionName(*line)) {
            inSection = SameNameIgnoringCase(*name, section);
        } else if (auto entry = ParseKeyLine(*line); inSection && entry && SameNameIgnoringCase(entry->key, key)) {
            lines.erase(line);
            return true;
        }
    }
    return false;
}

bool WriteLines(const std::string& path, const FileLines& file) {
    std::string text;
    for (const std::string& line : file.lines) text += line + "\r\n";
    if (file.utf16) text = Utf16BytesFromUtf8(text);
    return platform::ReplaceFileAtomically(platform::FromUtf8(path),
                                           std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace

std::wstring ReadString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue, std::size_t capacity,
                        const wchar_t* file) {
    if (capacity == 0) return {};
    auto value = LookUp(section, key, file);
    std::wstring text = value ? platform::FromUtf8(*value) : std::wstring(defaultValue ? defaultValue : L"");
    if (text.size() > capacity - 1) text.resize(capacity - 1);
    return text;
}

std::string ReadNarrowString(const wchar_t* section, const wchar_t* key, const char* defaultValue, std::size_t capacity,
                             const wchar_t* file) {
    if (capacity == 0) return {};
    auto value = LookUp(section, key, file);
    std::string text = value ? *value : std::string(defaultValue ? defaultValue : "");
    if (text.size() > capacity - 1) text.resize(capacity - 1);
    return text;
}

unsigned ReadInt(const wchar_t* section, const wchar_t* key, int defaultValue, const wchar_t* file) {
    auto value = LookUp(section, key, file);
    if (!value || value->empty()) return static_cast<unsigned>(defaultValue);
    return static_cast<unsigned>(ParseSettingInt(platform::FromUtf8(*value)));
}

bool WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value, const wchar_t* file) {
    std::lock_guard lock(FileAccess());
    const std::string path = ResolvePath(file);
    FileLines existing = ReadLines(path);
    if (existing.failed) return false;  // writing now would replace keys it could not read
    SetValue(existing.lines, platform::ToUtf8(section), platform::ToUtf8(key), platform::ToUtf8(SingleLineValue(value)));
    return WriteLines(path, existing);
}

bool DeleteKey(const wchar_t* section, const wchar_t* key, const wchar_t* file) {
    std::lock_guard lock(FileAccess());
    const std::string path = ResolvePath(file);
    FileLines existing = ReadLines(path);
    if (existing.failed) return false;
    if (!RemoveKey(existing.lines, platform::ToUtf8(section), platform::ToUtf8(key))) return true;
    return WriteLines(path, existing);
}

// UTF-8 and UTF-16 hold every text.
bool PrepareFor(std::wstring_view, const wchar_t*) { return true; }

}  // namespace settings
