#include "run_entry.h"

#include "registry_key.h"

#include <optional>
#include <utility>
#include <vector>

namespace wrenquil {
namespace {

// The longest "ExePath" accepted, its terminating zero included.
constexpr std::uint32_t EXE_PATH_CAPACITY = 255;

// The two places an entry can be: machine-wide first, the user's own where that fails.
const std::pair<RegKey, const char*> RUN_KEYS[] = {{LOCAL_MACHINE_KEY, MACHINE_RUN_KEY},
                                                   {CURRENT_USER_KEY, USER_RUN_KEY}};

bool IsText(std::uint32_t type) {
    return type == REG_TYPE_SZ || type == REG_TYPE_EXPAND_SZ || type == REG_TYPE_MULTI_SZ;
}

// What "ExePath" holds, to be copied into the entry: text as the registry holds it (so no code
// page stands in between), anything else as its bytes in a REG_SZ.
struct RunCommand {
    std::uint32_t type;
    bool asStored;
    std::vector<std::uint8_t> data;
};

std::optional<RunCommand> ReadRunCommand(RegistryApi& registry) {
    const RegistryKey key =
        RegistryKey::Open(registry, CURRENT_USER_KEY, EXE_PATH_KEY, KEY_ACCESS_READ);
    if (!key) {
        return std::nullopt;
    }
    // At most EXE_PATH_CAPACITY characters, in UTF-16 when it is text.
    std::uint8_t data[2 * EXE_PATH_CAPACITY] = {};
    std::uint32_t size = sizeof data;
    std::uint32_t type = 0;
    if (registry.QueryValueAsStored(key.Handle(), EXE_PATH_VALUE, &type, data, &size) !=
            REG_SUCCESS ||
        (!IsText(type) && size > EXE_PATH_CAPACITY)) {
        return std::nullopt;
    }
    return RunCommand{IsText(type) ? type : REG_TYPE_SZ, IsText(type),
                      std::vector<std::uint8_t>(data, data + size)};
}

RegistryKey OpenRunKey(RegistryApi& registry, const std::pair<RegKey, const char*>& place,
                       std::uint32_t access) {
    return RegistryKey::Open(registry, place.first, place.second, access);
}

bool Write(RegistryApi& registry, const std::pair<RegKey, const char*>& place,
           const RunCommand& command) {
    const RegistryKey run = OpenRunKey(registry, place, KEY_ACCESS_READ_SET_VALUE);
    if (!run) {
        return false;
    }
    if (!command.asStored) {
        return run.Set(RUN_VALUE, command.type, command.data);
    }
    return registry.SetValueAsStored(run.Handle(), RUN_VALUE, command.type, command.data.data(),
                                     static_cast<std::uint32_t>(command.data.size())) ==
           REG_SUCCESS;
}

void Remove(RegistryApi& registry, const std::pair<RegKey, const char*>& place) {
    if (const RegistryKey run = OpenRunKey(registry, place, KEY_ACCESS_READ_SET_VALUE)) {
        registry.DeleteValue(run.Handle(), RUN_VALUE);
    }
}

int EntryCount(RegistryApi& registry) {
    int count = 0;
    for (const auto& place : RUN_KEYS) {
        if (const RegistryKey run = OpenRunKey(registry, place, KEY_ACCESS_READ)) {
            std::uint32_t size = 0;
            count += registry.QueryValue(run.Handle(), RUN_VALUE, nullptr, nullptr, &size) ==
                     REG_SUCCESS;
        }
    }
    return count;
}

} // namespace

// Leaves at most one entry, so the program never starts twice at log-on; an entry that cannot
// be written leaves none, so the box is not ticked for a program that will not start.
bool ApplyRunAtStartup(RegistryApi& registry, bool runAtStartup) {
    const std::optional<RunCommand> command =
        runAtStartup ? ReadRunCommand(registry) : std::nullopt;
    const std::pair<RegKey, const char*>* written = nullptr;
    for (const auto& place : RUN_KEYS) {
        if (command && written == nullptr && Write(registry, place, *command)) {
            written = &place;
        } else {
            Remove(registry, place);
        }
    }
    if (written != nullptr && EntryCount(registry) > 1) { // another one could not be removed
        Remove(registry, *written);
    }
    return EntryCount(registry) > 0;
}

bool RunEntryExists(RegistryApi& registry) {
    return EntryCount(registry) > 0;
}

} // namespace wrenquil
