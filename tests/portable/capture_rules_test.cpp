#include "shell/capture/capture_rules.h"
#include "shell/capture/capture_selection.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

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

class RecordingCapture final : public CapturePlatform {
public:
    bool inFront = false;
    bool scrollLock = false;
    std::vector<std::string> calls;

    bool MainWindowInFront() override { return calls.push_back("in front?"), inFront; }
    void Pause(unsigned milliseconds) override {
        calls.push_back("pause " + std::to_string(milliseconds));
    }
    bool ScrollLockOn() override { return calls.push_back("scroll lock?"), scrollLock; }
    void KeyEvent(std::uint8_t key, bool release) override {
        char text[32];
        std::snprintf(text, sizeof text, "key %02X %s", key, release ? "up" : "down");
        calls.push_back(text);
    }
    void RestoreFromTray() override { calls.push_back("restore"); }
    void PasteIntoMessageBox() override { calls.push_back("paste"); }
};

TEST(CaptureSelection, CopiesRestoresAndPastesInOrderOnlyForItsOwnKeyFromElsewhere) {
    const std::vector<std::string> copy{"key 11 down", "key 43 down", "key 43 up", "key 11 up",
                                        "pause 200",   "restore",     "paste"};
    auto then = [](std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct Case {
        const char* name;
        std::uintptr_t id;
        bool inFront;
        bool scrollLock;
        std::vector<std::string> expected;
    } cases[] = {
        {"another hot key", 1, false, false, {}},
        {"main window in front", 0, true, true, {"in front?"}},
        {"scroll lock off", 0, false, false,
         then({"in front?", "pause 200", "scroll lock?"}, copy)},
        {"scroll lock on is turned off first", 0, false, true,
         then({"in front?", "pause 200", "scroll lock?", "key 91 down", "key 91 up"}, copy)},
    };
    for (const Case& c : cases) {
        RecordingCapture platform;
        platform.inFront = c.inFront;
        platform.scrollLock = c.scrollLock;
        CaptureSelection(c.id, platform);
        EXPECT_EQ(platform.calls, c.expected) << c.name;
    }
}

} // namespace
} // namespace wrenquil
