// The application name, as derived from the program file's path: its name without directory
// and last extension. Portable, so its rule is tested natively too.
#pragma once

#include <string>
#include <string_view>

namespace wrenquil {

// Walked character by character (`isLead` tells a byte that begins a character of two), so a
// trail byte that looks like a backslash never ends a directory. A blank after the last dot
// means there is no extension, as the shell's path functions read it.
template <typename IsLead>
std::string ApplicationNameFromPath(std::string_view path, IsLead isLead) {
    std::size_t name = 0;
    std::size_t extension = std::string_view::npos;
    for (std::size_t at = 0; at < path.size();) {
        const char c = path[at];
        if (isLead(static_cast<unsigned char>(c))) {
            at += 2;
            continue;
        }
        if (c == '\\' || c == '/' || c == ':') {
            name = at + 1;
            extension = std::string_view::npos;
        } else if (c == ' ') {
            extension = std::string_view::npos;
        } else if (c == '.') {
            extension = at;
        }
        ++at;
    }
    return std::string(path.substr(
        name, extension == std::string_view::npos ? std::string_view::npos : extension - name));
}

} // namespace wrenquil
