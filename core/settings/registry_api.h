// The registry calls the settings store makes, one virtual per Win32 call with the same
// meaning, so the store's exact sequence of calls runs unchanged over Windows' registry and
// over the in-memory one the tests use.
#pragma once

#include <cstdint>
#include <string>

namespace wrenquil {

using RegKey = std::uintptr_t;
using RegStatus = long;

// The predefined root keys, with the values Windows gives them (sign-extended 32-bit).
inline const RegKey CURRENT_USER_KEY =
    static_cast<RegKey>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000001u)));
inline const RegKey LOCAL_MACHINE_KEY =
    static_cast<RegKey>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000002u)));

inline constexpr RegStatus REG_SUCCESS = 0;       // ERROR_SUCCESS
inline constexpr RegStatus REG_NOT_FOUND = 2;     // ERROR_FILE_NOT_FOUND
inline constexpr RegStatus REG_ACCESS_DENIED = 5; // ERROR_ACCESS_DENIED
inline constexpr RegStatus REG_MORE_DATA = 234;   // ERROR_MORE_DATA

inline constexpr std::uint32_t REG_TYPE_SZ = 1;        // REG_SZ
inline constexpr std::uint32_t REG_TYPE_EXPAND_SZ = 2; // REG_EXPAND_SZ
inline constexpr std::uint32_t REG_TYPE_BINARY = 3;    // REG_BINARY
inline constexpr std::uint32_t REG_TYPE_DWORD = 4;     // REG_DWORD
inline constexpr std::uint32_t REG_TYPE_MULTI_SZ = 7;  // REG_MULTI_SZ

inline constexpr std::uint32_t KEY_ACCESS_READ = 0x20019;           // KEY_READ
inline constexpr std::uint32_t KEY_ACCESS_READ_WRITE = 0x2001F;     // KEY_READ | KEY_WRITE
inline constexpr std::uint32_t KEY_ACCESS_READ_SET_VALUE = 0x2001B; // KEY_READ | KEY_SET_VALUE

class RegistryApi {
public:
    virtual ~RegistryApi() = default;

    // RegOpenKeyExA: opens an existing key.
    virtual RegStatus OpenKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                              RegKey* key) = 0;
    // RegCreateKeyExA with no class, REG_OPTION_NON_VOLATILE and default security: creates the
    // key when it is missing and opens it otherwise.
    virtual RegStatus CreateKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                                RegKey* key) = 0;
    // RegQueryValueExA: with no data buffer, reports the size; with one too small for the
    // value, fails with REG_MORE_DATA and reports the size needed.
    virtual RegStatus QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                 std::uint8_t* data, std::uint32_t* size) = 0;
    // RegSetValueExA
    virtual RegStatus SetValue(RegKey key, const std::string& name, std::uint32_t type,
                               const std::uint8_t* data, std::uint32_t size) = 0;
    // RegQueryValueExW and RegSetValueExW: the data as the registry holds it, text in UTF-16,
    // so a path the ANSI code page cannot carry is copied whole rather than with "?" in it.
    virtual RegStatus QueryValueAsStored(RegKey key, const std::string& name, std::uint32_t* type,
                                         std::uint8_t* data, std::uint32_t* size) = 0;
    virtual RegStatus SetValueAsStored(RegKey key, const std::string& name, std::uint32_t type,
                                       const std::uint8_t* data, std::uint32_t size) = 0;
    // RegDeleteValueA
    virtual RegStatus DeleteValue(RegKey key, const std::string& name) = 0;
    // RegCloseKey
    virtual RegStatus CloseKey(RegKey key) = 0;
};

} // namespace wrenquil
