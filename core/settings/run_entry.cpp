#include "run_entry.h"

#include "registry_key.h"

#include <optional>
#include <utility>
#include <vector>

namespace wrenquil {
namespace {

// The longest "ExePath" accepted, its terminating zero included.
constexpr std::uint32_t kExePathCapacity = 255;

// The two places an entry can be: machine-wide first, the user's own where that fails.
const std::pair<RegKey, const char*> kRunKeys[] = {{kLocalMachineKey, kMachineRunKey},
                                                   {kCurrentUserKey, kUserRunKey}};

bool IsText(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// What "ExePath" holds, to be copied into the entry: text as the registry holds it (so no code
// page stands in between), anything else as its bytes in a REG_SZ.
struct RunCommand {
    std::uint32_t type;
    bool asStored;
    std::vector<std::uint8_t> data;
};

std::optional<RunCommand> ReadRunCommand(RegistryApi& registry) {
    const RegistryKey key = RegistryKey::Open(registry, kCurrentUserKey, kExePathKey, kKeyRead);
    if (!key) {
        return std::nullopt;
    }
    // At most kExePathCapacity characters, in UTF-16 when it is text.
    std::uint8_t data[2 * kExePathCapacity] = {};
    std::uint32_t size = sizeof data;
    std::uint32_t type = 0;
    if (registry.QueryValueAsStored(key.Handle(), kExePathValue, &type, data, &size) !=
            kRegSuccess ||
        (!IsText(type) && size > kExePathCapacity)) {
        return std::nullopt;
    }
    return RunCommand{IsText(type) ? type : kRegSz, IsText(type),
                      std::vector<std::uint8_t>(data, data + size)};
}

RegistryKey OpenRunKey(RegistryApi& registry, const std::pair<RegKey, const char*>& place,
                       std::uint32_t access) {
    return RegistryKey::Open(registry, place.first, place.second, access);
}

bool Write(RegistryApi& registry, const std::pair<RegKey, const char*>& place,
           const RunCommand& command) {
    const RegistryKey run = OpenRunKey(registry, place, kKeyReadSetValue);
    if (!run) {
        return false;
    }
    if (!command.asStored) {
        return run.Set(kRunValue, command.type, command.data);
    }
    return registry.SetValueAsStored(run.Handle(), kRunValue, command.type, command.data.data(),
                                     static_cast<std::uint32_t>(command.data.size())) ==
           kRegSuccess;
}

void Remove(RegistryApi& registry, const std::pair<RegKey, const char*>& place) {
    if (const RegistryKey run = OpenRunKey(registry, place, kKeyReadSetValue)) {
        registry.DeleteValue(run.Handle(), kRunValue);
    }
}

int EntryCount(RegistryApi& registry) {
    int count = 0;
    for (const auto& place : kRunKeys) {
        if (const RegistryKey run = OpenRunKey(registry, place, kKeyRead)) {
            std::uint32_t size = 0;
            count += registry.QueryValue(run.Handle(), kRunValue, nullptr, nullptr, &size) ==
                     kRegSuccess;
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
    for (const auto& place : kRunKeys) {
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
