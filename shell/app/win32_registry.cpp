#include "win32_registry.h"

#include <windows.h>

#include <string>

namespace wrenquil {
namespace {

static_assert(sizeof(RegKey) == sizeof(HKEY));

HKEY ToHkey(RegKey key) {
    return reinterpret_cast<HKEY>(key);
}
RegKey FromHkey(HKEY key) {
    return reinterpret_cast<RegKey>(key);
}

// Value names are ASCII.
std::wstring Wide(const std::string& name) {
    return std::wstring(name.begin(), name.end());
}

// RegQueryValueExA or RegQueryValueExW, with the size and type passed through.
template <typename Char>
RegStatus Query(LONG(WINAPI* query)(HKEY, const Char*, DWORD*, DWORD*, BYTE*, DWORD*), RegKey key,
                const Char* name, std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) {
    DWORD valueType = 0;
    DWORD valueSize = size ? *size : 0;
    const LONG status =
        query(ToHkey(key), name, nullptr, &valueType, data, size ? &valueSize : nullptr);
    if (type) {
        *type = valueType;
    }
    if (size) {
        *size = valueSize;
    }
    return status;
}

} // namespace

RegStatus Win32Registry::OpenKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                                 RegKey* key) {
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExA(ToHkey(parent), subKey.c_str(), 0, access, &opened);
    *key = FromHkey(opened);
    return status;
}

RegStatus Win32Registry::CreateKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                                   RegKey* key) {
    HKEY created = nullptr;
    const LONG status =
        RegCreateKeyExA(ToHkey(parent), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                        nullptr, &created, nullptr);
    *key = FromHkey(created);
    return status;
}

RegStatus Win32Registry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                    std::uint8_t* data, std::uint32_t* size) {
    return Query(RegQueryValueExA, key, name.c_str(), type, data, size);
}

RegStatus Win32Registry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                                  const std::uint8_t* data, std::uint32_t size) {
    return RegSetValueExA(ToHkey(key), name.c_str(), 0, type, data, size);
}

RegStatus Win32Registry::QueryValueAsStored(RegKey key, const std::string& name,
                                            std::uint32_t* type, std::uint8_t* data,
                                            std::uint32_t* size) {
    return Query(RegQueryValueExW, key, Wide(name).c_str(), type, data, size);
}

RegStatus Win32Registry::SetValueAsStored(RegKey key, const std::string& name, std::uint32_t type,
                                          const std::uint8_t* data, std::uint32_t size) {
    return RegSetValueExW(ToHkey(key), Wide(name).c_str(), 0, type, data, size);
}

RegStatus Win32Registry::DeleteValue(RegKey key, const std::string& name) {
    return RegDeleteValueA(ToHkey(key), name.c_str());
}

RegStatus Win32Registry::CloseKey(RegKey key) {
    return RegCloseKey(ToHkey(key));
}

} // namespace wrenquil
