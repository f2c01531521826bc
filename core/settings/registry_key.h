// A key of the registry the settings are kept in, closed when the object goes.
#pragma once

#include "registry_api.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace wrenquil {

class RegistryKey {
public:
    // An existing key below `parent` (a root key or another key's handle); empty on failure.
    static RegistryKey Open(RegistryApi& registry, RegKey parent, const std::string& path,
                            std::uint32_t access) {
        RegKey handle = 0;
        const bool opened = registry.OpenKey(parent, path, access, &handle) == REG_SUCCESS;
        return opened ? RegistryKey(registry, handle) : RegistryKey();
    }

    RegistryKey() = default;
    RegistryKey(RegistryKey&& other) noexcept
        : registry_(std::exchange(other.registry_, nullptr)), handle_(other.handle_) {}
    RegistryKey& operator=(RegistryKey&& other) noexcept {
        RegistryKey gone(std::move(*this));
        registry_ = std::exchange(other.registry_, nullptr);
        handle_ = other.handle_;
        return *this;
    }
    ~RegistryKey() {
        if (registry_ != nullptr) {
            registry_->CloseKey(handle_);
        }
    }

    explicit operator bool() const { return registry_ != nullptr; }

    // The subkey, made when it is missing; empty on failure.
    RegistryKey Create(const std::string& name, std::uint32_t access) const {
        RegKey handle = 0;
        const bool made = registry_->CreateKey(handle_, name, access, &handle) == REG_SUCCESS;
        return made ? RegistryKey(*registry_, handle) : RegistryKey();
    }

    // A value's bytes, of whatever type; none when it is missing or cannot be read.
    std::optional<std::vector<std::uint8_t>> Bytes(const std::string& name) const {
        std::uint32_t size = 0;
        if (registry_->QueryValue(handle_, name, nullptr, nullptr, &size) != REG_SUCCESS) {
            return std::nullopt;
        }
        std::vector<std::uint8_t> data(size);
        std::uint8_t probe = 0; // a buffer even for an empty value, so the second call reads
        if (registry_->QueryValue(handle_, name, nullptr, size ? data.data() : &probe, &size) !=
            REG_SUCCESS) {
            return std::nullopt;
        }
        data.resize(std::min<std::size_t>(size, data.size()));
        return data;
    }
    // Whatever the type: a value read through a buffer of 4 bytes.
    std::uint32_t Number(const std::string& name, std::uint32_t fallback) const {
        std::uint8_t data[4] = {};
        std::uint32_t size = sizeof data;
        if (registry_->QueryValue(handle_, name, nullptr, data, &size) != REG_SUCCESS) {
            return fallback;
        }
        return data[0] | data[1] << 8 | data[2] << 16 | std::uint32_t{data[3]} << 24;
    }
    bool Set(const std::string& name, std::uint32_t type,
             const std::vector<std::uint8_t>& data) const {
        static const std::uint8_t empty = 0; // RegSetValueExA wants a buffer even for no bytes
        return registry_->SetValue(handle_, name, type, data.empty() ? &empty : data.data(),
                                   static_cast<std::uint32_t>(data.size())) == REG_SUCCESS;
    }

    RegistryApi& Registry() const { return *registry_; }
    RegKey Handle() const { return handle_; }

private:
    RegistryKey(RegistryApi& registry, RegKey handle) : registry_(&registry), handle_(handle) {}

    RegistryApi* registry_ = nullptr;
    RegKey handle_ = 0;
};

} // namespace wrenquil
