// The entry that runs the program when Windows starts: a copy of "ExePath", which the
// installation writes, under a Run key.
#pragma once

#include "registry_api.h"

namespace wrenquil {

inline constexpr char EXE_PATH_KEY[] = "Software\\Halvory Limited\\Wrenquil";
inline constexpr char EXE_PATH_VALUE[] = "ExePath";
inline constexpr char MACHINE_RUN_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char USER_RUN_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char RUN_VALUE[] = "Wrenquil";

// Creates the entry, or deletes it, and tells whether one exists afterwards. The entry is
// machine-wide where that key can be written, and the user's own otherwise, so an ordinary
// user gets one too; the other place is emptied, and an entry that cannot be made leaves none.
bool ApplyRunAtStartup(RegistryApi& registry, bool runAtStartup);
bool RunEntryExists(RegistryApi& registry);

} // namespace wrenquil
