#include "core/login_state.h"
#include "core/settings/preferences.h"
#include "core/settings/run_entry.h"
#include "core/settings/settings_store.h"
#include "tests/support/memory_registry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace wrenquil {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Value = MemoryRegistry::Value;

Bytes Text(std::string_view text) {
    return Bytes(text.begin(), text.end());
}
// The store is named otherwise than the program, so the section is seen to follow the name.
const std::string SECTION = "HKCU\\Software\\Halvory Limited\\Sms\\Preferences";
const std::string MACHINE_RUN = "HKLM\\" + std::string(MACHINE_RUN_KEY);
const std::string USER_RUN = "HKCU\\" + std::string(USER_RUN_KEY);

class SettingsStoreTest : public testing::Test {
protected:
    // Every test leaves every key it opened closed again.
    void TearDown() override { EXPECT_EQ(registry.OpenHandleCount(), 0u); }

    std::optional<Value> Get(const char* name) { return registry.Get(SECTION, name); }
    // What loading over `p` gives: the five switches, the packed hot key in hex, then the user
    // name, password and mobile number.
    std::string Loaded(Preferences p = {}) {
        LoginState login{"x", "y", "z", 0};
        store.LoadSettings(p, login);
        char text[64];
        std::snprintf(text, sizeof text, "%d %d %d %d %d %X ", p.StartMinimized, p.MinimizeToTray,
                      p.AlwaysShowIcon, p.AutoLogon, p.RunAtStartup,
                      p.HotKeyModifiers << 16 | p.HotKeyVirtualKey);
        return text + login.userName + "|" + login.password + "|" + login.mobileNumber;
    }

    MemoryRegistry registry;
    SettingsStore store{registry, "Sms"};
};

// The preferences load back as saved, the hot key a DWORD of its key and modifiers. The
// credentials are stored scrambled and whole however long, and loaded only with Auto Logon on,
// which any value but 0 is; they are blanked when saved with Auto Logon off.
TEST_F(SettingsStoreTest, SavesPreferencesAndCredentialsForAutoLogon) {
    store.SavePreferences(Preferences{2, 0, 3, 4, 5, 0x41, 0x06}); // Ctrl+Alt+A
    EXPECT_EQ(Get("HotKey"), Value(REG_TYPE_DWORD, {0x41, 0, 0x06, 0}));
    store.SaveCredentials(true, "ann", "secret1", "+44 7700");
    EXPECT_EQ(Get("User"), Value(REG_TYPE_SZ, Text({"ann", 4})));
    EXPECT_EQ(Get("Passwd"), Value(REG_TYPE_BINARY, {0xD4, 0xB1, 0xD2, 0xA0, 0xC5, 0xB1, 0x80}));

    const std::string password = "p\xE9&=" + std::string(300, 'k');
    store.SaveCredentials(true, "ann", password, "07");
    EXPECT_EQ(Loaded(), "2 0 3 4 5 60041 ann|" + password + "|07");
    registry.Put(SECTION, "AutoLogon", {REG_TYPE_DWORD, {0, 0, 0, 0}});
    EXPECT_EQ(Loaded(), "2 0 3 0 5 60041 ann||07");
    store.SaveCredentials(false, "ann", "secret1", "0790");
    registry.Put(SECTION, "AutoLogon", {REG_TYPE_DWORD, {1, 0, 0, 0}});
    EXPECT_EQ(Loaded(), "2 0 3 1 5 60041 ||");
}

// A value of a wrong type or size loads safely: each row adds one to the section. Once the
// section cannot be opened to be changed, every value has its default and the hot key in force
// stays.
TEST_F(SettingsStoreTest, OddValuesOrAnUnwritableSectionLoadSafely) {
    const std::tuple<const char*, Value, const char*> cases[] = {
        // clang-format off
        {"HotKey", {REG_TYPE_SZ, Text({"65536", 6})}, "0 1 0 0 0 91 ||"}, // too long: the key in force
        {"Phone", {REG_TYPE_BINARY, Text({"07\0x", 4})}, "0 1 0 0 0 91 ||07"},
        {"StartMinimized", {REG_TYPE_BINARY, {1, 0}}, "1 1 0 0 0 91 ||07"},
        // clang-format on
    };
    for (const auto& [name, value, loaded] : cases) {
        registry.Put(SECTION, name, value);
        EXPECT_EQ(Loaded(), loaded) << name << " of type " << value.first;
    }
    registry.DenyWrite("HKCU\\Software\\Halvory Limited\\Sms");
    store.SavePreferences(Preferences{1, 0, 1, 1, 1, 0x41, 2});
    EXPECT_EQ(Loaded(Preferences{1, 0, 1, 1, 1, 0x41, 2}), "0 1 0 0 0 20041 ||");
}

// The entry is a copy of "ExePath" of at most 255 characters, machine-wide where that key can
// be written and the user's own otherwise, and the only one: an older entry goes, and so does
// every entry when no new one can be made. What is reported is what exists afterwards.
TEST_F(SettingsStoreTest, RunAtStartupCopiesExePathAsTheOnlyEntry) {
    const Value exe{REG_TYPE_SZ, Text({"\"C:\\W q\\Wrenquil.exe\"", 22})},
        old{REG_TYPE_SZ, Text("old")};
    // Text as the registry holds it, in UTF-16: two bytes a character, the zero included.
    const Value chars255{REG_TYPE_SZ, Bytes(510, 'w')}, chars256{REG_TYPE_SZ, Bytes(512, 'w')};
    const Value expandable{REG_TYPE_EXPAND_SZ, Text({"%APPDATA%\\W.exe", 16})};
    using Entry = std::optional<Value>;
    // ExePath; run keys that cannot be written: none, the machine's, both; whether an entry is
    // reported; the machine's entry and the user's afterwards.
    const std::tuple<const char*, Entry, int, bool, Entry, Entry> cases[] = {
        {"expandable", expandable, 0, true, expandable, std::nullopt},
        {"255 characters", chars255, 0, true, chars255, std::nullopt},
        {"256 characters", chars256, 0, false, std::nullopt, std::nullopt},
        {"no ExePath", std::nullopt, 0, false, std::nullopt, std::nullopt},
        {"not an administrator", exe, 1, true, std::nullopt, exe},
        {"neither writable: the old entry stays", exe, 2, true, std::nullopt, old},
    };
    for (const auto& [name, exePath, unwritable, reported, machineEntry, userEntry] : cases) {
        registry = MemoryRegistry();
        registry.Put(USER_RUN, RUN_VALUE, old);
        if (exePath) {
            registry.Put("HKCU\\" + std::string(EXE_PATH_KEY), EXE_PATH_VALUE, *exePath);
        }
        registry.DenyWrite(unwritable > 0 ? MACHINE_RUN : "");
        registry.DenyWrite(unwritable > 1 ? USER_RUN : "");
        EXPECT_EQ(store.ApplyRunAtStartup(true), reported) << name;
        EXPECT_EQ(registry.Get(MACHINE_RUN, RUN_VALUE), machineEntry) << name;
        EXPECT_EQ(registry.Get(USER_RUN, RUN_VALUE), userEntry) << name;
        // Turned off, no entry is left that can be removed, and no key is left open.
        EXPECT_EQ(store.ApplyRunAtStartup(false), unwritable == 2) << name;
        EXPECT_EQ(registry.OpenHandleCount(), 0u) << name;
    }
}

} // namespace
} // namespace wrenquil
