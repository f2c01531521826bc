// The capture hot key, pressed for real while Wine's notepad is in front with a selection, and
// the paste a second start asks for.
#include "desktop_input.h"
#include "main_window_harness.h"

#include "res/resource.h"
#include "shell/messages.h"

#include <gtest/gtest.h>

#include <memory>

namespace wrenquil {
namespace {

bool ScrollLockLit() {
    return (::GetKeyState(VK_SCROLL) & 1) != 0;
}

class Capture : public testing::Test {
protected:
    // One notepad for the suite: starting it costs more than a capture.
    static void SetUpTestSuite() { notepad = std::make_unique<Notepad>(); }
    static void TearDownTestSuite() { notepad.reset(); }

    void SetUp() override {
        ASSERT_NE(notepad->edit, nullptr);
        // Before any window holds them: a key left registered elsewhere would not reach ours.
        ASSERT_TRUE(HotKeyFree(0, VK_SCROLL) && HotKeyFree(MOD_CONTROL | MOD_ALT, 'A'))
            << "Scroll Lock or Ctrl+Alt+A is held by a registration left behind; pressing it "
               "could crash Wine's server";
        keysFree_ = true;
        ASSERT_TRUE(PressKeysUntil({VK_SCROLL}, [] { return !ScrollLockLit(); }));
    }
    // Leaves the light off for whatever runs next.
    void TearDown() override {
        if (keysFree_) {
            EXPECT_TRUE(PressKeysUntil({VK_SCROLL}, [] { return !ScrollLockLit(); }));
        }
    }

    // Hides the window and puts notepad in front with `selection` selected.
    static void HideBehindNotepad(const Driver& d, const std::string& selection) {
        d.Command(ID_MESSAGE_HIDE);
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(d.window); }));
        ASSERT_TRUE(notepad->InFrontWith(selection + " and more", int(selection.size())));
    }
    // Waits for the window to come back from a capture and its thread to go idle, then
    // expects `expected` in its box.
    static void ExpectCaptured(const Driver& d, const MessageLog& log,
                               const std::string& expected) {
        ASSERT_TRUE(WaitUntil([&] { return d.Restored(); })) << "box: " << d.Text(IDC_MESSAGE);
        EXPECT_TRUE(log.WaitUntilQuiet());
        EXPECT_EQ(d.Text(IDC_MESSAGE), expected);
    }

    static std::unique_ptr<Notepad> notepad;

private:
    bool keysFree_ = false;
};

std::unique_ptr<Notepad> Capture::notepad;

// Scroll Lock, the built-in key, in turn: in front, with its light on and off, another hot
// key's message, nothing selected, and the paste a second start asks for.
TEST_F(Capture, ScrollLockCapturesOnlyFromAnotherProgramAndLeavesItsLightOff) {
    MainWindowHarness harness;
    harness.LogInAtStart();
    MessageLog log({WM_HOTKEY});
    RunSettled(
        harness,
        [&](Driver& d) {
            // In front the key does nothing: its light stays on as the key left it.
            PressKeys({VK_SCROLL});
            ASSERT_TRUE(log.WaitFor(d.window, WM_HOTKEY, 1));
            EXPECT_TRUE(WaitUntil(ScrollLockLit));

            // The key turns the light off from on, on from off: the capture leaves it off.
            for (const char* selection : {"light on before", "light off before"}) {
                SCOPED_TRACE(selection);
                HideBehindNotepad(d, selection);
                PressKeys({VK_SCROLL});
                ExpectCaptured(d, log, selection);
                EXPECT_TRUE(WaitUntil([] { return !ScrollLockLit(); }));
            }
            EXPECT_EQ(d.Status(1), "16 characters / 1 message");

            // A hot key's message with another id does nothing; with the capture's it captures.
            HideBehindNotepad(d, "posted");
            ::PostMessageA(d.window, WM_HOTKEY, 1, MAKELPARAM(0, VK_SCROLL));
            ASSERT_TRUE(log.WaitFor(d.window, WM_HOTKEY, 1, [](auto& e) { return e.wParam == 1; }));
            EXPECT_FALSE(::IsWindowVisible(d.window));
            EXPECT_EQ(d.Text(IDC_MESSAGE), "");
            ::PostMessageA(d.window, WM_HOTKEY, 0, MAKELPARAM(0, VK_SCROLL));
            ExpectCaptured(d, log, "posted");

            // Nothing copied: the clipboard's older text (a password, say) is not pasted.
            ASSERT_TRUE(SetClipboardText("hunter2"));
            HideBehindNotepad(d, "");
            PressKeys({VK_SCROLL});
            ExpectCaptured(d, log, "");

            // What a second start asks of the running window.
            ASSERT_TRUE(SetClipboardText(std::string(161, 'p')));
            ::PostMessageA(d.window, WM_PASTECLIPBOARD, 0, 0);
            EXPECT_TRUE(WaitUntil([&] {
                return d.Text(IDC_MESSAGE) == std::string(161, 'p') &&
                       d.Status(1) == "161 characters / 2 messages";
            }));
        },
        &log);
}

// Ctrl+Alt+A stored: Scroll Lock does nothing, Ctrl+Alt+A captures once the user lets go of
// its keys, and never pastes the clipboard's older text.
TEST_F(Capture, AStoredHotKeyTakesThePlaceOfScrollLock) {
    MainWindowHarness harness;
    harness.settings.WriteNumber("HotKey", 0x60041);
    MessageLog log({WM_HOTKEY});
    RunSettled(
        harness,
        [&](Driver& d) {
            HideBehindNotepad(d, "stored");
            PressKeys({VK_SCROLL});
            ASSERT_TRUE(WaitUntil(ScrollLockLit)); // the key has gone through
            PressKeys({VK_CONTROL, VK_MENU, 'A'});
            ExpectCaptured(d, log, "stored");
            EXPECT_EQ(log.Count(WM_HOTKEY), 1);                      // Ctrl+Alt+A's alone
            EXPECT_TRUE(WaitUntil([] { return !ScrollLockLit(); })); // the capture turned it off

            ASSERT_TRUE(SetClipboardText("hunter2"));
            HideBehindNotepad(d, "held");
            for (const BYTE key : {BYTE(VK_CONTROL), BYTE(VK_MENU), BYTE('A')}) {
                ::keybd_event(key, 0, 0, 0);
            }
            ::keybd_event('A', 0, KEYEVENTF_KEYUP, 0);
            ::Sleep(700); // the user's hand, not a wait for the program
            ::keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
            ::keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
            ASSERT_TRUE(WaitUntil([&] { return d.Restored(); }));
            EXPECT_TRUE(log.WaitUntilQuiet()); // the capture has returned
            // Under Wine the copy can miss a selection made just before; never the old text.
            const std::string box = d.Text(IDC_MESSAGE);
            EXPECT_TRUE(box == "held" || box.empty()) << box;
        },
        &log);
}

} // namespace
} // namespace wrenquil
