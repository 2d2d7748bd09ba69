#pragma once
// Reads an extended dialog template (DLGTEMPLATEEX and its items) from the module's resources as
// the resource compiler wrote it, before any window changes a style.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

struct TemplateItem {
    DWORD style = 0, exStyle = 0;
    int id = 0;
    short x = 0, y = 0, width = 0, height = 0;
    std::wstring className;  // predefined classes by name: "Button", "Static", "ComboBox" ...
    std::wstring text;       // an ordinal (the icon of an icon static) as "#128"
};

struct DialogTemplate {
    DWORD style = 0, exStyle = 0;
    short width = 0, height = 0;
    std::wstring caption;
    WORD pointSize = 0, weight = 0;
    std::wstring typeface;
    std::vector<TemplateItem> items;
};

class TemplateCursor {
public:
    TemplateCursor(const BYTE* data, size_t size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }

    template <typename T>
    T Read() {
        T value{};
        if (at_ + sizeof(T) > size_) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, data_ + at_, sizeof(T));
        at_ += sizeof(T);
        return value;
    }

    std::wstring ReadString() {
        std::wstring text;
        for (wchar_t c = Read<WORD>(); ok_ && c != 0; c = Read<WORD>()) text += c;
        return text;
    }

    // A name or an ordinal: 0 for none, 0xFFFF followed by the ordinal, or a string.
    std::wstring ReadNameOrOrdinal() {
        WORD first = Read<WORD>();
        if (first == 0) return {};
        if (first == 0xFFFF) return L"#" + std::to_wstring(Read<WORD>());
        at_ -= sizeof(WORD);
        return ReadString();
    }

    void Skip(size_t bytes) {
        if (at_ + bytes > size_) ok_ = false;
        at_ = ok_ ? at_ + bytes : size_;
    }
    void AlignToDword() { Skip((4 - at_ % 4) % 4); }

private:
    const BYTE* data_;
    size_t size_;
    size_t at_ = 0;
    bool ok_ = true;
};

inline std::wstring PredefinedClassName(const std::wstring& name) {
    static const wchar_t* const names[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox"};
    for (int ordinal = 0x80; ordinal <= 0x85; ++ordinal)
        if (name == L"#" + std::to_wstring(ordinal)) return names[ordinal - 0x80];
    return name;
}

inline std::optional<DialogTemplate> ReadDialogTemplate(int id) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    if (!loaded) return std::nullopt;
    TemplateCursor in(static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(nullptr, found));
    if (in.Read<WORD>() != 1 || in.Read<WORD>() != 0xFFFF) return std::nullopt;  // not the extended form
    DialogTemplate dialog;
    in.Read<DWORD>();  // help id
    dialog.exStyle = in.Read<DWORD>();
    dialog.style = in.Read<DWORD>();
    WORD count = in.Read<WORD>();
    in.Read<short>();  // x
    in.Read<short>();  // y
    dialog.width = in.Read<short>();
    dialog.height = in.Read<short>();
    in.ReadNameOrOrdinal();  // menu
    in.ReadNameOrOrdinal();  // window class
    dialog.caption = in.ReadString();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = in.Read<WORD>();
        dialog.weight = in.Read<WORD>();
        in.Read<BYTE>();  // italic
        in.Read<BYTE>();  // character set
        dialog.typeface = in.ReadString();
    }
    for (WORD i = 0; i < count && in.ok(); ++i) {
        in.AlignToDword();
        TemplateItem item;
        in.Read<DWORD>();  // help id
        item.exStyle = in.Read<DWORD>();
        item.style = in.Read<DWORD>();
        item.x = in.Read<short>();
        item.y = in.Read<short>();
        item.width = in.Read<short>();
        item.height = in.Read<short>();
        item.id = static_cast<int>(in.Read<DWORD>());
        item.className = PredefinedClassName(in.ReadNameOrOrdinal());
        item.text = in.ReadNameOrOrdinal();
        in.Skip(in.Read<WORD>());  // creation data
        dialog.items.push_back(item);
    }
    if (!in.ok()) return std::nullopt;
    return dialog;
}
