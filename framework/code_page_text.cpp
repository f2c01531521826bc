#include "code_page_text.h"

namespace wrenquil {

std::optional<std::string> InCodePage(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    // UTF-8 has a place for everything, and takes no flags.
    const bool utf8 = ::GetACP() == CP_UTF8;
    BOOL lost = FALSE;
    const auto convert = [&](char* out, int size) {
        return ::WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, text.data(),
                                     static_cast<int>(text.size()), out, size, nullptr,
                                     utf8 ? nullptr : &lost);
    };
    std::string converted(static_cast<std::size_t>(convert(nullptr, 0)), '\0');
    convert(converted.data(), static_cast<int>(converted.size()));
    if (lost || converted.empty()) {
        return std::nullopt;
    }
    return converted;
}

std::wstring FromCodePage(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                              static_cast<int>(wide.size()))));
    return wide;
}

} // namespace wrenquil
