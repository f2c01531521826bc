#include "number_paste.h"

#include <algorithm>
#include <iterator>

namespace wrenquil {
namespace {

std::string WithoutAny(std::string_view text, std::string_view dropped) {
    std::string kept;
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept),
                 [&](char c) { return dropped.find(c) == std::string_view::npos; });
    return kept;
}

} // namespace

std::optional<std::string> FitPastedNumber(std::string_view pasted, std::size_t keptLength,
                                           std::size_t limit) {
    const std::string candidates[] = {WithoutAny(pasted, "\r\n"),
                                      WithoutAny(pasted, " \t-.()/\r\n")};
    for (const std::string& candidate : candidates) {
        if (candidate.empty() || keptLength + candidate.size() <= limit) { // may only shorten
            return candidate;
        }
    }
    return std::nullopt;
}

} // namespace wrenquil
