#include "main_window_harness.h"
#include "res/resource.h"
#include "shell/about/about_dlg.h"
#include "shell/about/hyperlink.h"

#include <shellapi.h>

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
std::vector<std::string> Opened() {
    const std::lock_guard<std::mutex> lock(openedLock);
    return std::exchange(opened, {});
}

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

// What the link and its box look like when they are destroyed, seen before they handle it (on
// the window's thread).
struct AtDestruction {
    std::atomic<HWND> link{nullptr};
    std::atomic<HWND> box{nullptr};
    std::atomic<bool> linkClean{false};
    std::atomic<bool> boxClean{false};
} atDestruction;

LRESULT CALLBACK WatchDestruction(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_NCDESTROY) {
        const auto proc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(call->hwnd, GWLP_WNDPROC));
        if (call->hwnd == atDestruction.link) {
            atDestruction.linkClean = proc != &HyperlinkControlProc &&
                                      !::GetPropA(call->hwnd, kOriginalProcProperty) &&
                                      !::GetPropA(call->hwnd, kOriginalFontProperty) &&
                                      !::GetPropA(call->hwnd, kUnderlineFontProperty) &&
                                      !::GetPropA(call->hwnd, kFromStaticProperty);
        } else if (call->hwnd == atDestruction.box) {
            atDestruction.boxClean =
                proc != &HyperlinkParentProc && !::GetPropA(call->hwnd, kOriginalProcProperty);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

COLORREF TextColourOf(HWND box, HWND control) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    ::SetTextColor(dc, RGB(1, 2, 3));
    ::SendMessageA(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(control));
    const COLORREF colour = ::GetTextColor(dc);
    ::DeleteDC(dc);
    return colour;
}

TEST(AboutBox, ShowsTheHomePageAsALinkAndCleansUpAfterItself) {
    RecordingShell shell;
    MainWindowHarness harness(shell);
    Opened();
    HHOOK hook =
        ::SetWindowsHookExA(WH_CALLWNDPROC, &WatchDestruction, nullptr, ::GetCurrentThreadId());
    harness.Run([&](Driver& d) {
        for (const int command : {ID_HELP_ABOUT, ID_APP_ABOUT}) {
            d.Command(command);
            HWND box = d.WaitForDialog("About Wrenquil");
            ASSERT_NE(box, nullptr) << command;
            HWND link = ::GetDlgItem(box, IDC_HOMEPAGE);
            atDestruction.link = link;
            atDestruction.box = box;

            for (const char* name : {kOriginalProcProperty, kOriginalFontProperty,
                                     kUnderlineFontProperty, kFromStaticProperty}) {
                EXPECT_NE(::GetPropA(link, name), nullptr) << name;
            }
            EXPECT_NE(::GetPropA(box, kOriginalProcProperty), nullptr);
            EXPECT_TRUE(::GetWindowLongPtrA(link, GWL_STYLE) & SS_NOTIFY);
            EXPECT_EQ(TextColourOf(box, link), kHyperlinkColour);
            HWND other = ::GetWindow(link, GW_HWNDPREV); // "Home Page:"
            EXPECT_NE(TextColourOf(box, other), kHyperlinkColour) << "other statics keep theirs";

            // Hover: underlined while the pointer is over it, plain again once it leaves.
            const auto font = [&] { return ::SendMessageA(link, WM_GETFONT, 0, 0); };
            const auto original =
                reinterpret_cast<LRESULT>(::GetPropA(link, kOriginalFontProperty));
            const auto underline = ::GetPropA(link, kUnderlineFontProperty);
            EXPECT_EQ(font(), original);
            ::SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
            EXPECT_EQ(font(), reinterpret_cast<LRESULT>(underline));
            EXPECT_EQ(CaptureOf(link), link);
            ::SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 3));
            EXPECT_EQ(font(), reinterpret_cast<LRESULT>(underline)) << "still inside";
            ::SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(-40, 2));
            EXPECT_EQ(font(), original);
            EXPECT_EQ(CaptureOf(link), nullptr);
            EXPECT_EQ(CursorSetBy(link), ::LoadCursor(nullptr, IDC_HAND));

            // A click opens the home page and the box stays open.
            ::SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            ::SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
            std::vector<std::string> seen;
            EXPECT_TRUE(WaitUntil([&] { return !(seen = Opened()).empty(); }));
            EXPECT_EQ(seen,
                      std::vector<std::string>{std::string("open ") + kHomePageAddress + " 1"});
            EXPECT_TRUE(::IsWindow(box));

            // A second link on the same box does not subclass the box again.
            const HANDLE parentPrevious = ::GetPropA(box, kOriginalProcProperty);
            ConvertStaticToHyperlink(other);
            EXPECT_EQ(::GetPropA(box, kOriginalProcProperty), parentPrevious);
            EXPECT_EQ(TextColourOf(box, other), kHyperlinkColour);

            Driver::Click(box, IDOK);
            ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
            EXPECT_TRUE(atDestruction.linkClean);
            EXPECT_TRUE(atDestruction.boxClean);
            EXPECT_EQ(::GetObjectType(underline), 0u) << "font deleted";
        }
    });
    ::UnhookWindowsHookEx(hook);
}

} // namespace
} // namespace wrenquil
