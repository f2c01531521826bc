// An in-memory registry with Windows' rules for the calls the settings store makes: key and
// value names without regard to case, a buffer too small answered with the size needed, and
// keys that can be made unwritable. Data is kept as given: converting text through the code
// page is left to the tests on Wine's own registry. It counts open handles, so tests can check
// that every key is closed again.
#pragma once

#include "core/settings/registry_api.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace wrenquil {

class MemoryRegistry final : public RegistryApi {
public:
    using Value = std::pair<std::uint32_t, std::vector<std::uint8_t>>; // its type and bytes

    RegStatus OpenKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                      RegKey* key) override {
        return Open(parent, subKey, access, false, key);
    }
    RegStatus CreateKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                        RegKey* key) override {
        return Open(parent, subKey, access, true, key);
    }
    RegStatus QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* size) override {
        const auto value = values_.find(ValuePath(key, name));
        if (value == values_.end()) {
            return REG_NOT_FOUND;
        }
        const auto& [valueType, bytes] = value->second;
        const bool fits = *size >= bytes.size();
        if (type) {
            *type = valueType;
        }
        std::copy_n(bytes.begin(), data && fits ? bytes.size() : 0, data);
        *size = static_cast<std::uint32_t>(bytes.size());
        return data && !fits ? REG_MORE_DATA : REG_SUCCESS;
    }
    RegStatus SetValue(RegKey key, const std::string& name, std::uint32_t type,
                       const std::uint8_t* data, std::uint32_t size) override {
        values_[ValuePath(key, name)] = {type, std::vector<std::uint8_t>(data, data + size)};
        return REG_SUCCESS;
    }
    RegStatus QueryValueAsStored(RegKey key, const std::string& name, std::uint32_t* type,
                                 std::uint8_t* data, std::uint32_t* size) override {
        return QueryValue(key, name, type, data, size);
    }
    RegStatus SetValueAsStored(RegKey key, const std::string& name, std::uint32_t type,
                               const std::uint8_t* data, std::uint32_t size) override {
        return SetValue(key, name, type, data, size);
    }
    RegStatus DeleteValue(RegKey key, const std::string& name) override {
        return values_.erase(ValuePath(key, name)) ? REG_SUCCESS : REG_NOT_FOUND;
    }
    RegStatus CloseKey(RegKey key) override { return handles_.erase(key) ? REG_SUCCESS : 6; }

    // Opening this key (e.g. "HKLM\\Software\\...\\Run") with the right to change it fails with
    // access denied, as for a user without administrative rights.
    void DenyWrite(const std::string& path) { denied_.insert(Lower(path)); }
    std::size_t OpenHandleCount() const { return handles_.size(); }
    // A value by its key's whole path ("HKCU\\Software\\..."), as another program would
    // set or find it; putting one creates its key.
    void Put(const std::string& path, const std::string& name, const Value& value) {
        keys_.insert(Lower(path));
        values_[Lower(path + "|" + name)] = value;
    }
    std::optional<Value> Get(const std::string& path, const std::string& name) const {
        const auto value = values_.find(Lower(path + "|" + name));
        return value == values_.end() ? std::nullopt : std::optional(value->second);
    }

private:
    static std::string Lower(std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    }
    // Keys are known by their whole path: creating one does not create the keys above it.
    RegStatus Open(RegKey parent, const std::string& subKey, std::uint32_t access, bool create,
                   RegKey* key) {
        const std::string path = (parent == CURRENT_USER_KEY    ? "hkcu"
                                  : parent == LOCAL_MACHINE_KEY ? "hklm"
                                                                : handles_.at(parent)) +
                                 "\\" + Lower(subKey);
        if (!create && !keys_.count(path)) {
            return REG_NOT_FOUND;
        }
        if ((access & 0x0006) && denied_.count(path)) { // KEY_SET_VALUE or KEY_CREATE_SUB_KEY
            return REG_ACCESS_DENIED;
        }
        keys_.insert(path);
        *key = ++nextHandle_;
        handles_[*key] = path;
        return REG_SUCCESS;
    }
    // The value's lower-case "key path|name".
    std::string ValuePath(RegKey key, const std::string& name) const {
        return handles_.at(key) + "|" + Lower(name);
    }

    // What every Windows installation has.
    std::set<std::string> keys_ = {"hkcu\\software",
                                   "hkcu\\software\\microsoft\\windows\\currentversion\\run",
                                   "hklm\\software\\microsoft\\windows\\currentversion\\run"};
    std::map<std::string, Value> values_;
    std::map<RegKey, std::string> handles_; // the key's lower-case path, from "hkcu" or "hklm"
    std::set<std::string> denied_;
    RegKey nextHandle_ = 0x1000;
};

} // namespace wrenquil
