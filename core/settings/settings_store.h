// The settings section in the registry of the current user:
//   HKEY_CURRENT_USER\Software\Halvory Limited\<application name>\Preferences
// Every value is read or written on a key path opened anew and closed again at once, so no
// key handle is held between two values; only loading the settings reads them all on one
// opening.
#pragma once

#include "registry_api.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wrenquil {

struct LoginState;
struct Preferences;

inline constexpr char kCompanyKey[] = "Halvory Limited";
inline constexpr char kSectionName[] = "Preferences";
inline constexpr char kExePathKey[] = "Software\\Halvory Limited\\Wrenquil";
inline constexpr char kExePathValue[] = "ExePath";
inline constexpr char kMachineRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kUserRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kRunValue[] = "Wrenquil";

class SettingsStore {
public:
    SettingsStore(RegistryApi& registry, std::string applicationName);

    // Fills the preferences, and the user name, mobile number and (with Auto Logon on) the
    // password of the login record.
    void LoadSettings(Preferences& preferences, LoginState& login) const;
    void SavePreferences(const Preferences& preferences) const;
    // With Auto Logon off the three values are blanked and the password is dropped.
    void SaveCredentials(bool autoLogon, const std::string& userName, const std::string& password,
                         const std::string& mobileNumber) const;
    std::string ReadStoredPassword() const;
    // Creates the run entry (a copy of "ExePath" as the registry holds it) or deletes it, and
    // tells whether one exists afterwards. The entry is machine-wide where that key can be
    // written, and the user's own otherwise, so an ordinary user gets one too; the other place
    // is emptied, and an entry that cannot be made leaves none.
    bool ApplyRunAtStartup(bool runAtStartup) const;
    bool RunEntryExists() const;

    // Single values of the section, each on its own opening of the key path.
    std::uint32_t ReadNumber(const char* name, std::uint32_t fallback) const;
    std::string ReadString(const char* name) const;
    std::optional<std::vector<std::uint8_t>> ReadBytes(const char* name) const;
    void WriteNumber(const char* name, std::uint32_t value) const;
    void WriteString(const char* name, const std::string& value) const;
    void WriteBytes(const char* name, const std::vector<std::uint8_t>& bytes) const;

private:
    template <typename Operation> void WithSection(Operation operation) const;
    // `section` null: no section, every value its default.
    void LoadFrom(const RegKey* section, Preferences& preferences, LoginState& login) const;
    std::uint32_t NumberIn(RegKey section, const char* name, std::uint32_t fallback) const;
    std::optional<std::vector<std::uint8_t>> BytesIn(RegKey section, const char* name) const;
    int RunEntryCount() const;

    RegistryApi& registry_;
    std::string applicationName_;
};

} // namespace wrenquil
