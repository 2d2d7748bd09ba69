#pragma once
// How the settings dialog shows a Properties value it read from Setting.ini (default "None").
#include <string>

namespace settings {

// A switch (...Show) is ticked only for the exact text "1": a value that never held a valid "0" or "1"
// counts as off, as it does for the pop-up window, so the dialog and the pop-up always agree.
bool CheckBoxStateFromSetting(const std::wstring& text);

// A list's selection: "None" selects nothing, any other text is read as an integer (text without
// digits reads as 0); an index outside the list's itemCount items, -1 included, selects nothing.
// Returns -1 for no selection.
int ListSelectionFromSetting(const std::wstring& text, int itemCount);

}  // namespace settings
