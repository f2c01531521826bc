#include "core/settings/win32_registry.h"
#include "tests/support/settings_store_contract.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace wrenquil {
namespace {

// Only a Wine prefix made for the tests is ours to empty.
bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

struct Win32Env {
    Win32Registry registry;
    static bool Usable() { return RunningUnderWine(); }
    void Reset() {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Halvory Limited");
        for (const auto& [root, path] : {std::pair{HKEY_LOCAL_MACHINE, kMachineRunKey},
                                         std::pair{HKEY_CURRENT_USER, kUserRunKey}}) {
            HKEY run = nullptr;
            if (RegOpenKeyExA(root, path, 0, KEY_SET_VALUE, &run) == 0) {
                RegDeleteValueA(run, kRunValue);
                RegCloseKey(run);
            }
        }
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, SettingsStoreContract, Win32Env);

TEST(Win32Registry, RootKeysAreWindowsOwn) {
    EXPECT_EQ(kCurrentUserKey, reinterpret_cast<RegKey>(HKEY_CURRENT_USER));
    EXPECT_EQ(kLocalMachineKey, reinterpret_cast<RegKey>(HKEY_LOCAL_MACHINE));
}

} // namespace
} // namespace wrenquil
