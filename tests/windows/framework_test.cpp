#include "framework/wnd.h"
#include "main_window_harness.h"
#include "res/resource.h"
#include "shell/main_window/ext_edit.h"
#include "shell/main_window/wrenquil_dlg.h"
#include "shell/messages.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <tuple>
#include <vector>

namespace wrenquil {
namespace {

using Row = std::tuple<UINT, UINT, UINT>; // message, notification, id

std::vector<Row> Rows(const MessageMap& map) {
    std::vector<Row> rows;
    for (std::size_t i = 0; i < map.count; ++i) {
        const MessageMapEntry& e = map.entries[i];
        rows.emplace_back(e.registeredMessage ? ~0u : e.message, e.notification, e.id);
    }
    return rows;
}

TEST(MessageMap, MainWindowHasExactlyItsRowsInOrder) {
    const UINT command = WM_COMMAND;
    const std::vector<Row> expected{
        {WM_TRAYNOTIFY, 0, 0},
        {WM_PASTECLIPBOARD, 0, 0},
        {WM_HOTKEY, 0, 0},
        {WM_SYSCOMMAND, 0, 0},
        {WM_PAINT, 0, 0},
        {WM_QUERYDRAGICON, 0, 0},
        {command, BN_CLICKED, IDC_ADD_TRAY},
        {command, BN_CLICKED, IDC_REMOVE_TRAY},
        {WM_DESTROY, 0, 0},
        {WM_SIZE, 0, 0},
        {command, 0, ID_APP_ABOUT},
        {command, 0, ID_TRAY_EXIT},
        {command, 0, ID_TRAY_RESTORE},
        {command, 0, ID_MESSAGE_HIDE},
        {command, 0, ID_HELP_ABOUT},
        {command, 0, ID_MESSAGE_EXIT},
        {WM_CLOSE, 0, 0},
        {command, 0, ID_TRAY_LOGIN},
        {command, 0, ID_TRAY_LOGOFF},
        {command, 0, ID_MESSAGE_LOGIN},
        {command, 0, ID_MESSAGE_LOGOFF},
        {command, EN_CHANGE, IDC_MESSAGE},
        {command, BN_CLICKED, IDC_SEND},
        {command, 0, ID_MESSAGE_SEND},
        {command, 0, ID_TRAY_PREFERENCES},
        {command, 0, ID_OPTIONS_PREFERENCES},
        {WM_SHOWWINDOW, 0, 0},
        {command, EN_CHANGE, IDC_MOBILE},
        {WM_CHAR, 0, 0},
        {~0u, 0, 0}, // the shell's "TaskbarCreated", numbered at run time
    };
    EXPECT_EQ(Rows(CWrenquilDlg::messageMap), expected);
    EXPECT_EQ(CWrenquilDlg::messageMap.base, &CDialog::messageMap);
    EXPECT_EQ(Rows(CDialog::messageMap),
              (std::vector<Row>{{command, 0, IDOK}, {command, 0, IDCANCEL}}));
    EXPECT_EQ(Rows(CExtEdit::messageMap), (std::vector<Row>{{WM_CHAR, 0, 0}, {WM_KEYDOWN, 0, 0}}));
}

// A window whose handler fails; everything else it leaves to the control.
class Failing : public CWnd {
public:
    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;

private:
    LRESULT OnFail(WPARAM, LPARAM) { throw std::runtime_error("the handler failed"); }
    static const MessageMapEntry entries[];
};
const MessageMapEntry Failing::entries[] = {
    MessageRows<Failing>::OnMessage(WM_APP, &Failing::OnFail)};
const MessageMap Failing::messageMap{&CWnd::messageMap, entries, 1};

TEST(MessageMap, AnExceptionFromAHandlerIsShownAndTheWindowGoesOn) {
    HWND window = ::CreateWindowExA(0, "STATIC", "before", WS_OVERLAPPEDWINDOW, 0, 0, 100, 50,
                                    nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    Failing failing;
    ASSERT_TRUE(failing.SubclassWindow(window));

    std::string shown;
    std::thread user([&] {
        HWND box = nullptr;
        WaitUntil([&] { return (box = ::FindWindowA("#32770", "Error")) != nullptr; });
        shown = Driver::BoxText(box);
        Driver::Click(box, IDOK);
    });
    EXPECT_EQ(::SendMessageA(window, WM_APP, 0, 0), 0);
    user.join();
    EXPECT_EQ(shown, "the handler failed");

    // Messages the table does not name reach the control's own procedure.
    ::SetWindowTextA(window, "after");
    EXPECT_EQ(failing.GetWindowText(), "after");
    ::DestroyWindow(window);
    EXPECT_EQ(failing.m_hWnd, nullptr); // let go when the window is destroyed
}

} // namespace
} // namespace wrenquil
