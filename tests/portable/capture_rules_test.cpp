#include "shell/capture/capture_rules.h"
#include "shell/capture/capture_selection.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace wrenquil {
namespace {

// The hot key control's Shift, Control, Alt and extended-key bits become RegisterHotKey's; the
// paste switch counts only as the command line's last three characters.
TEST(CaptureRules, MapModifiersAndFindThePasteSwitch) {
    EXPECT_EQ(MapHotKeyModifiers(0x01), 0x4u);
    EXPECT_EQ(MapHotKeyModifiers(0x0E), 0x3u);
    EXPECT_TRUE(HasPasteSwitch("\"C:\\Program Files\\Wrenquil\\Wrenquil.exe\" -c"));
    for (const char* line : {"Wrenquil.exe -C", "Wrenquil.exe -c ", "Wrenquil.exe -cx", "-c", ""}) {
        EXPECT_FALSE(HasPasteSwitch(line)) << line;
    }
}

// The moment the capture happens in: the hot key's id, and when the user lets go of its
// modifiers and the program in front copies, in ms after its Ctrl+C.
struct Situation {
    std::uintptr_t id;
    bool inFront, scrollLock;
    unsigned modifiersUpAt, copyTakes;
};

// Notes what the capture does, on a clock that only its pauses move: key events as "17v" (down)
// and "17^" (up), the key in decimal. Scroll Lock is the hot key: each press of it waits in the
// queue as another press of the hot key.
class RecordingCapture final : public CapturePlatform, public Situation {
public:
    explicit RecordingCapture(const Situation& situation) : Situation(situation) {}
    std::string done;
    int hotKeyPressesQueued = 0;

    bool MainWindowInFront() override { return inFront; }
    void Pause(unsigned milliseconds) override { now_ += milliseconds; }
    bool ScrollLockOn() override { return scrollLock; }
    bool ModifierKeysDown() override { return now_ < modifiersUpAt; }
    void KeyEvent(std::uint8_t key, bool release) override {
        hotKeyPressesQueued += key == 0x91 && !release ? 1 : 0; // Scroll Lock
        copiedAt_ = key == 0x43 && release ? now_ + copyTakes : copiedAt_;
        done += std::to_string(key) + (release ? "^ " : "v ");
    }
    std::uint32_t ClipboardSequence() override { return now_ >= copiedAt_ ? 8 : 7; }
    bool ClipboardBusy() override { return false; }
    void RestoreFromTray() override { done += "restore at " + std::to_string(now_); }
    void PasteIntoMessageBox() override { done += ", paste"; }
    void DropHotKeyPressesMeanwhile() override { hotKeyPressesQueued = 0; }

private:
    unsigned now_ = 0;
    unsigned copiedAt_ = ~0u;
};

TEST(CaptureSelection, CopiesOnceTheKeysAreUpAndPastesOnlyWhatTheCopyPutOnTheClipboard) {
    const std::string ctrlC = "17v 67v 67^ 17^ ";
    const std::tuple<const char*, Situation, std::string> cases[] = {
        // clang-format off
        {"another hot key", {1, false, false, 0, 0}, ""},
        {"main window in front", {0, true, true, 0, 0}, ""},
        {"scroll lock on is turned off first", {0, false, true, 0, 30}, "145v 145^ " + ctrlC + "restore at 240, paste"},
        {"copied too late: no old clipboard", {0, false, false, 0, 1001}, ctrlC + "restore at 1200"},
        {"modifiers up at the last moment", {0, false, false, 1200, 0}, ctrlC + "restore at 1200, paste"},
        {"modifiers held too long: no copy", {0, false, true, 1201, 0}, "restore at 1200"},
        // clang-format on
    };
    for (const auto& [name, situation, done] : cases) {
        RecordingCapture platform(situation);
        CaptureSelection(situation.id, platform);
        EXPECT_EQ(platform.done, done) << name;
        // Taken later, another press would copy once more should another program be in front.
        EXPECT_EQ(platform.hotKeyPressesQueued, 0) << name;
    }
}

} // namespace
} // namespace wrenquil
