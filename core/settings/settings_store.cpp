#include "settings_store.h"

#include "core/login_state.h"
#include "hot_key.h"
#include "password.h"
#include "preferences.h"
#include "run_entry.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace wrenquil {
namespace {

using Bytes = std::optional<std::vector<std::uint8_t>>;

// A text value up to its first zero; empty when the value is missing.
std::string TextOf(const Bytes& bytes) {
    if (!bytes) {
        return {};
    }
    return std::string(bytes->begin(), std::find(bytes->begin(), bytes->end(), std::uint8_t{0}));
}

std::string PasswordOf(const Bytes& scrambled) {
    return scrambled ? UnscramblePassword(*scrambled) : std::string();
}

// Without a section every value has its default.
Bytes BytesIn(const RegistryKey& section, const char* name) {
    return section ? section.Bytes(name) : std::nullopt;
}

} // namespace

RegistryKey SettingsStore::OpenSection() const {
    RegistryKey key =
        RegistryKey::Open(registry_, CURRENT_USER_KEY, "software", KEY_ACCESS_READ_WRITE);
    for (const std::string& name :
         {std::string(COMPANY_KEY), applicationName_, std::string(SECTION_NAME)}) {
        if (!key) {
            break;
        }
        key = key.Create(name, KEY_ACCESS_READ_WRITE); // the key above is closed at once
    }
    return key;
}

void SettingsStore::WriteNumber(const char* name, std::uint32_t value) const {
    if (const RegistryKey section = OpenSection()) {
        section.Set(name, REG_TYPE_DWORD,
                    {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                     static_cast<std::uint8_t>(value >> 16),
                     static_cast<std::uint8_t>(value >> 24)});
    }
}

void SettingsStore::WriteString(const char* name, const std::string& value) const {
    if (const RegistryKey section = OpenSection()) {
        section.Set(name, REG_TYPE_SZ,
                    std::vector<std::uint8_t>(value.c_str(), value.c_str() + value.size() + 1));
    }
}

// All the values on one opening of the section: an opening is several registry calls, and this
// runs before the main window is first shown.
void SettingsStore::LoadSettings(Preferences& preferences, LoginState& login) const {
    const RegistryKey section = OpenSection();
    const auto number = [&](const char* name, std::uint32_t fallback) {
        return section ? section.Number(name, fallback) : fallback;
    };
    const auto toSwitch = [](std::uint32_t value) { return static_cast<std::int32_t>(value); };
    preferences.StartMinimized = toSwitch(number("StartMinimized", 0));
    preferences.MinimizeToTray = toSwitch(number("MinimizeToTray", 1));
    preferences.AlwaysShowIcon = toSwitch(number("AlwaysShowIcon", 0));
    preferences.AutoLogon = toSwitch(number("AutoLogon", 0));
    preferences.RunAtStartup = toSwitch(number("RunAtStartup", 0));

    const HotKey hotKey = UnpackHotKey(number("HotKey", 0),
                                       {preferences.HotKeyVirtualKey, preferences.HotKeyModifiers});
    preferences.HotKeyVirtualKey = hotKey.virtualKey;
    preferences.HotKeyModifiers = hotKey.modifiers;

    login.userName = TextOf(BytesIn(section, "User"));
    login.mobileNumber = TextOf(BytesIn(section, "Phone"));
    login.password = preferences.AutoLogon != 0 ? PasswordOf(BytesIn(section, "Passwd")) : "";
}

void SettingsStore::SavePreferences(const Preferences& preferences) const {
    WriteNumber("StartMinimized", static_cast<std::uint32_t>(preferences.StartMinimized));
    WriteNumber("MinimizeToTray", static_cast<std::uint32_t>(preferences.MinimizeToTray));
    WriteNumber("AlwaysShowIcon", static_cast<std::uint32_t>(preferences.AlwaysShowIcon));
    WriteNumber("AutoLogon", static_cast<std::uint32_t>(preferences.AutoLogon));
    WriteNumber("RunAtStartup", static_cast<std::uint32_t>(preferences.RunAtStartup));
    WriteNumber("HotKey", PackHotKey(preferences.HotKeyVirtualKey, preferences.HotKeyModifiers));
}

// The password is stored whole, however long: the format has no limit of its own.
void SettingsStore::SaveCredentials(bool autoLogon, const std::string& userName,
                                    const std::string& password,
                                    const std::string& mobileNumber) const {
    WriteString("User", autoLogon ? userName : "");
    if (const RegistryKey section = OpenSection()) {
        section.Set("Passwd", REG_TYPE_BINARY,
                    autoLogon ? ScramblePassword(password) : std::vector<std::uint8_t>());
    }
    WriteString("Phone", autoLogon ? mobileNumber : "");
}

std::string SettingsStore::ReadStoredPassword() const {
    return PasswordOf(BytesIn(OpenSection(), "Passwd"));
}

StoredLogon SettingsStore::ReadStoredLogon() const {
    const RegistryKey section = OpenSection();
    return {TextOf(BytesIn(section, "User")), PasswordOf(BytesIn(section, "Passwd")),
            TextOf(BytesIn(section, "Phone"))};
}

bool SettingsStore::ApplyRunAtStartup(bool runAtStartup) const {
    return wrenquil::ApplyRunAtStartup(registry_, runAtStartup);
}

bool SettingsStore::RunEntryExists() const {
    return wrenquil::RunEntryExists(registry_);
}

} // namespace wrenquil
