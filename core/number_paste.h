// How a paste into the mobile number box fits its character limit: a number is never cut.
#pragma once

#include "code_page.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace wrenquil {

// What goes in place of the box's selection when `pasted` is pasted, `keptLength` being the
// number of characters of the box's text outside the selection: the pasted text as it is when
// the whole then fits in `limit` characters, else the pasted text without its blanks and
// separators when that fits, else nothing: the paste is refused and the box keeps its text.
// Line breaks are always dropped, as a one-line box cannot hold them; pasting nothing only
// removes the selection. Characters, not bytes: a character of the code page may take two.
std::optional<std::string> FitPastedNumber(std::string_view pasted, std::size_t keptLength,
                                           std::size_t limit, IsLeadByte isLead);

} // namespace wrenquil
