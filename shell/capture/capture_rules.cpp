#include "capture_rules.h"

namespace wrenquil {
namespace {

constexpr std::uint16_t kHotKeyShift = 0x01;   // HOTKEYF_SHIFT
constexpr std::uint16_t kHotKeyControl = 0x02; // HOTKEYF_CONTROL
constexpr std::uint16_t kHotKeyAlt = 0x04;     // HOTKEYF_ALT

constexpr std::uint32_t kModAlt = 0x0001;     // MOD_ALT
constexpr std::uint32_t kModControl = 0x0002; // MOD_CONTROL
constexpr std::uint32_t kModShift = 0x0004;   // MOD_SHIFT

constexpr std::string_view kPasteSwitch = " -c";

} // namespace

std::uint32_t MapHotKeyModifiers(std::uint16_t hotKeyControlModifiers) {
    std::uint32_t modifiers = 0;
    if (hotKeyControlModifiers & kHotKeyAlt) {
        modifiers |= kModAlt;
    }
    if (hotKeyControlModifiers & kHotKeyControl) {
        modifiers |= kModControl;
    }
    if (hotKeyControlModifiers & kHotKeyShift) {
        modifiers |= kModShift;
    }
    return modifiers;
}

bool HasPasteSwitch(std::string_view commandLine) {
    const std::size_t start =
        commandLine.size() < kPasteSwitch.size() ? 0 : commandLine.size() - kPasteSwitch.size();
    return commandLine.substr(start) == kPasteSwitch;
}

} // namespace wrenquil
