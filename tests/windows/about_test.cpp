#include "desktop_input.h"
#include "main_window_harness.h"
#include "res/resource.h"
#include "shell/about/about_dlg.h"
#include "shell/about/hyperlink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <string>

namespace wrenquil {
namespace {

constexpr COLORREF LINK_BLUE = RGB(0, 0, 192);

// What the system opens http addresses with, while the object lives: a command that writes
// the address it is given into a file, where a browser would show it. (Wine's classes are the
// machine's: the user's own are not looked at.)
class RecordedBrowser {
public:
    RecordedBrowser() {
        char folder[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, folder);
        file_ = std::string(folder) + "wrenquil-opened.txt";
        ::DeleteFileA(file_.c_str());
        DWORD size = sizeof previous_;
        ::RegGetValueA(HKEY_CLASSES_ROOT, HANDLER_KEY, nullptr, RRF_RT_REG_SZ, nullptr, previous_,
                       &size);
        Set("cmd.exe /c echo %1>\"" + file_ + "\"");
    }
    ~RecordedBrowser() {
        Set(previous_);
        ::DeleteFileA(file_.c_str());
    }
    // The address it was given, once it has been.
    std::string Opened() const {
        std::string line;
        WaitUntil([&] { return std::getline(std::ifstream(file_), line) && !line.empty(); });
        return line.substr(0, line.find_last_not_of(" \r") + 1);
    }

private:
    static constexpr char HANDLER_KEY[] = "http\\shell\\open\\command";
    static void Set(const std::string& command) {
        ::RegSetKeyValueA(HKEY_CLASSES_ROOT, HANDLER_KEY, nullptr, REG_SZ, command.c_str(),
                          static_cast<DWORD>(command.size() + 1));
    }
    std::string file_;
    char previous_[MAX_PATH] = {};
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

TEST(AboutBox, ShowsTheHomePageAsALinkAndCleansUpAfterItself) {
    const RecordedBrowser browser;
    MainWindowHarness harness;
    // How many of the two links had their own font back when they were destroyed.
    std::atomic<HWND> links[2] = {nullptr, nullptr};
    std::atomic<LRESULT> plainFont{0};
    std::atomic<int> plainAtDestruction{0};
    harness.watch = [&](HWND window, UINT message, WPARAM) {
        if (message == WM_NCDESTROY && (window == links[0] || window == links[1])) {
            plainAtDestruction += ::SendMessageA(window, WM_GETFONT, 0, 0) == plainFont ? 1 : 0;
        }
    };
    RunSettled(harness, [&](Driver& d) {
        for (const int command : {ID_HELP_ABOUT, ID_APP_ABOUT}) {
            d.Command(command);
            HWND box = d.WaitForDialog("About Wrenquil");
            HWND link = ::GetDlgItem(box, IDC_HOMEPAGE);
            HWND other = ::GetWindow(link, GW_HWNDPREV); // "Home Page:"
            links[0] = link;
            links[1] = other;
            plainAtDestruction = 0;
            EXPECT_EQ(TextColourOf(link), LINK_BLUE);
            EXPECT_NE(TextColourOf(other), LINK_BLUE) << "other statics keep theirs";
            EXPECT_EQ(CursorSetBy(link), ::LoadCursor(nullptr, IDC_HAND));

            // Underlined while the pointer is over it, plain once it leaves, and again when back.
            const auto font = [&] { return ::SendMessageA(link, WM_GETFONT, 0, 0); };
            const LRESULT plain = plainFont = font();
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

            // A click opens the home page in the browser and the box stays open.
            ::SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            ::SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
            EXPECT_EQ(browser.Opened(), HOME_PAGE_ADDRESS);
            EXPECT_TRUE(::IsWindow(box));

            ConvertStaticToHyperlink(other); // a second link on the same box
            EXPECT_EQ(TextColourOf(other), LINK_BLUE);
            ::SendMessageA(other, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
            const LRESULT otherUnderlined = ::SendMessageA(other, WM_GETFONT, 0, 0);
            ::SendMessageA(other, WM_MOUSEMOVE, 0, MAKELPARAM(-40, 2));

            Driver::Click(box, IDOK);
            ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
            EXPECT_EQ(plainAtDestruction, 2);
            for (const LRESULT gone : {underlined, otherUnderlined}) {
                EXPECT_EQ(::GetObjectType(reinterpret_cast<HGDIOBJ>(gone)), 0u)
                    << "the underlined fonts are deleted";
            }
        }
    });
}

} // namespace
} // namespace wrenquil
