// What the settings store must do over a registry, written once and run over every registry
// we have: the in-memory one everywhere, and Windows' own where the tests run under Wine.
// An Env type provides `registry` (a RegistryApi), `static bool Usable()` and `Reset()`, which
// removes everything the cases below write.
#pragma once

#include "core/login_state.h"
#include "core/settings/hot_key.h"
#include "core/settings/password.h"
#include "core/settings/preferences.h"
#include "core/settings/settings_store.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace wrenquil {

using Bytes = std::vector<std::uint8_t>;

inline Bytes BytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}
// Text as the registry holds it, in UTF-16LE.
inline Bytes Utf16(const std::u16string& text) {
    Bytes bytes;
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}
inline Bytes Dword(std::uint32_t v) {
    return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}

struct StoredValue {
    std::uint32_t type;
    Bytes data;
    bool operator==(const StoredValue& o) const { return type == o.type && data == o.data; }
};

inline std::ostream& operator<<(std::ostream& os, const StoredValue& v) {
    return os << "type " << v.type << ", " << v.data.size() << " bytes";
}

inline const std::string kSectionPath = "Software\\Halvory Limited\\Wrenquil\\Preferences";

template <typename Env> class SettingsStoreContract : public testing::Test {
protected:
    void SetUp() override {
        if (!Env::Usable()) {
            GTEST_SKIP() << "this registry is not a throw-away one";
        }
        env.Reset();
    }
    void TearDown() override {
        if (Env::Usable()) {
            env.Reset();
        }
    }

    void Put(RegKey root, const std::string& path, const std::string& name, std::uint32_t type,
             const Bytes& data, bool asStored = false) {
        RegKey key = 0;
        ASSERT_EQ(env.registry.CreateKey(root, path, kKeyReadWrite, &key), kRegSuccess);
        const std::uint8_t none = 0;
        const std::uint8_t* bytes = data.empty() ? &none : data.data();
        const auto size = static_cast<std::uint32_t>(data.size());
        EXPECT_EQ(asStored ? env.registry.SetValueAsStored(key, name, type, bytes, size)
                           : env.registry.SetValue(key, name, type, bytes, size),
                  kRegSuccess);
        env.registry.CloseKey(key);
    }
    void PutSetting(const std::string& name, std::uint32_t type, const Bytes& data) {
        Put(kCurrentUserKey, kSectionPath, name, type, data);
    }

    std::optional<StoredValue> Get(RegKey root, const std::string& path, const std::string& name,
                                   bool asStored = false) {
        RegKey key = 0;
        if (env.registry.OpenKey(root, path, kKeyRead, &key) != kRegSuccess) {
            return std::nullopt;
        }
        auto query = [&](std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) {
            return asStored ? env.registry.QueryValueAsStored(key, name, type, data, size)
                            : env.registry.QueryValue(key, name, type, data, size);
        };
        StoredValue value{};
        std::uint32_t size = 0;
        std::optional<StoredValue> result;
        if (query(&value.type, nullptr, &size) == kRegSuccess) {
            value.data.resize(size + 1);
            if (query(&value.type, value.data.data(), &size) == kRegSuccess) {
                value.data.resize(size);
                result = value;
            }
        }
        env.registry.CloseKey(key);
        return result;
    }
    std::optional<StoredValue> GetSetting(const std::string& name) {
        return Get(kCurrentUserKey, kSectionPath, name);
    }
    std::optional<StoredValue> GetRunEntry(RegKey root = kLocalMachineKey) {
        return Get(root, root == kLocalMachineKey ? kMachineRunKey : kUserRunKey, kRunValue, true);
    }

    Env env;
    SettingsStore store{env.registry, "Wrenquil"};
};

TYPED_TEST_SUITE_P(SettingsStoreContract);

TYPED_TEST_P(SettingsStoreContract, FirstStartGivesDefaultsAndCreatesTheEmptyKeyPath) {
    Preferences preferences;
    preferences.MinimizeToTray = 0; // so the default is seen to come from the load
    LoginState login{"x", "y", "z", 0};
    this->store.LoadSettings(preferences, login);

    EXPECT_EQ(preferences.StartMinimized, 0);
    EXPECT_EQ(preferences.MinimizeToTray, 1);
    EXPECT_EQ(preferences.AlwaysShowIcon, 0);
    EXPECT_EQ(preferences.AutoLogon, 0);
    EXPECT_EQ(preferences.RunAtStartup, 0);
    EXPECT_EQ(preferences.HotKeyVirtualKey, 0x91);
    EXPECT_EQ(preferences.HotKeyModifiers, 0);
    EXPECT_EQ(login.userName, "");
    EXPECT_EQ(login.password, "");
    EXPECT_EQ(login.mobileNumber, "");

    RegKey key = 0;
    ASSERT_EQ(this->env.registry.OpenKey(kCurrentUserKey, kSectionPath, kKeyRead, &key),
              kRegSuccess);
    this->env.registry.CloseKey(key);
    for (const char* name : {"StartMinimized", "MinimizeToTray", "AlwaysShowIcon", "AutoLogon",
                             "RunAtStartup", "HotKey", "User", "Passwd", "Phone"}) {
        EXPECT_FALSE(this->GetSetting(name)) << name;
    }
}

TYPED_TEST_P(SettingsStoreContract, SavesPreferencesAsDwordsAndLoadsThemBack) {
    Preferences saved{1, 0, 1, 1, 0, 0x41, 0x06};
    this->store.SavePreferences(saved);
    EXPECT_EQ(this->GetSetting("StartMinimized"), (StoredValue{kRegDword, Dword(1)}));
    EXPECT_EQ(this->GetSetting("MinimizeToTray"), (StoredValue{kRegDword, Dword(0)}));
    EXPECT_EQ(this->GetSetting("HotKey"), (StoredValue{kRegDword, Dword(0x60041)}));

    Preferences loaded;
    LoginState login;
    this->store.LoadSettings(loaded, login);
    EXPECT_EQ(loaded.StartMinimized, 1);
    EXPECT_EQ(loaded.MinimizeToTray, 0);
    EXPECT_EQ(loaded.AlwaysShowIcon, 1);
    EXPECT_EQ(loaded.AutoLogon, 1);
    EXPECT_EQ(loaded.HotKeyVirtualKey, 0x41);
    EXPECT_EQ(loaded.HotKeyModifiers, 0x06);
}

TYPED_TEST_P(SettingsStoreContract, AClearedHotKeyIsStoredAsZeroAndBringsBackTheKeyInForce) {
    this->store.SavePreferences(Preferences{0, 1, 0, 0, 0, 0, 0});
    EXPECT_EQ(this->GetSetting("HotKey"), (StoredValue{kRegDword, Dword(0)}));
    Preferences loaded;
    LoginState login;
    this->store.LoadSettings(loaded, login);
    EXPECT_EQ(loaded.HotKeyVirtualKey, 0x91);
    EXPECT_EQ(loaded.HotKeyModifiers, 0);
}

TYPED_TEST_P(SettingsStoreContract, CredentialsAreBlankedWithAutoLogonOff) {
    this->store.SaveCredentials(true, "ann", "secret", "0790");
    this->store.SaveCredentials(false, "ann", "secret", "0790");
    EXPECT_EQ(this->GetSetting("User"), (StoredValue{kRegSz, {0}}));
    EXPECT_EQ(this->GetSetting("Passwd"), (StoredValue{kRegBinary, {}}));
    EXPECT_EQ(this->GetSetting("Phone"), (StoredValue{kRegSz, {0}}));
    EXPECT_EQ(this->store.ReadStoredPassword(), "");
}

TYPED_TEST_P(SettingsStoreContract, CredentialsRoundTripScrambledAndWhole) {
    const std::string password = "p\xE9&=" + std::string(300, 'k'); // longer than any old limit
    this->store.SaveCredentials(true, "ann", password, "+44 7700");
    EXPECT_EQ(this->GetSetting("User"), (StoredValue{kRegSz, BytesOf(std::string("ann", 4))}));
    EXPECT_EQ(this->GetSetting("Passwd"), (StoredValue{kRegBinary, ScramblePassword(password)}));
    EXPECT_EQ(this->store.ReadStoredPassword(), password);

    for (const std::uint32_t autoLogon : {2u, 0u}) {
        this->PutSetting("AutoLogon", kRegDword, Dword(autoLogon));
        Preferences preferences;
        LoginState login;
        this->store.LoadSettings(preferences, login);
        EXPECT_EQ(login.userName, "ann");
        EXPECT_EQ(login.mobileNumber, "+44 7700");
        // Auto Logon stored as 2 counts as on; with it off the password is not even read.
        EXPECT_EQ(login.password, autoLogon ? password : "");
        EXPECT_EQ(preferences.AutoLogon, static_cast<std::int32_t>(autoLogon));
    }
}

TYPED_TEST_P(SettingsStoreContract, ValuesOfAWrongTypeOrSizeReadSafely) {
    struct Case {
        const char* name;
        std::uint32_t type;
        Bytes data;
        std::uint32_t hotKey; // packed, as loaded
        std::string user;
        std::string phone;
        std::int32_t startMinimized;
    } cases[] = {
        {"HotKey", kRegSz, BytesOf(std::string("A\0", 2)), 0x41, "", "", 0},
        {"HotKey", kRegSz, BytesOf(std::string("65536\0", 6)), 0x91, "", "", 0},
        {"HotKey", kRegBinary, {0x41, 0x00, 0x06, 0x00, 0xFF}, 0x91, "", "", 0},
        {"User", kRegDword, Dword(0x41), 0x91, "A", "", 0},
        {"User", kRegBinary, BytesOf("bob"), 0x91, "bob", "", 0},
        {"User", kRegSz, {}, 0x91, "", "", 0},
        {"Phone", kRegBinary, BytesOf(std::string("07\0x", 4)), 0x91, "", "07", 0},
        {"StartMinimized", kRegBinary, {1, 0}, 0x91, "", "", 1},
        {"StartMinimized", kRegSz, BytesOf(std::string("1\0", 2)), 0x91, "", "", '1'},
    };
    for (const Case& c : cases) {
        this->env.Reset();
        this->PutSetting(c.name, c.type, c.data);
        Preferences preferences;
        LoginState login;
        this->store.LoadSettings(preferences, login);
        EXPECT_EQ(PackHotKey(preferences.HotKeyVirtualKey, preferences.HotKeyModifiers) & 0xFFFF,
                  c.hotKey & 0xFFFF)
            << c.name << " type " << c.type;
        EXPECT_EQ(login.userName, c.user) << c.name;
        EXPECT_EQ(login.mobileNumber, c.phone) << c.name;
        EXPECT_EQ(preferences.StartMinimized, c.startMinimized) << c.name;
    }
}

TYPED_TEST_P(SettingsStoreContract, AMegabytePasswordIsReadWhole) {
    const Bytes huge(1 << 20, 0x5A);
    this->PutSetting("AutoLogon", kRegDword, Dword(1));
    this->PutSetting("Passwd", kRegBinary, huge);
    Preferences preferences;
    LoginState login;
    this->store.LoadSettings(preferences, login);
    EXPECT_EQ(login.password, UnscramblePassword(huge));
}

// The entry is "ExePath" as the registry holds it, a path the code page cannot carry included,
// and the only one: an entry left in the user's own run key from an earlier choice goes, and so
// does every entry when no new one can be made.
TYPED_TEST_P(SettingsStoreContract, RunAtStartupCopiesExePathOfAtMost255CharactersAsTheOnlyEntry) {
    const std::u16string path255 = u"C:\\" + std::u16string(247, u'w') + u".exe"; // 254 + zero
    const std::u16string cyrillic =
        u"C:\\users\\\u0421\u0432\u0435\u0442\u0430\\Wrenquil\\Wrenquil.exe";
    struct Case {
        const char* name;
        std::optional<StoredValue> exePath;
        bool entry;
    } cases[] = {
        {"typical", StoredValue{kRegSz, Utf16(std::u16string(u"\"C:\\W q\\Wrenquil.exe\"\0", 23))},
         true},
        {"a Cyrillic user name", StoredValue{kRegSz, Utf16(cyrillic + u'\0')}, true},
        {"expandable",
         StoredValue{kRegExpandSz, Utf16(u"%LOCALAPPDATA%\\W.exe" + std::u16string(1, 0))}, true},
        {"255 characters", StoredValue{kRegSz, Utf16(path255 + u'\0')}, true},
        {"256 characters", StoredValue{kRegSz, Utf16(path255 + u"x" + u'\0')}, false},
        {"missing", std::nullopt, false},
    };
    for (const Case& c : cases) {
        this->env.Reset();
        this->Put(kCurrentUserKey, kUserRunKey, kRunValue, kRegSz,
                  BytesOf(std::string("old\0", 4)));
        if (c.exePath) {
            this->Put(kCurrentUserKey, kExePathKey, kExePathValue, c.exePath->type, c.exePath->data,
                      true);
        }
        EXPECT_EQ(this->store.ApplyRunAtStartup(true), c.entry) << c.name;
        EXPECT_EQ(this->GetRunEntry(), c.entry ? c.exePath : std::optional<StoredValue>())
            << c.name;
        EXPECT_FALSE(this->GetRunEntry(kCurrentUserKey)) << c.name;
    }
}

TYPED_TEST_P(SettingsStoreContract, RunAtStartupOffRemovesTheEntryIfThereIsOne) {
    this->Put(kCurrentUserKey, kExePathKey, kExePathValue, kRegSz, BytesOf(std::string("W\0", 2)));
    EXPECT_TRUE(this->store.ApplyRunAtStartup(true));
    ASSERT_TRUE(this->GetRunEntry());
    EXPECT_FALSE(this->store.ApplyRunAtStartup(false));
    EXPECT_FALSE(this->GetRunEntry());
    EXPECT_FALSE(this->store.ApplyRunAtStartup(false)); // nothing left to remove: no harm done
    // A user's own entry, from a time the machine-wide key was not writable, goes as well.
    this->Put(kCurrentUserKey, kUserRunKey, kRunValue, kRegSz, BytesOf(std::string("W\0", 2)));
    EXPECT_FALSE(this->store.ApplyRunAtStartup(false));
    EXPECT_FALSE(this->Get(kCurrentUserKey, kUserRunKey, kRunValue));
}

REGISTER_TYPED_TEST_SUITE_P(SettingsStoreContract, FirstStartGivesDefaultsAndCreatesTheEmptyKeyPath,
                            SavesPreferencesAsDwordsAndLoadsThemBack,
                            AClearedHotKeyIsStoredAsZeroAndBringsBackTheKeyInForce,
                            CredentialsAreBlankedWithAutoLogonOff,
                            CredentialsRoundTripScrambledAndWhole,
                            ValuesOfAWrongTypeOrSizeReadSafely, AMegabytePasswordIsReadWhole,
                            RunAtStartupCopiesExePathOfAtMost255CharactersAsTheOnlyEntry,
                            RunAtStartupOffRemovesTheEntryIfThereIsOne);

} // namespace wrenquil
