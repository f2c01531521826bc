#include "desktop_input.h"
#include "gateway/send_to_gateway.h"
#include "gateway_fixture.h"
#include "main_window_harness.h"
#include "res/resource.h"

#include <commctrl.h>

#include <gtest/gtest.h>

namespace wrenquil {
namespace {

// Logged in, with a message and a number: ready to send to the local gateway.
class MainWindowSendTest : public testing::Test {
protected:
    void SetUp() override {
        gateway_ = TestGateway::FromEnvironment();
        if (!gateway_ || gateway_->port != WRENQUIL_TEST_PORT) {
            GTEST_SKIP() << "needs the test gateway on the built-in port (wine-env.sh --gateway)";
        }
        harness_.LogInAtStart();
    }

    // Presses Send and gives the status it ends with: the window sends on its own thread, so
    // the message comes back once the send is over.
    static std::string Send(Driver& d) {
        ::SendMessageTimeoutA(d.window, WM_COMMAND, IDC_SEND, 0, SMTO_NORMAL, 20000, nullptr);
        return d.Status(0);
    }

    std::optional<TestGateway> gateway_;
    MainWindowHarness harness_;
};

// (What reaches the gateway is seen natively and in the black-box runs.)
TEST_F(MainWindowSendTest, SendsKeepsTheMessageAndGivesItsBoxTheFocus) {
    harness_.Run([&](Driver& d) {
        d.Type(IDC_MESSAGE, "Hi there & all");
        d.Type(IDC_MOBILE, "+44 7700");
        ASSERT_TRUE(gateway_->Use("ok"));
        // The send gives the focus to the message box, from wherever it was.
        ::PostMessageA(d.window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(d.Item(IDC_MOBILE)), TRUE);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(d.window) == d.Item(IDC_MOBILE); }));
        EXPECT_EQ(Send(d), "OK. Message sent");
        EXPECT_EQ(d.Text(IDC_MESSAGE), "Hi there & all");
        EXPECT_TRUE(WaitUntil([&] { return FocusOf(d.window) == d.Item(IDC_MESSAGE); }));
    });
}

// The window is busy while it sends; whatever the user does meanwhile waits in its queue. A
// second Send asked for then must not send again, and what was typed into the message box
// must reach it.
enum class Input { CLICK_SEND, SPACE, MENU_SEND, TYPE_XY };

void Make(Input input, Driver& d) {
    if (input == Input::CLICK_SEND) {
        ClickOn(d.Item(IDC_SEND));
    } else if (input == Input::SPACE) {
        PressKeys({VK_SPACE});
    } else if (input == Input::MENU_SEND) {
        PressKeys({VK_MENU, 'M'});
        PressKeys({'S'});
    } else {
        PressKeys({'X'});
        PressKeys({'Y'});
    }
}

struct BusyCase {
    const char* name;
    int focus;           // the control that has the focus before the send
    Input start;         // the user's first Send
    Input meantime;      // what the user does during it
    const char* message; // the box's text at the end (given the focus, its text was selected)
    friend void PrintTo(const BusyCase& c, std::ostream* os) { *os << c.name; }
};

const BusyCase BUSY_CASES[] = {
    {"second_click", IDC_MESSAGE, Input::CLICK_SEND, Input::CLICK_SEND, "Hi"},
    {"second_space_on_the_button", IDC_SEND, Input::SPACE, Input::SPACE, "Hi"},
    {"menu_send_twice", IDC_MESSAGE, Input::MENU_SEND, Input::MENU_SEND, "Hi"},
    {"typing_goes_on_in_the_message_box", IDC_MESSAGE, Input::MENU_SEND, Input::TYPE_XY, "xy"},
};

class MainWindowBusyTest : public MainWindowSendTest,
                           public testing::WithParamInterface<BusyCase> {};

TEST_P(MainWindowBusyTest, InputMadeDuringASendStartsNoSecondOne) {
    const BusyCase& c = GetParam();
    RunSettled(harness_, [&](Driver& d) {
        d.Type(IDC_MESSAGE, "Hi"); // to the stored number
        ASSERT_TRUE(BringToFront(d.window));
        ASSERT_TRUE(gateway_->Use("slow"));
        const std::size_t before = gateway_->Requests();
        ::PostMessageA(d.window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(d.Item(c.focus)), TRUE);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(d.window) == d.Item(c.focus); }));

        Make(c.start, d);
        // Busy: the button is greyed (the status bar cannot be asked while the thread waits).
        ASSERT_TRUE(WaitUntil([&] { return !d.Enabled(IDC_SEND); }));
        Make(c.meantime, d);
        ASSERT_TRUE(
            WaitUntil([&] { return d.Enabled(IDC_SEND) && d.Status(0) == "OK. Message sent"; }));
        // A character typed meanwhile was once seen to reach the box only after Send was back.
        EXPECT_TRUE(WaitUntil([&] { return d.Text(IDC_MESSAGE) == c.message; }))
            << d.Text(IDC_MESSAGE);
        // A key pressed in the message box, where the send leaves the focus, is taken after
        // everything made before it, and after a second send that any of that started.
        ASSERT_TRUE(InputHandled(d, IDC_MESSAGE));
        EXPECT_EQ(gateway_->Requests(), before + 1);
        EXPECT_TRUE(d.Enabled(IDC_SEND) && d.MenuEnabled(ID_MESSAGE_SEND));
    });
}

INSTANTIATE_TEST_SUITE_P(Cases, MainWindowBusyTest, testing::ValuesIn(BUSY_CASES),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace wrenquil
