#include "capture_rules.h"

namespace wrenquil {
namespace {

constexpr std::uint16_t HOT_KEY_SHIFT = 0x01;   // HOTKEYF_SHIFT
constexpr std::uint16_t HOT_KEY_CONTROL = 0x02; // HOTKEYF_CONTROL
constexpr std::uint16_t HOT_KEY_ALT = 0x04;     // HOTKEYF_ALT

constexpr std::uint32_t REGISTER_ALT = 0x0001;     // MOD_ALT
constexpr std::uint32_t REGISTER_CONTROL = 0x0002; // MOD_CONTROL
constexpr std::uint32_t REGISTER_SHIFT = 0x0004;   // MOD_SHIFT

constexpr std::string_view PASTE_SWITCH = " -c";

} // namespace

std::uint32_t MapHotKeyModifiers(std::uint16_t hotKeyControlModifiers) {
    std::uint32_t modifiers = 0;
    if (hotKeyControlModifiers & HOT_KEY_ALT) {
        modifiers |= REGISTER_ALT;
    }
    if (hotKeyControlModifiers & HOT_KEY_CONTROL) {
        modifiers |= REGISTER_CONTROL;
    }
    if (hotKeyControlModifiers & HOT_KEY_SHIFT) {
        modifiers |= REGISTER_SHIFT;
    }
    return modifiers;
}

bool HasPasteSwitch(std::string_view commandLine) {
    const std::size_t start =
        commandLine.size() < PASTE_SWITCH.size() ? 0 : commandLine.size() - PASTE_SWITCH.size();
    return commandLine.substr(start) == PASTE_SWITCH;
}

} // namespace wrenquil
