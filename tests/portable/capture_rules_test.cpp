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

// Records what the capture does, on a clock that only its pauses move. The user lets go of
// the hot key's modifiers at `modifiersUpAt`; the program in front copies `copyTakes` ms after
// the Ctrl+C, or never.
class RecordingCapture final : public CapturePlatform {
public:
    static constexpr unsigned kNever = ~0u;
    bool inFront = false;
    bool scrollLock = false;
    unsigned modifiersUpAt = 0;
    unsigned copyTakes = 0;
    unsigned now = 0;
    std::vector<std::string> calls;

    bool MainWindowInFront() override { return inFront; }
    void Pause(unsigned milliseconds) override { now += milliseconds; }
    bool ScrollLockOn() override { return scrollLock; }
    bool ModifierKeysDown() override { return now < modifiersUpAt; }
    void KeyEvent(std::uint8_t key, bool release) override {
        if (key == 0x11 && !release && ModifierKeysDown()) {
            calls.push_back("Ctrl+C with the hot key's modifiers down");
        }
        if (key == 0x43 && release && copyTakes != kNever) {
            copiedAt_ = now + copyTakes;
        }
        char text[32];
        std::snprintf(text, sizeof text, "key %02X %s", key, release ? "up" : "down");
        calls.push_back(text);
    }
    std::uint32_t ClipboardSequence() override { return now >= copiedAt_ ? 8 : 7; }
    bool ClipboardBusy() override { return false; }
    void RestoreFromTray() override { calls.push_back("restore at " + std::to_string(now)); }
    void PasteIntoMessageBox() override { calls.push_back("paste"); }

private:
    unsigned copiedAt_ = kNever;
};

TEST(CaptureSelection, CopiesOnceTheKeysAreUpAndPastesOnlyWhatTheCopyPutOnTheClipboard) {
    const std::vector<std::string> ctrlC{"key 11 down", "key 43 down", "key 43 up", "key 11 up"};
    auto then = [](std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const unsigned never = RecordingCapture::kNever;
    struct Case {
        const char* name;
        std::uintptr_t id;
        bool inFront;
        bool scrollLock;
        unsigned modifiersUpAt;
        unsigned copyTakes;
        std::vector<std::string> expected;
    } cases[] = {
        {"another hot key", 1, false, false, 0, 0, {}},
        {"main window in front", 0, true, true, 0, 0, {}},
        {"scroll lock off, copied at once", 0, false, false, 0, 0,
         then(ctrlC, {"restore at 200", "paste"})},
        {"scroll lock on is turned off first", 0, false, true, 0, 30,
         then({"key 91 down", "key 91 up"}, then(ctrlC, {"restore at 240", "paste"}))},
        {"a slow program: the paste waits for its copy", 0, false, false, 0, 990,
         then(ctrlC, {"restore at 1200", "paste"})},
        {"modifiers held 0.7 s: copied once they are up", 0, false, false, 700, 0,
         then(ctrlC, {"restore at 700", "paste"})},
        {"modifiers up at the last moment", 0, false, false, 1200, 0,
         then(ctrlC, {"restore at 1200", "paste"})},
        {"modifiers held too long: no copy, no paste",
         0,
         false,
         true,
         1201,
         0,
         {"restore at 1200"}},
        {"nothing copied: the old clipboard is not pasted", 0, false, false, 0, never,
         then(ctrlC, {"restore at 1200"})},
        {"copied too late", 0, false, false, 0, 1001, then(ctrlC, {"restore at 1200"})},
    };
    for (const Case& c : cases) {
        RecordingCapture platform;
        platform.inFront = c.inFront;
        platform.scrollLock = c.scrollLock;
        platform.modifiersUpAt = c.modifiersUpAt;
        platform.copyTakes = c.copyTakes;
        CaptureSelection(c.id, platform);
        EXPECT_EQ(platform.calls, c.expected) << c.name;
    }
}

} // namespace
} // namespace wrenquil
