#include "framework/wnd.h"
#include "main_window_harness.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace wrenquil {
namespace {

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
        HWND box = Driver::WaitForDialog("Error");
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
