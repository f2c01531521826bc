// The settings store's registry calls on Windows' own registry.
#pragma once

#include "core/settings/registry_api.h"

namespace wrenquil {

class Win32Registry final : public RegistryApi {
public:
    RegStatus OpenKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                      RegKey* key) override;
    RegStatus CreateKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                        RegKey* key) override;
    RegStatus QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* size) override;
    RegStatus SetValue(RegKey key, const std::string& name, std::uint32_t type,
                       const std::uint8_t* data, std::uint32_t size) override;
    RegStatus QueryValueAsStored(RegKey key, const std::string& name, std::uint32_t* type,
                                 std::uint8_t* data, std::uint32_t* size) override;
    RegStatus SetValueAsStored(RegKey key, const std::string& name, std::uint32_t type,
                               const std::uint8_t* data, std::uint32_t size) override;
    RegStatus DeleteValue(RegKey key, const std::string& name) override;
    RegStatus CloseKey(RegKey key) override;
};

} // namespace wrenquil
