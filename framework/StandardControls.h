#pragma once
// Bound check boxes and combo boxes with the few operations the dialogs use.
#include <string>

#include "framework/Control.h"

namespace fw {

class CheckBox : public Control {
public:
    // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
    int CheckState() const { return static_cast<int>(SendMessageW(hwnd_, BM_GETCHECK, 0, 0)); }
    void SetCheckState(int state) { SendMessageW(hwnd_, BM_SETCHECK, static_cast<WPARAM>(state), 0); }
    bool IsChecked() const { return CheckState() == BST_CHECKED; }
};

class ComboBox : public Control {
public:
    void AddItem(const std::wstring& text) {
        SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    int ItemCount() const { return static_cast<int>(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)); }
    // The selected item's index, -1 when none is selected.
    int Selection() const { return static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)); }
    // An index outside the list (-1 included) leaves no item selected. (Not every implementation of the
    // control clears the selection for an index past the end, so such an index is passed as -1.)
    void Select(int index) {
        if (index >= ItemCount()) index = -1;
        SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
};

}  // namespace fw
