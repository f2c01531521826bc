// The capture hot key, pressed for real while Wine's notepad is in front with a selection, and
// the paste a second start asks for.
#include "desktop_input.h"
#include "main_window_harness.h"

#include "res/resource.h"
#include "shell/messages.h"

#include <gtest/gtest.h>

#include <atomic>

namespace wrenquil {
namespace {

bool ScrollLockLit() {
    return (::GetKeyState(VK_SCROLL) & 1) != 0;
}

class Capture : public testing::Test {
protected:
    // Wine's notepad, one for the suite: starting it costs more than a capture.
    static void SetUpTestSuite() {
        ::WinExec("notepad.exe", SW_SHOWNORMAL);
        WaitUntil(
            [] {
                return (edit = ::FindWindowExA(::FindWindowA("Notepad", nullptr), nullptr, "Edit",
                                               nullptr)) != nullptr;
            },
            10000);
    }
    // Its text is set, never typed: it closes without asking to save.
    static void TearDownTestSuite() { ::PostMessageA(::GetParent(edit), WM_CLOSE, 0, 0); }

    void SetUp() override {
        ASSERT_NE(edit, nullptr) << "notepad did not start";
        // Before any window holds them: a key left registered elsewhere would not reach ours.
        ASSERT_TRUE(HotKeyFree(0, VK_SCROLL) && HotKeyFree(MOD_CONTROL | MOD_ALT, 'A'))
            << "Scroll Lock or Ctrl+Alt+A is held by a registration left behind; pressing it "
               "could crash Wine's server";
        ASSERT_TRUE(PressKeysInUntil(nullptr, 0, {VK_SCROLL}, [] { return !ScrollLockLit(); }));
    }

    // Hides the window and puts notepad in front with `selection` selected.
    static void HideBehindNotepad(const Driver& d, const std::string& selection) {
        d.Command(ID_MESSAGE_HIDE);
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(d.window); }));
        ::SendMessageA(edit, WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>((selection + " and more").c_str()));
        ::SendMessageA(edit, EM_SETSEL, 0, selection.size());
        ASSERT_TRUE(BringToFront(::GetParent(edit)));
    }
    // Captures `selection` from notepad with `keys`: expects the window back, and once it has
    // handled the hot key's messages queued meanwhile, the selection in its box.
    static void ExpectCaptured(const Driver& d, const std::string& selection,
                               std::initializer_list<BYTE> keys) {
        HideBehindNotepad(d, selection);
        PressKeys(keys);
        ASSERT_TRUE(WaitUntil([&] { return d.Restored(); })) << "box: " << d.Text(IDC_MESSAGE);
        EXPECT_TRUE(PostedMessagesHandled(d));
        EXPECT_EQ(d.Text(IDC_MESSAGE), selection);
    }

    static inline HWND edit = nullptr;
};

// Scroll Lock, the built-in key, in turn: in front (and the paste a second start asks for),
// with its light on and off, with nothing selected, and another hot key's message.
TEST_F(Capture, ScrollLockCapturesOnlyFromAnotherProgramAndLeavesItsLightOff) {
    MainWindowHarness harness;
    RunSettled(harness, [&](Driver& d) {
        // In front the key does nothing. A capture would copy the box's selection (all of it,
        // as focusing the box selects it) over the clipboard with keys taken after its
        // handler, which a second start's paste at the end of the box then shows.
        d.Type(IDC_MESSAGE, "mine");
        ASSERT_TRUE(drive::SetClipboardText("clip"));
        ASSERT_TRUE(PressKeysInUntil(d.window, IDC_MESSAGE, {VK_SCROLL},
                                     [] { return HotKeysTaken() > 0; }));
        // Posted, a hot key's message is taken only once the first one's handler has returned;
        // another id's does nothing.
        ::PostMessageA(d.window, WM_HOTKEY, 1, 0);
        ASSERT_TRUE(WaitUntil([] { return HotKeysTaken() > 1; }) && InputHandled(d, IDC_MESSAGE));
        ::PostMessageA(d.window, WM_PASTECLIPBOARD, 0, 0);
        EXPECT_TRUE(WaitUntil([&] {
            return d.Text(IDC_MESSAGE) == "mineclip" && d.Status(1) == "8 characters / 1 message";
        })) << d.Text(IDC_MESSAGE);

        // The key turns the light off from on, on from off: the capture leaves it off. Nothing
        // copied: the clipboard's older text (a password, say) is not pasted.
        for (const std::string selection : {"light on before", "light off before", ""}) {
            SCOPED_TRACE(selection);
            ASSERT_TRUE(drive::SetClipboardText("hunter2"));
            ExpectCaptured(d, selection, {VK_SCROLL});
            EXPECT_TRUE(WaitUntil([] { return !ScrollLockLit(); }));
        }
    });
}

// The capture turns the light back off with a Scroll Lock of its own, which sets the key off
// once more. Should another program come in front just as the capture pastes (as a window
// manager slow to move the focus makes it), that press still copies nothing more.
TEST_F(Capture, ItsOwnScrollLockCopiesNothingMoreWhenAnotherProgramComesInFront) {
    MainWindowHarness harness;
    HWND notepad = ::GetParent(edit);
    std::atomic<bool> pasted{false};
    harness.watch = [&](HWND, UINT message, WPARAM) {
        if (message == WM_PASTE && !pasted.exchange(true)) {
            ::SetForegroundWindow(notepad);
        }
    };
    RunSettled(harness, [&](Driver& d) {
        HideBehindNotepad(d, "once");
        PressKeys({VK_SCROLL}); // the light goes on
        ASSERT_TRUE(WaitUntil([&] { return pasted.load(); }));
        EXPECT_TRUE(PostedMessagesHandled(d));
        EXPECT_EQ(d.Text(IDC_MESSAGE), "once");
        EXPECT_TRUE(WaitUntil([] { return !ScrollLockLit(); }));
    });
}

// Ctrl+Alt+A stored takes the place of Scroll Lock.
TEST_F(Capture, AStoredHotKeyTakesThePlaceOfScrollLock) {
    MainWindowHarness harness;
    harness.StoreNumber("HotKey", 0x60041);
    RunSettled(harness, [&](Driver& d) {
        ExpectCaptured(d, "stored", {VK_CONTROL, VK_MENU, 'A'});
    });
}

} // namespace
} // namespace wrenquil
