#include "memory_registry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>

namespace wrenquil {
namespace {

constexpr std::uint32_t kKeySetValue = 0x0002;
constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
constexpr RegStatus kRegInvalidHandle = 6;

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::stringstream stream(path);
    std::string part;
    while (std::getline(stream, part, '\\')) {
        if (!part.empty()) {
            parts.push_back(part);
        }
    }
    return parts;
}

bool IsText(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

std::vector<std::uint8_t> Widened(const std::uint8_t* data, std::uint32_t size) {
    std::vector<std::uint8_t> wide;
    for (std::uint32_t i = 0; i < size; ++i) {
        wide.push_back(data[i]);
        wide.push_back(0);
    }
    return wide;
}

std::vector<std::uint8_t> Narrowed(const std::vector<std::uint8_t>& wide) {
    std::vector<std::uint8_t> narrow;
    for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
        narrow.push_back(wide[i + 1] == 0 ? wide[i] : '?');
    }
    return narrow;
}

} // namespace

bool MemoryRegistry::NoCaseLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}

MemoryRegistry::MemoryRegistry() {
    currentUser_.path = "HKCU";
    localMachine_.path = "HKLM";
    // What every Windows installation has.
    RegKey key = 0;
    Open(kCurrentUserKey, "Software", kKeyReadWrite, true, &key);
    CloseKey(key);
    for (const RegKey root : {kLocalMachineKey, kCurrentUserKey}) {
        Open(root, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", kKeyReadWrite, true, &key);
        CloseKey(key);
    }
}

void MemoryRegistry::DenyWrite(const std::string& path) {
    deniedWrites_.insert(path);
}

MemoryRegistry::Handle* MemoryRegistry::Find(RegKey key) {
    const auto it = handles_.find(key);
    return it == handles_.end() ? nullptr : &it->second;
}

RegStatus MemoryRegistry::Open(RegKey parent, const std::string& subKey, std::uint32_t access,
                               bool create, RegKey* key) {
    auto fail = [&](RegStatus status) {
        *key = 0;
        return status;
    };
    Key* node = parent == kCurrentUserKey    ? &currentUser_
                : parent == kLocalMachineKey ? &localMachine_
                : Find(parent)               ? Find(parent)->key
                                             : nullptr;
    if (node == nullptr) {
        return fail(kRegInvalidHandle);
    }
    for (const std::string& part : SplitPath(subKey)) {
        auto& child = node->subKeys[part];
        if (!child) {
            if (!create) {
                node->subKeys.erase(part);
                return fail(kRegNotFound);
            }
            child = std::make_unique<Key>();
            child->path = node->path + "\\" + part;
        }
        node = child.get();
    }
    if ((access & (kKeySetValue | kKeyCreateSubKey)) && deniedWrites_.count(node->path)) {
        return fail(kRegAccessDenied);
    }
    *key = ++nextHandle_;
    handles_[*key] = Handle{node, access};
    return kRegSuccess;
}

RegStatus MemoryRegistry::OpenKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                                  RegKey* key) {
    return Open(parent, subKey, access, false, key);
}

RegStatus MemoryRegistry::CreateKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                                    RegKey* key) {
    return Open(parent, subKey, access, true, key);
}

RegStatus MemoryRegistry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                     std::uint8_t* data, std::uint32_t* size) {
    return Query(key, name, false, type, data, size);
}

RegStatus MemoryRegistry::QueryValueAsStored(RegKey key, const std::string& name,
                                             std::uint32_t* type, std::uint8_t* data,
                                             std::uint32_t* size) {
    return Query(key, name, true, type, data, size);
}

RegStatus MemoryRegistry::Query(RegKey key, const std::string& name, bool asStored,
                                std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) {
    Handle* handle = Find(key);
    if (handle == nullptr) {
        return kRegInvalidHandle;
    }
    const auto it = handle->key->values.find(name);
    if (it == handle->key->values.end()) {
        return kRegNotFound;
    }
    const Value value = asStored || !IsText(it->second.type)
                            ? it->second
                            : Value{it->second.type, Narrowed(it->second.data)};
    const auto length = static_cast<std::uint32_t>(value.data.size());
    if (type) {
        *type = value.type;
    }
    if (data != nullptr) {
        if (size == nullptr) {
            return 998; // ERROR_NOACCESS, as Windows answers a buffer without a size
        }
        if (*size < length) {
            *size = length;
            return kRegMoreData;
        }
        std::copy(value.data.begin(), value.data.end(), data);
    }
    if (size) {
        *size = length;
    }
    return kRegSuccess;
}

RegStatus MemoryRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                                   const std::uint8_t* data, std::uint32_t size) {
    return Set(key, name, false, type, data, size);
}

RegStatus MemoryRegistry::SetValueAsStored(RegKey key, const std::string& name, std::uint32_t type,
                                           const std::uint8_t* data, std::uint32_t size) {
    return Set(key, name, true, type, data, size);
}

RegStatus MemoryRegistry::Set(RegKey key, const std::string& name, bool asStored,
                              std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
    Handle* handle = Find(key);
    if (handle == nullptr) {
        return kRegInvalidHandle;
    }
    if (!(handle->access & kKeySetValue)) {
        return kRegAccessDenied;
    }
    handle->key->values[name] =
        Value{type, asStored || !IsText(type) ? std::vector<std::uint8_t>(data, data + size)
                                              : Widened(data, size)};
    return kRegSuccess;
}

RegStatus MemoryRegistry::DeleteValue(RegKey key, const std::string& name) {
    Handle* handle = Find(key);
    if (handle == nullptr) {
        return kRegInvalidHandle;
    }
    if (!(handle->access & kKeySetValue)) {
        return kRegAccessDenied;
    }
    return handle->key->values.erase(name) ? kRegSuccess : kRegNotFound;
}

RegStatus MemoryRegistry::CloseKey(RegKey key) {
    return handles_.erase(key) ? kRegSuccess : kRegInvalidHandle;
}

} // namespace wrenquil
