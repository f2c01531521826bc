// The run entry over Windows' own registry. Its rules are tested over the in-memory one; this is
// what only the real one shows: a path copied in UTF-16 with its type. (The settings' text
// through the code page is seen in the black-box runs under other locales.)
#include "core/settings/settings_store.h"
#include "shell/app/win32_registry.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace wrenquil {
namespace {

TEST(Win32Registry, SettingsAndTheRunEntryGoThroughWindowsRegistryWhole) {
    if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) {
        GTEST_SKIP() << "only a Wine prefix made for the tests is ours to change";
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Halvory Limited");
    Win32Registry registry;
    const SettingsStore store(registry, "Wrenquil");
    // A path the ANSI code page cannot carry is copied whole, and stays expandable.
    const std::wstring exePath = L"%USERPROFILE%\\\u0421\u0432\u0435\u0442\u0430\\Wrenquil.exe";
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Halvory Limited\\Wrenquil", L"ExePath",
                    REG_EXPAND_SZ, exePath.c_str(), DWORD((exePath.size() + 1) * sizeof(wchar_t)));
    EXPECT_TRUE(store.ApplyRunAtStartup(true));
    wchar_t entry[300] = {};
    DWORD type = 0, size = sizeof entry;
    EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                           L"Wrenquil", RRF_RT_ANY | RRF_NOEXPAND, &type, entry, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_EXPAND_SZ));
    EXPECT_EQ(entry, exePath);
    EXPECT_FALSE(store.ApplyRunAtStartup(false));
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Halvory Limited");
}

} // namespace
} // namespace wrenquil
