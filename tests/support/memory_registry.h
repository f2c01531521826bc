// An in-memory registry with Windows' semantics for the calls the settings store makes. Text
// values are held in UTF-16 as Windows holds them; the ANSI calls see them through a code page
// that carries the first 256 characters only, the rest becoming "?". It counts open handles, so
// tests can check that every handle was closed again.
#pragma once

#include "core/settings/registry_api.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace wrenquil {

class MemoryRegistry final : public RegistryApi {
public:
    MemoryRegistry();

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

    // Opening or creating this key (e.g. "HKLM\\SOFTWARE\\...\\Run") with the right to set
    // values fails with access denied, as for a user without administrative rights.
    void DenyWrite(const std::string& path);

    std::size_t OpenHandleCount() const { return handles_.size(); }

private:
    struct Value {
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    };
    struct NoCaseLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    struct Key {
        std::string path;
        std::map<std::string, std::unique_ptr<Key>, NoCaseLess> subKeys;
        std::map<std::string, Value, NoCaseLess> values;
    };
    struct Handle {
        Key* key;
        std::uint32_t access;
    };

    RegStatus Query(RegKey key, const std::string& name, bool asStored, std::uint32_t* type,
                    std::uint8_t* data, std::uint32_t* size);
    RegStatus Set(RegKey key, const std::string& name, bool asStored, std::uint32_t type,
                  const std::uint8_t* data, std::uint32_t size);
    RegStatus Open(RegKey parent, const std::string& subKey, std::uint32_t access, bool create,
                   RegKey* key);
    Handle* Find(RegKey key);

    Key currentUser_;
    Key localMachine_;
    std::map<RegKey, Handle> handles_;
    std::set<std::string, NoCaseLess> deniedWrites_;
    RegKey nextHandle_ = 0x1000;
};

} // namespace wrenquil
