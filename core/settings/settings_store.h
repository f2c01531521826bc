// The settings section in the registry of the current user:
//   HKEY_CURRENT_USER\Software\Halvory Limited\<application name>\Preferences
// Every value is read or written on a key path opened anew and closed again at once, so no
// key handle is held between two values; only loading the settings reads them all on one
// opening.
#pragma once

#include "registry_api.h"
#include "registry_key.h"

#include <cstdint>
#include <string>

namespace wrenquil {

struct LoginState;
struct Preferences;

inline constexpr char COMPANY_KEY[] = "Halvory Limited";
inline constexpr char SECTION_NAME[] = "Preferences";

// The log-on that Auto Logon keeps: as stored, whatever Auto Logon says now.
struct StoredLogon {
    std::string userName;
    std::string password;
    std::string mobileNumber;
};

class SettingsStore {
public:
    SettingsStore(RegistryApi& registry, std::string applicationName)
        : registry_(registry), applicationName_(std::move(applicationName)) {}

    // Fills the preferences, and the user name, mobile number and (with Auto Logon on) the
    // password of the login record.
    void LoadSettings(Preferences& preferences, LoginState& login) const;
    void SavePreferences(const Preferences& preferences) const;
    // With Auto Logon off the three values are blanked and the password is dropped.
    void SaveCredentials(bool autoLogon, const std::string& userName, const std::string& password,
                         const std::string& mobileNumber) const;
    std::string ReadStoredPassword() const;
    StoredLogon ReadStoredLogon() const;
    // Creates the run entry (a copy of "ExePath" as the registry holds it) or deletes it, and
    // tells whether one exists afterwards (see run_entry.h).
    bool ApplyRunAtStartup(bool runAtStartup) const;
    bool RunEntryExists() const;

private:
    // The section, created when missing; empty when it cannot be opened to be changed.
    RegistryKey OpenSection() const;
    void WriteNumber(const char* name, std::uint32_t value) const;
    void WriteString(const char* name, const std::string& value) const;

    RegistryApi& registry_;
    std::string applicationName_;
};

} // namespace wrenquil
