// What the user typed into a box of a dialog, as the program keeps it.
#pragma once

#include "framework/wnd.h"

#include <optional>
#include <string>

namespace wrenquil {

// The box's text in the code page. When it holds characters the code page has no place for,
// says so over `dialog` (naming the box as `what`), gives the box the focus, and gives none.
std::optional<std::string> BoxText(HWND dialog, CWnd& box, const std::string& what);

} // namespace wrenquil
