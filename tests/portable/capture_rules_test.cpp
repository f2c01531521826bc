#include "shell/capture/capture_rules.h"

#include <gtest/gtest.h>

namespace wrenquil {
namespace {

TEST(MapHotKeyModifiers, MapsAltControlShiftAndDropsTheExtendedBit) {
    const std::pair<std::uint16_t, std::uint32_t> cases[] = {
        {0x00, 0x0000}, {0x01, 0x0004}, {0x02, 0x0002}, {0x04, 0x0001},   {0x08, 0x0000},
        {0x06, 0x0003}, {0x09, 0x0004}, {0x0F, 0x0007}, {0xFFF0, 0x0000},
    };
    for (const auto& [control, registered] : cases) {
        EXPECT_EQ(MapHotKeyModifiers(control), registered) << control;
    }
}

TEST(HasPasteSwitch, LooksOnlyAtTheLastThreeCharacters) {
    const std::pair<const char*, bool> cases[] = {
        {"\"C:\\Program Files\\Wrenquil\\Wrenquil.exe\" -c", true},
        {"Wrenquil.exe -c", true},
        {" -c", true},
        {"Wrenquil.exe -C", false},
        {"Wrenquil.exe -c ", false},
        {"Wrenquil.exe -cx", false},
        {"Wrenquil.exe\t-c", false},
        {"-c", false},
        {"c", false},
        {"", false},
        {"\"Wrenquil.exe\"", false},
    };
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(HasPasteSwitch(line), expected) << line;
    }
}

} // namespace
} // namespace wrenquil
