#include "number_paste.h"

namespace wrenquil {
namespace {

// The text without the characters of one byte in `dropped`; a trail byte is never one.
std::string WithoutAny(std::string_view text, std::string_view dropped, IsLeadByte isLead) {
    std::string kept;
    ForEachCharacter(text, isLead, [&](std::size_t start, std::size_t length) {
        if (length > 1 || dropped.find(text[start]) == std::string_view::npos) {
            kept += text.substr(start, length);
        }
    });
    return kept;
}

} // namespace

std::optional<std::string> FitPastedNumber(std::string_view pasted, std::size_t keptLength,
                                           std::size_t limit, IsLeadByte isLead) {
    const std::string candidates[] = {WithoutAny(pasted, "\r\n", isLead),
                                      WithoutAny(pasted, " \t-.()/\r\n", isLead)};
    for (const std::string& candidate : candidates) {
        // An empty paste may only shorten the text.
        if (candidate.empty() || keptLength + CharacterCount(candidate, isLead) <= limit) {
            return candidate;
        }
    }
    return std::nullopt;
}

} // namespace wrenquil
