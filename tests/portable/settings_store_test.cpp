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

TEST(SettingsStore, OpensTheKeyPathAnewForEveryValueAndClosesEveryKey) {
    MemoryRegistry registry;
    SettingsStore store(registry, "Wrenquil");
    const std::vector<std::string> firstRead{
        "open HKCU \"software\" 0x2001F -> #1",
        "create #1 \"Halvory Limited\" 0x2001F -> #2",
        "close #1",
        "create #2 \"Wrenquil\" 0x2001F -> #3",
        "close #2",
        "create #3 \"Preferences\" 0x2001F -> #4",
        "close #3",
        "query #4 \"HotKey\"",
        "close #4",
    };
    store.ReadNumber("HotKey", 0);
    EXPECT_EQ(registry.trace, firstRead);
    // The key path exists now; the next value still walks it anew.
    registry.trace.clear();
    store.ReadNumber("HotKey", 0);
    EXPECT_EQ(registry.trace, (std::vector<std::string>{
                                  "open HKCU \"software\" 0x2001F -> #5",
                                  "create #5 \"Halvory Limited\" 0x2001F -> #6",
                                  "close #5",
                                  "create #6 \"Wrenquil\" 0x2001F -> #7",
                                  "close #6",
                                  "create #7 \"Preferences\" 0x2001F -> #8",
                                  "close #7",
                                  "query #8 \"HotKey\"",
                                  "close #8",
                              }));
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

TEST(ScramblePassword, EveryByteRoundTripsAndEachStoredByteChainsToTheLast) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    for (const std::string& password :
         {all, std::string(), std::string("a"), std::string(500, '\xFF')}) {
        const std::vector<std::uint8_t> scrambled = ScramblePassword(password);
        ASSERT_EQ(scrambled.size(), password.size());
        EXPECT_EQ(UnscramblePassword(scrambled), password);
        for (std::size_t i = 0; i < scrambled.size(); ++i) {
            const std::uint8_t previous = i ? scrambled[i - 1] : PASSWORD_SCRAMBLE_SEED;
            EXPECT_EQ(scrambled[i] ^ previous, static_cast<std::uint8_t>(password[i]));
        }
    }
    const auto one = ScramblePassword("secret1");
    const auto two = ScramblePassword("secret2");
    EXPECT_TRUE(std::equal(one.begin(), one.end() - 1, two.begin()));
    EXPECT_NE(one.back(), two.back());
    EXPECT_NE(ScramblePassword("secret"), BytesOf("secret"));
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
