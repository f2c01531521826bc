#include "settings_store.h"

#include "core/login_state.h"
#include "hot_key.h"
#include "password.h"
#include "preferences.h"

#include <algorithm>
#include <initializer_list>

namespace wrenquil {
namespace {

// The longest "ExePath" accepted, its terminating zero included.
constexpr std::uint32_t kExePathCapacity = 255;

std::int32_t ToSwitch(std::uint32_t value) {
    return static_cast<std::int32_t>(value);
}

// A text value up to its first zero; none when the value is missing.
std::string TextOf(const std::optional<std::vector<std::uint8_t>>& bytes) {
    if (!bytes) {
        return {};
    }
    const auto end = std::find(bytes->begin(), bytes->end(), std::uint8_t{0});
    return std::string(bytes->begin(), end);
}

std::string PasswordOf(const std::optional<std::vector<std::uint8_t>>& scrambled) {
    return scrambled ? UnscramblePassword(*scrambled) : std::string();
}

// RegSetValueExA wants a buffer even for zero bytes.
const std::uint8_t* DataOrEmpty(const std::vector<std::uint8_t>& bytes) {
    static const std::uint8_t empty = 0;
    return bytes.empty() ? &empty : bytes.data();
}

} // namespace

SettingsStore::SettingsStore(RegistryApi& registry, std::string applicationName)
    : registry_(registry), applicationName_(std::move(applicationName)) {}

template <typename Operation> void SettingsStore::WithSection(Operation operation) const {
    RegKey key = 0;
    if (registry_.OpenKey(kCurrentUserKey, "software", kKeyReadWrite, &key) != kRegSuccess) {
        return;
    }
    for (const std::string& name :
         {std::string(kCompanyKey), applicationName_, std::string(kSectionName)}) {
        RegKey child = 0;
        const RegStatus status = registry_.CreateKey(key, name, kKeyReadWrite, &child);
        registry_.CloseKey(key);
        if (status != kRegSuccess) {
            return;
        }
        key = child;
    }
    operation(key);
    registry_.CloseKey(key);
}

std::uint32_t SettingsStore::NumberIn(RegKey section, const char* name,
                                      std::uint32_t fallback) const {
    std::uint8_t data[4] = {};
    std::uint32_t size = sizeof data;
    if (registry_.QueryValue(section, name, nullptr, data, &size) != kRegSuccess) {
        return fallback;
    }
    return data[0] | data[1] << 8 | data[2] << 16 | std::uint32_t{data[3]} << 24;
}

std::optional<std::vector<std::uint8_t>> SettingsStore::BytesIn(RegKey section,
                                                                const char* name) const {
    std::uint32_t size = 0;
    if (registry_.QueryValue(section, name, nullptr, nullptr, &size) != kRegSuccess) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> data(size);
    std::uint8_t probe = 0; // a buffer even for an empty value, so the second call reads
    if (registry_.QueryValue(section, name, nullptr, size ? data.data() : &probe, &size) !=
        kRegSuccess) {
        return std::nullopt;
    }
    data.resize(std::min<std::size_t>(size, data.size()));
    return data;
}

std::uint32_t SettingsStore::ReadNumber(const char* name, std::uint32_t fallback) const {
    std::uint32_t value = fallback;
    WithSection([&](RegKey section) { value = NumberIn(section, name, fallback); });
    return value;
}

std::optional<std::vector<std::uint8_t>> SettingsStore::ReadBytes(const char* name) const {
    std::optional<std::vector<std::uint8_t>> bytes;
    WithSection([&](RegKey section) { bytes = BytesIn(section, name); });
    return bytes;
}

std::string SettingsStore::ReadString(const char* name) const {
    return TextOf(ReadBytes(name));
}

void SettingsStore::WriteNumber(const char* name, std::uint32_t value) const {
    const std::vector<std::uint8_t> data{
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    WithSection([&](RegKey key) { registry_.SetValue(key, name, kRegDword, data.data(), 4); });
}

void SettingsStore::WriteString(const char* name, const std::string& value) const {
    WithSection([&](RegKey key) {
        registry_.SetValue(key, name, kRegSz, reinterpret_cast<const std::uint8_t*>(value.c_str()),
                           static_cast<std::uint32_t>(value.size() + 1));
    });
}

void SettingsStore::WriteBytes(const char* name, const std::vector<std::uint8_t>& bytes) const {
    WithSection([&](RegKey key) {
        registry_.SetValue(key, name, kRegBinary, DataOrEmpty(bytes),
                           static_cast<std::uint32_t>(bytes.size()));
    });
}

// All the values on one opening of the section: an opening is several registry calls, and this
// runs before the main window is first shown. Without a section every value has its default.
void SettingsStore::LoadSettings(Preferences& preferences, LoginState& login) const {
    bool opened = false;
    WithSection([&](RegKey section) {
        opened = true;
        LoadFrom(&section, preferences, login);
    });
    if (!opened) {
        LoadFrom(nullptr, preferences, login);
    }
}

void SettingsStore::LoadFrom(const RegKey* section, Preferences& preferences,
                             LoginState& login) const {
    const auto number = [&](const char* name, std::uint32_t fallback) {
        return section != nullptr ? NumberIn(*section, name, fallback) : fallback;
    };
    const auto bytes = [&](const char* name) {
        return section != nullptr ? BytesIn(*section, name) : std::nullopt;
    };
    preferences.StartMinimized = ToSwitch(number("StartMinimized", 0));
    preferences.MinimizeToTray = ToSwitch(number("MinimizeToTray", 1));
    preferences.AlwaysShowIcon = ToSwitch(number("AlwaysShowIcon", 0));
    preferences.AutoLogon = ToSwitch(number("AutoLogon", 0));
    preferences.RunAtStartup = ToSwitch(number("RunAtStartup", 0));

    const HotKey hotKey = UnpackHotKey(number("HotKey", 0),
                                       {preferences.HotKeyVirtualKey, preferences.HotKeyModifiers});
    preferences.HotKeyVirtualKey = hotKey.virtualKey;
    preferences.HotKeyModifiers = hotKey.modifiers;

    login.userName = TextOf(bytes("User"));
    login.mobileNumber = TextOf(bytes("Phone"));
    login.password = preferences.AutoLogon != 0 ? PasswordOf(bytes("Passwd")) : std::string();
}

void SettingsStore::SavePreferences(const Preferences& preferences) const {
    WriteNumber("StartMinimized", static_cast<std::uint32_t>(preferences.StartMinimized));
    WriteNumber("MinimizeToTray", static_cast<std::uint32_t>(preferences.MinimizeToTray));
    WriteNumber("AlwaysShowIcon", static_cast<std::uint32_t>(preferences.AlwaysShowIcon));
    WriteNumber("AutoLogon", static_cast<std::uint32_t>(preferences.AutoLogon));
    WriteNumber("RunAtStartup", static_cast<std::uint32_t>(preferences.RunAtStartup));
    WriteNumber("HotKey", PackHotKey(preferences.HotKeyVirtualKey, preferences.HotKeyModifiers));
}

void SettingsStore::SaveCredentials(bool autoLogon, const std::string& userName,
                                    const std::string& password,
                                    const std::string& mobileNumber) const {
    if (autoLogon) {
        // Stored whole, however long: the format has no limit of its own.
        const std::vector<std::uint8_t> scrambled = ScramblePassword(password);
        WriteString("User", userName);
        WriteBytes("Passwd", scrambled);
        WriteString("Phone", mobileNumber);
    } else {
        WriteString("User", std::string());
        WriteBytes("Passwd", {});
        WriteString("Phone", std::string());
    }
}

std::string SettingsStore::ReadStoredPassword() const {
    return PasswordOf(ReadBytes("Passwd"));
}

namespace {

// The two places a run entry can be: machine-wide first, the user's own where that fails.
const std::pair<RegKey, const char*> kRunKeys[] = {{kLocalMachineKey, kMachineRunKey},
                                                   {kCurrentUserKey, kUserRunKey}};

bool IsText(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// What "ExePath" holds, to be copied into the run entry: text as the registry holds it (so
// no code page stands in between), anything else as its bytes in a REG_SZ.
struct RunCommand {
    std::uint32_t type;
    bool asStored;
    std::vector<std::uint8_t> data;
};

std::optional<RunCommand> ReadRunCommand(RegistryApi& registry) {
    RegKey key = 0;
    if (registry.OpenKey(kCurrentUserKey, kExePathKey, kKeyRead, &key) != kRegSuccess) {
        return std::nullopt;
    }
    // At most kExePathCapacity characters, in UTF-16 when it is text.
    std::uint8_t data[2 * kExePathCapacity] = {};
    std::uint32_t size = sizeof data;
    std::uint32_t type = 0;
    const RegStatus status = registry.QueryValueAsStored(key, kExePathValue, &type, data, &size);
    registry.CloseKey(key);
    if (status != kRegSuccess || (!IsText(type) && size > kExePathCapacity)) {
        return std::nullopt;
    }
    return RunCommand{IsText(type) ? type : kRegSz, IsText(type),
                      std::vector<std::uint8_t>(data, data + size)};
}

// Runs `operation` on the run key under `root`, when that key can be opened to set values.
template <typename Operation>
bool WithRunKey(RegistryApi& registry, RegKey root, const char* path, Operation operation) {
    RegKey key = 0;
    if (registry.OpenKey(root, path, kKeyReadSetValue, &key) != kRegSuccess) {
        return false;
    }
    const bool done = operation(key);
    registry.CloseKey(key);
    return done;
}

} // namespace

// Leaves at most one entry, so the program never starts twice at log-on; an entry that cannot
// be written leaves none, so the box is not ticked for a program that will not start.
bool SettingsStore::ApplyRunAtStartup(bool runAtStartup) const {
    const std::optional<RunCommand> command =
        runAtStartup ? ReadRunCommand(registry_) : std::nullopt;
    auto write = [&](RegKey run) {
        const std::uint8_t* data = DataOrEmpty(command->data);
        const auto size = static_cast<std::uint32_t>(command->data.size());
        return (command->asStored
                    ? registry_.SetValueAsStored(run, kRunValue, command->type, data, size)
                    : registry_.SetValue(run, kRunValue, command->type, data, size)) == kRegSuccess;
    };
    auto remove = [&](RegKey run) { return registry_.DeleteValue(run, kRunValue) == kRegSuccess; };
    const std::pair<RegKey, const char*>* written = nullptr;
    for (const auto& place : kRunKeys) {
        if (command && written == nullptr &&
            WithRunKey(registry_, place.first, place.second, write)) {
            written = &place;
        } else {
            WithRunKey(registry_, place.first, place.second, remove);
        }
    }
    if (written != nullptr && RunEntryCount() > 1) { // another one could not be removed
        WithRunKey(registry_, written->first, written->second, remove);
    }
    return RunEntryCount() > 0;
}

bool SettingsStore::RunEntryExists() const {
    return RunEntryCount() > 0;
}

int SettingsStore::RunEntryCount() const {
    int count = 0;
    for (const auto& [root, path] : kRunKeys) {
        RegKey key = 0;
        if (registry_.OpenKey(root, path, kKeyRead, &key) == kRegSuccess) {
            std::uint32_t size = 0;
            count += registry_.QueryValue(key, kRunValue, nullptr, nullptr, &size) == kRegSuccess;
            registry_.CloseKey(key);
        }
    }
    return count;
}

} // namespace wrenquil
