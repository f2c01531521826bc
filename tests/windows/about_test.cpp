#include "desktop_input.h"
#include "main_window_harness.h"
#include "res/resource.h"
#include "shell/about/about_dlg.h"
#include "shell/about/hyperlink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace wrenquil {
namespace {

// Written on the window's thread, read on the test's.
std::mutex openedLock;
std::vector<std::string> opened;
HINSTANCE WINAPI RecordOpen(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT show) {
    const std::lock_guard<std::mutex> lock(openedLock);
    opened.push_back(std::string(verb) + " " + file + " " + std::to_string(show));
    return reinterpret_cast<HINSTANCE>(33);
}

// The system's DLLs, but a shell whose ShellExecuteA only records what it is asked to open.
class RecordingShell final : public LibraryLoader {
public:
    HMODULE Load(const char* dll) override { return SystemLibraryLoader().Load(dll); }
    FARPROC Find(HMODULE module, const char* function) override {
        if (std::string(function) == "ShellExecuteA") {
            return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&RecordOpen));
        }
        return SystemLibraryLoader().Find(module, function);
    }
};

// The cursor that a WM_SETCURSOR to the control leaves set: the cursor belongs to the input
// state that the test's thread shares with the window's for the moment.
HCURSOR CursorSetBy(HWND control) {
    const DWORD windowThread = ::GetWindowThreadProcessId(control, nullptr);
    ::AttachThreadInput(::GetCurrentThreadId(), windowThread, TRUE);
    ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
    ::SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    const HCURSOR cursor = ::GetCursor();
    ::AttachThreadInput(::GetCurrentThreadId(), windowThread, FALSE);
    return cursor;
}

COLORREF TextColourOf(HWND control) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    ::SetTextColor(dc, RGB(1, 2, 3));
    ::SendMessageA(::GetParent(control), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(control));
    const COLORREF colour = ::GetTextColor(dc);
    ::DeleteDC(dc);
    return colour;
}

// Whether the window was given back its own procedure and rid of the link's properties.
bool CleanedUp(HWND window) {
    const auto proc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window, GWLP_WNDPROC));
    bool clean = proc != &HyperlinkControlProc && proc != &HyperlinkParentProc;
    for (const char* name : {kOriginalProcProperty, kOriginalFontProperty, kUnderlineFontProperty,
                             kFromStaticProperty}) {
        clean = clean && ::GetPropA(window, name) == nullptr;
    }
    return clean;
}

TEST(AboutBox, ShowsTheHomePageAsALinkAndCleansUpAfterItself) {
    RecordingShell shell;
    MainWindowHarness harness(shell);
    // How many of the link and its box were clean when they were destroyed.
    std::atomic<HWND> watchedLink{nullptr}, watchedBox{nullptr};
    std::atomic<int> cleanAtDestruction{0};
    harness.watch = [&](HWND window, UINT message, WPARAM) {
        if (message == WM_NCDESTROY && (window == watchedLink || window == watchedBox)) {
            cleanAtDestruction += CleanedUp(window) ? 1 : 0;
        }
    };
    RunSettled(harness, [&](Driver& d) {
        for (const int command : {ID_HELP_ABOUT, ID_APP_ABOUT}) {
            d.Command(command);
            HWND box = d.WaitForDialog("About Wrenquil");
            ASSERT_NE(box, nullptr) << command;
            HWND link = ::GetDlgItem(box, IDC_HOMEPAGE);
            watchedLink = link;
            watchedBox = box;
            cleanAtDestruction = 0;
            HWND other = ::GetWindow(link, GW_HWNDPREV); // "Home Page:"
            EXPECT_EQ(TextColourOf(link), kHyperlinkColour);
            EXPECT_NE(TextColourOf(other), kHyperlinkColour) << "other statics keep theirs";
            EXPECT_EQ(CursorSetBy(link), ::LoadCursor(nullptr, IDC_HAND));

            // Underlined while the pointer is over it, plain once it leaves, and again when back.
            const auto font = [&] { return ::SendMessageA(link, WM_GETFONT, 0, 0); };
            const LRESULT plain = font();
            ::SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
            const LRESULT underlined = font();
            LOGFONTA description{};
            ::GetObjectA(reinterpret_cast<HFONT>(underlined), sizeof description, &description);
            EXPECT_TRUE(description.lfUnderline);
            ::SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 3));
            EXPECT_EQ(font(), underlined) << "still inside";
            ::SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(-40, 2));
            EXPECT_EQ(font(), plain);
            ::SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
            EXPECT_EQ(font(), underlined) << "back inside";
            ::SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(-40, 2));

            // A click opens the home page and the box stays open.
            ::SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            ::SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
            std::vector<std::string> seen;
            EXPECT_TRUE(WaitUntil([&] {
                const std::lock_guard<std::mutex> lock(openedLock);
                return !(seen = std::exchange(opened, {})).empty();
            }));
            EXPECT_EQ(seen, std::vector<std::string>{std::string("open ") + kHomePageAddress + " " +
                                                     std::to_string(SW_SHOWNORMAL)});
            EXPECT_TRUE(::IsWindow(box));

            ConvertStaticToHyperlink(other); // a second link on the same box
            EXPECT_EQ(TextColourOf(other), kHyperlinkColour);

            Driver::Click(box, IDOK);
            ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
            EXPECT_EQ(cleanAtDestruction, 2);
            EXPECT_EQ(::GetObjectType(reinterpret_cast<HGDIOBJ>(underlined)), 0u)
                << "the underlined font is deleted";
        }
    });
}

} // namespace
} // namespace wrenquil
