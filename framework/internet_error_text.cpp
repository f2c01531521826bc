#include "internet_error_text.h"

#include <wininet.h>

#include <algorithm>
#include <memory>
#include <type_traits>
#include <vector>

namespace wrenquil {
namespace {

constexpr DWORD BUFFER_SIZE = 1024;
constexpr DWORD LANGUAGE = MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT);

struct ModuleFreer {
    void operator()(HMODULE module) const noexcept { FreeLibrary(module); }
};
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFreer>;

std::string Format(DWORD source, HMODULE module, DWORD code) {
    char buffer[BUFFER_SIZE];
    const DWORD length = FormatMessageA(source | FORMAT_MESSAGE_IGNORE_INSERTS, module, code,
                                        LANGUAGE, buffer, BUFFER_SIZE, nullptr);
    return std::string(buffer, length);
}

std::string WinInetText(DWORD code) {
    // As a data file: only its message table is wanted, none of its code runs.
    const Module wininet(LoadLibraryExA("WININET.DLL", nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!wininet) {
        return {};
    }
    return Format(FORMAT_MESSAGE_FROM_HMODULE, wininet.get(), code);
}

std::string LastResponseText() {
    std::vector<char> buffer(BUFFER_SIZE);
    DWORD error = 0;
    DWORD length = BUFFER_SIZE;
    if (!InternetGetLastResponseInfoA(&error, buffer.data(), &length)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            return {};
        }
        buffer.resize(length + 1);
        length = static_cast<DWORD>(buffer.size());
        if (!InternetGetLastResponseInfoA(&error, buffer.data(), &length)) {
            return {};
        }
    }
    return std::string(buffer.data(), length);
}

} // namespace

std::string InternetErrorText(DWORD code) {
    std::string text;
    if (code == ERROR_INTERNET_EXTENDED_ERROR) {
        text = LastResponseText();
    } else {
        text = WinInetText(code);
        if (text.empty()) {
            text = Format(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
        }
    }
    if (text.empty()) {
        return "error " + std::to_string(code);
    }
    // At most 1023 bytes, and never half a character of the code page.
    const char* end = text.c_str();
    for (const char* next = ::CharNextA(end);
         next != end && next - text.c_str() < static_cast<std::ptrdiff_t>(BUFFER_SIZE);
         next = ::CharNextA(end)) {
        end = next;
    }
    text.resize(static_cast<std::size_t>(end - text.c_str()));
    return text;
}

} // namespace wrenquil
