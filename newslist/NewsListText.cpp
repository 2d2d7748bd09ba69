#include "newslist/NewsListText.h"

#include <ctime>
#include <cwchar>
#include <cwctype>
#include <utility>

#include "framework/platform/Clock.h"

namespace newslist {

namespace {

// The list shows times up to the end of the year 3000 (3000-12-31 23:59:59 UTC) on every platform.
constexpr std::int64_t kLastConvertibleTime = 32535215999;

bool StartsWithNoCase(std::wstring_view text, std::wstring_view lowerPrefix) {
    if (text.size() < lowerPrefix.size()) return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
        if (static_cast<wchar_t>(std::towlower(text[i])) != lowerPrefix[i]) return false;
    }
    return true;
}

// The lower-case name of the tag that starts at text[0] == '<', with whether it is an end tag.
std::wstring TagName(std::wstring_view tag, bool& isEnd) {
    std::size_t i = 1;
    isEnd = i < tag.size() && tag[i] == L'/';
    if (isEnd) ++i;
    std::wstring name;
    while (i < tag.size() && (std::iswalnum(tag[i]) || tag[i] == L':' || tag[i] == L'-')) {
        name += static_cast<wchar_t>(std::towlower(tag[i]));
        ++i;
    }
    return name;
}

bool BreaksLine(const std::wstring& name, bool isEnd) {
    if (name == L"br") return true;
    if (!isEnd) return false;
    static constexpr std::wstring_view blocks[] = {L"p", L"div", L"li", L"tr", L"h1", L"h2", L"h3",
                                                   L"h4", L"h5", L"h6", L"table", L"ul", L"ol"};
    for (std::wstring_view block : blocks) {
        if (name == block) return true;
    }
    return false;
}

// Decodes the character reference at text[0] == '&'; consumed is how many characters it took (1 when
// it is not a reference, which then stands for itself).
std::wstring CharacterReference(std::wstring_view text, std::size_t& consumed) {
    consumed = 1;
    if (text.size() >= 2 && text[1] == L'#') {
        std::size_t i = 2;
        int base = 10;
        if (i < text.size() && (text[i] == L'x' || text[i] == L'X')) {
            base = 16;
            ++i;
        }
        const std::size_t digitsStart = i;
        std::uint32_t code = 0;
        while (i < text.size() && (base == 16 ? std::iswxdigit(text[i]) : std::iswdigit(text[i]))) {
            const wchar_t c = text[i];
            const std::uint32_t digit = std::iswdigit(c) ? c - L'0' : std::towlower(c) - L'a' + 10;
            code = code > 0x10FFFF ? code : code * base + digit;  // stays above the last code point once past it
            ++i;
        }
        if (i == digitsStart) return L"&";
        if (i < text.size() && text[i] == L';') ++i;
        consumed = i;
        if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return L"\uFFFD";
        if (code < 0x10000) return std::wstring(1, static_cast<wchar_t>(code));
        code -= 0x10000;  // UTF-16 code units everywhere, as the titles are
        return {static_cast<wchar_t>(0xD800 + (code >> 10)), static_cast<wchar_t>(0xDC00 + (code & 0x3FF))};
    }
    static constexpr struct {
        std::wstring_view name;
        wchar_t character;
    } named[] = {{L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'}, {L"apos", L'\''}, {L"nbsp", L'\u00A0'}};
    for (const auto& entity : named) {
        if (text.substr(1, entity.name.size()) != entity.name) continue;
        consumed = 1 + entity.name.size();
        if (consumed < text.size() && text[consumed] == L';') ++consumed;
        return std::wstring(1, entity.character);
    }
    return L"&";
}

// Collects text as a browser lays it out: a run of white space in the source becomes one space, none
// at the start or the end of a line; only tags break lines.
class PlainText {
public:
    void Add(wchar_t c) {
        if (c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\f') {
            pendingSpace_ = !text_.empty() && text_.back() != L'\n';
            return;
        }
        if (pendingSpace_) text_ += L' ';
        pendingSpace_ = false;
        text_ += c;
    }
    void Add(std::wstring_view characters) {
        for (const wchar_t c : characters) Add(c);
    }
    void BreakLine() {
        text_ += L'\n';
        pendingSpace_ = false;
    }
    std::wstring Finish() {
        while (!text_.empty() && text_.back() == L'\n') text_.pop_back();
        return std::move(text_);
    }

private:
    std::wstring text_;
    bool pendingSpace_ = false;
};

}  // namespace

std::optional<std::wstring> ListTimeText(std::int64_t publishTime) {
    if (publishTime < 0 || publishTime > kLastConvertibleTime) return std::nullopt;
    std::tm local{};
    if (!platform::ToLocalTime(publishTime, local)) return std::nullopt;
    wchar_t text[128];
    const int length = std::swprintf(text, std::size(text), L"%02d\u6708%02d\u65e5  %02d:%02d", local.tm_mon + 1,
                                     local.tm_mday, local.tm_hour, local.tm_min);
    if (length < 0) return std::wstring();
    return std::wstring(text, static_cast<std::size_t>(length));
}

std::wstring BusyPictureUrl(const std::wstring& picturePath) {
    if (picturePath.empty()) return {};
    std::wstring url = L"file:///";
    for (const wchar_t c : picturePath) {
        if (c == L'\\') {
            url += L'/';
        } else if (c == L' ') {
            url += L"%20";
        } else {
            url += c;
        }
    }
    return url;
}

std::wstring TitlePlainText(std::wstring_view markup) {
    PlainText text;
    std::size_t i = 0;
    while (i < markup.size()) {
        const wchar_t c = markup[i];
        if (c == L'<' && StartsWithNoCase(markup.substr(i), L"<!--")) {
            const std::size_t end = markup.find(L"-->", i + 4);
            i = end == std::wstring_view::npos ? markup.size() : end + 3;
        } else if (c == L'<' && i + 1 < markup.size() &&
                   (std::iswalpha(markup[i + 1]) || markup[i + 1] == L'/' || markup[i + 1] == L'!')) {
            const std::size_t close = markup.find(L'>', i);
            const std::size_t end = close == std::wstring_view::npos ? markup.size() : close + 1;
            bool isEnd = false;
            const std::wstring name = TagName(markup.substr(i, end - i), isEnd);
            i = end;
            if (!isEnd && (name == L"script" || name == L"style")) {
                // Their contents are never text: skip to the end tag.
                const std::wstring endTag = L"</" + name;
                std::size_t at = i;
                while (at < markup.size() && !StartsWithNoCase(markup.substr(at), endTag)) ++at;
                const std::size_t after = markup.find(L'>', at);
                i = after == std::wstring_view::npos ? markup.size() : after + 1;
            } else if (BreaksLine(name, isEnd)) {
                text.BreakLine();
            }
        } else if (c == L'&') {
            std::size_t consumed = 1;
            text.Add(CharacterReference(markup.substr(i), consumed));
            i += consumed;
        } else {
            text.Add(c);
            ++i;
        }
    }
    return text.Finish();
}

}  // namespace newslist
