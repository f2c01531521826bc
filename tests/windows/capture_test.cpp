// The capture hot key, pressed for real while Wine's notepad is in front with a selection.
#include "desktop_input.h"
#include "main_window_harness.h"

#include "res/resource.h"
#include "shell/messages.h"

#include <gtest/gtest.h>

#include <memory>

namespace wrenquil {
namespace {

class Capture : public testing::Test {
protected:
    // One notepad for the suite: starting it costs more than a capture.
    static void SetUpTestSuite() { notepad = std::make_unique<Notepad>(); }
    static void TearDownTestSuite() { notepad.reset(); }

    void SetUp() override {
        ASSERT_TRUE(notepad->Started());
        // Before any window holds them: a key left registered elsewhere would not reach ours.
        keysFree_ = HotKeyFree(0, VK_SCROLL) && HotKeyFree(MOD_CONTROL | MOD_ALT, 'A');
        ASSERT_TRUE(keysFree_) << "Scroll Lock or Ctrl+Alt+A is held by a registration left "
                                  "behind; pressing it could crash Wine's server";
        ASSERT_TRUE(SetScrollLock(false));
    }
    // Leaves the light off for whatever runs next.
    void TearDown() override {
        if (keysFree_) {
            EXPECT_TRUE(SetScrollLock(false));
        }
    }

    // Hides the window to the tray, then puts notepad in front with `text` selected.
    static void HideBehindNotepad(const Driver& d, const std::string& text) {
        d.Command(ID_MESSAGE_HIDE);
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(d.window); }));
        notepad->Select(text + " and more", 0, static_cast<int>(text.size()));
        ASSERT_TRUE(BringToFront(notepad->window));
    }

    static std::unique_ptr<Notepad> notepad;

private:
    bool keysFree_ = false;
};

std::unique_ptr<Notepad> Capture::notepad;

TEST_F(Capture, HotKeyBringsTheWindowBackWithTheSelectionAndLeavesScrollLockOff) {
    // The key itself toggles the light: pressed from off it would stay on but for the capture.
    for (const bool scrollLockBefore : {false, true}) {
        const char* row = scrollLockBefore ? "Scroll Lock on before" : "Scroll Lock off before";
        SCOPED_TRACE(row);
        ASSERT_TRUE(SetScrollLock(scrollLockBefore)); // before the window holds the key
        MainWindowHarness harness;
        harness.LogInAtStart();
        RunSettled(harness, [&](Driver& d) {
            SCOPED_TRACE(row); // the script runs on a thread of its own
            HideBehindNotepad(d, "captured");
            ASSERT_FALSE(d.Enabled(IDC_SEND));

            PressKeys({VK_SCROLL});
            ASSERT_TRUE(WaitUntil([&] {
                return d.Restored() && d.Text(IDC_MESSAGE) == "captured";
            })) << WindowState(d.window)
                << "; box: " << d.Text(IDC_MESSAGE) << "; clipboard: " << ClipboardText();
            EXPECT_EQ(d.Status(1), "8 characters / 1 message");
            EXPECT_TRUE(d.Enabled(IDC_SEND));
            EXPECT_EQ(ClipboardText(), "captured");
            EXPECT_TRUE(WaitUntil([] { return !ScrollLockOn(); }));
        });
    }
}

TEST_F(Capture, HotKeyDoesNothingWhileTheWindowIsInFront) {
    MainWindowHarness harness;
    MessageLog log({WM_HOTKEY});
    RunSettled(
        harness,
        [&](Driver& d) {
            // A capture here would copy nothing and paste the clipboard at the caret.
            d.Type(IDC_MESSAGE, "mine");
            ASSERT_TRUE(SetClipboardText("clip"));
            ::PostMessageA(d.window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(d.Item(IDC_MESSAGE)),
                           TRUE);
            // Focusing selects the whole text; the caret goes to the end after that.
            ASSERT_TRUE(WaitUntil([&] { return FocusOf(d.window) == d.Item(IDC_MESSAGE); }));
            ::SendMessageA(d.Item(IDC_MESSAGE), EM_SETSEL, 4, 4);

            PressKeys({VK_SCROLL});
            ASSERT_TRUE(log.WaitFor(d.window, WM_HOTKEY, 1));
            EXPECT_EQ(d.Text(IDC_MESSAGE), "mine");
            EXPECT_EQ(ClipboardText(), "clip");
            EXPECT_TRUE(WaitUntil(ScrollLockOn)); // as the key left it
        },
        &log);
}

TEST_F(Capture, HotKeyMessageOfAnotherIdDoesNothing) {
    MainWindowHarness harness;
    MessageLog log({WM_HOTKEY});
    RunSettled(
        harness,
        [&](Driver& d) {
            ASSERT_TRUE(SetClipboardText("clip"));
            HideBehindNotepad(d, "selected");
            auto withId = [](WPARAM id) {
                return [id](const MessageLog::Entry& e) { return e.wParam == id; };
            };

            ::PostMessageA(d.window, WM_HOTKEY, 1, MAKELPARAM(0, VK_SCROLL));
            ASSERT_TRUE(log.WaitFor(d.window, WM_HOTKEY, 1, withId(1)));
            EXPECT_FALSE(::IsWindowVisible(d.window));
            EXPECT_EQ(d.Text(IDC_MESSAGE), "");
            EXPECT_EQ(ClipboardText(), "clip");

            // The same message with the capture's id does capture.
            ::PostMessageA(d.window, WM_HOTKEY, 0, MAKELPARAM(0, VK_SCROLL));
            EXPECT_TRUE(
                WaitUntil([&] { return d.Restored() && d.Text(IDC_MESSAGE) == "selected"; }));
        },
        &log);
}

TEST_F(Capture, AStoredHotKeyTakesThePlaceOfScrollLock) {
    MainWindowHarness harness;
    harness.settings.WriteNumber("HotKey", 0x60041); // Ctrl+Alt+A
    MessageLog log({WM_HOTKEY});
    RunSettled(
        harness,
        [&](Driver& d) {
            HideBehindNotepad(d, "stored");

            PressKeys({VK_SCROLL});
            ASSERT_TRUE(WaitUntil(ScrollLockOn)); // the key has gone through
            PressKeys({VK_CONTROL, VK_MENU, 'A'});
            ASSERT_TRUE(WaitUntil([&] { return d.Restored() && d.Text(IDC_MESSAGE) == "stored"; }));
            EXPECT_EQ(log.Count(WM_HOTKEY), 1);                     // Ctrl+Alt+A's alone
            EXPECT_TRUE(WaitUntil([] { return !ScrollLockOn(); })); // the capture turned it off
        },
        &log);
}

// The capture pastes what its own copy put on the clipboard, or nothing: never the text that
// was there before, with nothing selected or with the hot key's modifiers held while it copies.
TEST_F(Capture, PastesOnlyWhatItsOwnCopyPutOnTheClipboard) {
    struct Case {
        const char* name;
        const char* selection; // in notepad; empty: nothing selected
        bool ctrlAltAHeld;     // the hot key Ctrl+Alt+A, held a while; otherwise Scroll Lock
        bool selectionMayBeMissed;
    } cases[] = {
        {"nothing selected", "", false, false},
        {"Ctrl+Alt+A held over a selection", "held", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowHarness harness;
        if (c.ctrlAltAHeld) {
            harness.settings.WriteNumber("HotKey", 0x60041);
        }
        RunSettled(harness, [&](Driver& d) {
            SCOPED_TRACE(c.name);
            ASSERT_TRUE(SetClipboardText("hunter2"));
            HideBehindNotepad(d, c.selection);
            if (c.ctrlAltAHeld) {
                for (const int key : {VK_CONTROL, VK_MENU, int('A')}) {
                    ::keybd_event(static_cast<BYTE>(key), 0, 0, 0);
                }
                ::keybd_event('A', 0, KEYEVENTF_KEYUP, 0);
                ::Sleep(700); // the user's hand, not a wait for the program
                ::keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
                ::keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
            } else {
                PressKeys({VK_SCROLL});
            }
            ASSERT_TRUE(WaitUntil([&] { return d.Restored(); })) << WindowState(d.window);
            ::SendMessageA(d.window, WM_NULL, 0, 0); // the capture has returned
            const std::string box = d.Text(IDC_MESSAGE);
            if (c.selectionMayBeMissed && box.empty()) {
                return;
            }
            EXPECT_EQ(box, c.selection) << "clipboard: " << ClipboardText();
        });
    }
}

// What a second start asks of the running window.
TEST(ClipboardPaste, PasteClipboardMessagePastesAndRecounts) {
    MainWindowHarness harness;
    harness.LogInAtStart();
    RunSettled(harness, [&](Driver& d) {
        ASSERT_TRUE(SetClipboardText(std::string(161, 'p')));
        ASSERT_FALSE(d.Enabled(IDC_SEND));
        ::PostMessageA(d.window, WM_PASTECLIPBOARD, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return d.Text(IDC_MESSAGE) == std::string(161, 'p'); }));
        ::SendMessageA(d.window, WM_NULL, 0, 0); // the handler has returned
        EXPECT_EQ(d.Status(1), "161 characters / 2 messages");
        EXPECT_TRUE(d.Enabled(IDC_SEND));
    });
}

} // namespace
} // namespace wrenquil
