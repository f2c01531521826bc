// Text in the system's ANSI code page, where a character may take two bytes: a lead byte, then
// a trail byte that can look like anything, a backslash (0x5C) included. Walked from its start,
// so a trail byte is never taken for a character of its own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace wrenquil {

// Whether a byte begins a character of two bytes in the code page (IsDBCSLeadByte on Windows).
using IsLeadByte = bool (*)(unsigned char byte);

// Calls `visit(start, length)` for each character in turn. A lead byte at the very end is a
// character cut in half: its length runs past the end.
template <typename Visit>
void ForEachCharacter(std::string_view text, IsLeadByte isLead, Visit visit) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = isLead(static_cast<unsigned char>(text[at])) ? 2 : 1;
        visit(at, length);
        at += length;
    }
}

std::size_t CharacterCount(std::string_view text, IsLeadByte isLead);
// The longest start of `text`, of at most `bytes` bytes, that holds no character cut in half.
std::string_view WholeCharactersWithin(std::string_view text, std::size_t bytes, IsLeadByte isLead);

// What is shown when a box holds characters the code page has no place for.
std::string NotInCodePageText(const std::string& what);

} // namespace wrenquil
