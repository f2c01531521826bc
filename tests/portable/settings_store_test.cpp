#include "core/settings/hot_key.h"
#include "core/settings/password.h"
#include "tests/support/memory_registry.h"
#include "tests/support/settings_store_contract.h"

#include <gtest/gtest.h>

namespace wrenquil {
namespace {

struct MemoryEnv {
    MemoryRegistry registry;
    static bool Usable() { return true; }
    void Reset() { registry = MemoryRegistry(); }
};

INSTANTIATE_TYPED_TEST_SUITE_P(InMemory, SettingsStoreContract, MemoryEnv);

TEST(SettingsStore, ClosesEveryKeyItOpens) {
    MemoryRegistry registry;
    SettingsStore store(registry, "Wrenquil");
    store.ReadNumber("HotKey", 0);
    Preferences preferences;
    LoginState login;
    store.LoadSettings(preferences, login);
    store.SavePreferences(preferences);
    store.SaveCredentials(true, "a", "b", "c");
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST(SettingsStore, AnUnwritableSectionGivesDefaultsAndLosesWritesQuietly) {
    MemoryRegistry registry;
    registry.DenyWrite("HKCU\\Software");
    SettingsStore store(registry, "Wrenquil");
    store.SavePreferences(Preferences{1, 0, 1, 1, 1, 0x41, 2});
    store.SaveCredentials(true, "ann", "pw", "07");
    Preferences preferences;
    LoginState login;
    store.LoadSettings(preferences, login);
    EXPECT_EQ(preferences.MinimizeToTray, 1);
    EXPECT_EQ(preferences.HotKeyVirtualKey, 0x91);
    EXPECT_EQ(login.userName, "");
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

// Without administrative rights the machine-wide run key cannot be written: the user's own
// takes the entry, and what is reported is what exists afterwards.
TEST(SettingsStore, RunAtStartupFallsBackToTheUsersRunKeyAndReportsWhatExists) {
    const std::string machineRun = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::string userRun = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    struct Case {
        const char* name;
        std::vector<std::string> denied;
        bool existsAfterOn;
        bool existsAfterOff;
    } cases[] = {
        {"machine-wide writable", {}, true, false},
        {"only the user's writable", {machineRun}, true, false},
        {"neither writable", {machineRun, userRun}, false, false},
    };
    for (const Case& c : cases) {
        MemoryRegistry registry;
        SettingsStore store(registry, "Wrenquil");
        RegKey key = 0;
        registry.CreateKey(kCurrentUserKey, kExePathKey, kKeyReadWrite, &key);
        registry.SetValue(key, kExePathValue, kRegSz, reinterpret_cast<const std::uint8_t*>("W"),
                          2);
        registry.CloseKey(key);
        for (const std::string& path : c.denied) {
            registry.DenyWrite(path);
        }
        EXPECT_EQ(store.ApplyRunAtStartup(true), c.existsAfterOn) << c.name;
        EXPECT_EQ(store.ApplyRunAtStartup(false), c.existsAfterOff) << c.name;
        EXPECT_EQ(registry.OpenHandleCount(), 0u);
    }
    // An entry the user cannot remove is reported as still there.
    MemoryRegistry registry;
    SettingsStore store(registry, "Wrenquil");
    RegKey key = 0;
    registry.OpenKey(kLocalMachineKey, kMachineRunKey, kKeyReadWrite, &key);
    registry.SetValue(key, kRunValue, kRegSz, reinterpret_cast<const std::uint8_t*>("W"), 2);
    registry.CloseKey(key);
    registry.DenyWrite(machineRun);
    EXPECT_TRUE(store.ApplyRunAtStartup(false));
}

TEST(SettingsStore, TheSectionFollowsTheApplicationName) {
    MemoryRegistry registry;
    SettingsStore(registry, "Sms").WriteNumber("AutoLogon", 1);
    RegKey key = 0;
    EXPECT_EQ(registry.OpenKey(kCurrentUserKey, "Software\\Halvory Limited\\Sms\\Preferences",
                               kKeyRead, &key),
              kRegSuccess);
}

TEST(ScramblePassword, GivesTheStoredBytesOfKnownPasswordsAndBack) {
    const std::pair<std::string, std::vector<std::uint8_t>> cases[] = {
        {"", {}},
        {"secret1", {0xD4, 0xB1, 0xD2, 0xA0, 0xC5, 0xB1, 0x80}},
        {"secret2", {0xD4, 0xB1, 0xD2, 0xA0, 0xC5, 0xB1, 0x83}},
        {"p\xFFw", {0xD7, 0x28, 0x5F}},
    };
    for (const auto& [password, stored] : cases) {
        EXPECT_EQ(ScramblePassword(password), stored) << password;
        EXPECT_EQ(UnscramblePassword(stored), password);
    }
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    EXPECT_EQ(UnscramblePassword(ScramblePassword(all)), all);
}

TEST(PackHotKey, PutsModifiersHighAndZeroKeepsTheKeyInForce) {
    EXPECT_EQ(PackHotKey(0x41, 0x06), 0x60041u);
    EXPECT_EQ(PackHotKey(0xFFFF, 0xFFFF), 0xFFFFFFFFu);
    const HotKey inForce{0x91, 0};
    const std::pair<std::uint32_t, HotKey> cases[] = {
        {0x60041, {0x41, 0x06}}, {0, {0x91, 0}}, {0x10000, {0x00, 0x01}}, {0x7B, {0x7B, 0}}};
    for (const auto& [packed, expected] : cases) {
        const HotKey key = UnpackHotKey(packed, inForce);
        EXPECT_EQ(key.virtualKey, expected.virtualKey) << packed;
        EXPECT_EQ(key.modifiers, expected.modifiers) << packed;
    }
}

} // namespace
} // namespace wrenquil
