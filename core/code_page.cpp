#include "code_page.h"

#include <algorithm>

namespace wrenquil {

std::size_t CharacterCount(std::string_view text, IsLeadByte isLead) {
    std::size_t count = 0;
    ForEachCharacter(text, isLead, [&](std::size_t, std::size_t) { ++count; });
    return count;
}

std::string_view WholeCharactersWithin(std::string_view text, std::size_t bytes,
                                       IsLeadByte isLead) {
    const std::size_t limit = std::min(bytes, text.size());
    std::size_t end = 0;
    ForEachCharacter(text, isLead, [&](std::size_t start, std::size_t length) {
        end = start + length <= limit ? start + length : end;
    });
    return text.substr(0, end);
}

std::string NotInCodePageText(const std::string& what) {
    return "The " + what +
           " holds characters that this computer's code page for programs that are not "
           "Unicode has no place for, so it cannot be sent or stored as it is. Nothing was "
           "changed: write them otherwise and try again.";
}

} // namespace wrenquil
