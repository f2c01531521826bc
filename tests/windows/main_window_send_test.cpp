#include "desktop_input.h"
#include "framework/system_library.h"
#include "gateway/send_to_gateway.h"
#include "gateway_fixture.h"
#include "main_window_harness.h"
#include "res/resource.h"

#include "tests/support/case_name.h"

#include <commctrl.h>

#include <functional>

#include <gtest/gtest.h>

namespace wrenquil {
namespace {

// Logged in, with a message and a number: ready to send to the local gateway.
class MainWindowSendTest : public testing::Test {
protected:
    void SetUp() override {
        gateway_ = TestGatewayFromEnvironment();
        if (!gateway_ || gateway_->port != WRENQUIL_TEST_PORT) {
            GTEST_SKIP()
                << "needs the test gateway on the port built in (scripts/wine-env.sh --gateway)";
        }
        harness_.settings.WriteNumber("AutoLogon", 1);
        harness_.settings.SaveCredentials(true, "ann", "p&ss word", "");
    }
    void TearDown() override {
        if (gateway_) {
            SwitchScenario(gateway_->port, "ok");
        }
    }

    // Presses Send and gives the status it ends with.
    static std::string Send(Driver& d) {
        const char* before = "(before the send)";
        ::SendMessageA(d.Item(IDC_STATUSBAR), SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(before));
        Driver::Click(d.window, IDC_SEND);
        std::string status;
        WaitUntil([&] {
            status = d.Status(0);
            return status != before && status != kConnectingText && d.Enabled(IDC_SEND);
        });
        return status;
    }

    std::optional<TestGateway> gateway_;
    MainWindowHarness harness_;
};

TEST_F(MainWindowSendTest, ShowsTheGatewaysAnswerAndKeepsTheMessage) {
    const std::pair<const char*, std::string> cases[] = {
        {"ok", "OK. Message sent"},
        {"fail", "FAILED. Invalid mobile number"},
        {"lines", "OK. SentRef 7"},
        {"redirect", "OK. Redirect body"},
    };
    harness_.Run([&](Driver& d) {
        d.Type(IDC_MESSAGE, "Hi there & all");
        d.Type(IDC_MOBILE, "+44 7700");
        ASSERT_TRUE(d.Enabled(IDC_SEND));
        for (const auto& [scenario, status] : cases) {
            ASSERT_TRUE(SwitchScenario(gateway_->port, scenario));
            EXPECT_EQ(Send(d), status) << scenario;
            EXPECT_EQ(d.Text(IDC_MESSAGE), "Hi there & all");
            EXPECT_TRUE(WaitUntil([&] { return FocusOf(d.window) == d.Item(IDC_MESSAGE); }))
                << scenario;
        }
        ASSERT_TRUE(SwitchScenario(gateway_->port, "html500"));
        const std::string page = Send(d);
        EXPECT_EQ(page.rfind("<", 0), 0u) << page; // the page itself, its line breaks gone
        EXPECT_EQ(page.find('\n'), std::string::npos);
        ASSERT_TRUE(SwitchScenario(gateway_->port, "reset"));
        EXPECT_EQ(Send(d).rfind(kFailurePrefix, 0), 0u); // what was read before is dropped
    });
    // The number in the box is the one in use from the send on.
    EXPECT_EQ(harness_.login.mobileNumber, "+44 7700");
    const std::vector<std::string> log = ReadLogLines(gateway_->logPath);
    ASSERT_FALSE(log.empty());
    EXPECT_NE(LoggedRequestHead(log.back())
                  .find("GET /wrenquil/index.php?usr=ann&pwd=p%26ss+word&mob=%2B44+7700"
                        "&txt=Hi+there+%26+all HTTP/1.0\r\n"),
              std::string::npos)
        << log.back();
}

// WinINet is loaded at the first Send: when it cannot be, the send fails as a failing call does.
TEST_F(MainWindowSendTest, AWinInetThatCannotBeLoadedEndsTheSendInAnException) {
    class NoLibraries final : public LibraryLoader {
        HMODULE Load(const char*) override {
            ::SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        FARPROC Find(HMODULE, const char*) override { return nullptr; }
    } noLibraries;
    MainWindowHarness harness(noLibraries);
    harness.settings.WriteNumber("AutoLogon", 1);
    harness.settings.SaveCredentials(true, "ann", "p&ss word", "");
    harness.Run([&](Driver& d) {
        d.Type(IDC_MESSAGE, "kept");
        d.Type(IDC_MOBILE, "07700");
        const std::string status = Send(d);
        EXPECT_EQ(status.rfind(kFailurePrefix, 0), 0u) << status;
        EXPECT_GT(status.size(), std::string(kFailurePrefix).size()) << "with the reason";
        EXPECT_TRUE(d.Enabled(IDC_SEND));
        EXPECT_EQ(d.Text(IDC_MESSAGE), "kept");
    });
}

TEST_F(MainWindowSendTest, AMessageTooLongForTheUrlIsRefusedWithABox) {
    harness_.Run([&](Driver& d) {
        d.Type(IDC_MESSAGE, std::string(800, '&')); // tripled by the encoding
        d.Type(IDC_MOBILE, "07700");
        Driver::Click(d.window, IDC_SEND);
        HWND box = d.WaitForDialog("Error");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(Driver::BoxText(box), kUrlRejectedText);
        EXPECT_FALSE(d.Enabled(IDC_SEND)); // until the box is closed
        Driver::Click(box, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return d.Enabled(IDC_SEND); }));
        EXPECT_EQ(d.Status(0), kUrlRejectedText);
        EXPECT_EQ(d.Text(IDC_MESSAGE).size(), 800u);
    });
}

// The window is busy while it sends; whatever the user does meanwhile waits in its queue. A
// second Send asked for then must not send again, and what was typed into the message box
// must reach it.
struct BusyCase {
    const char* name;
    int focus;                             // the control that has the focus before the send
    std::function<void(Driver&)> start;    // the user's first Send
    std::function<void(Driver&)> meantime; // what the user does during it
    std::string message; // the box's text at the end (given the focus, its text was selected)
};

void PrintTo(const BusyCase& c, std::ostream* os) {
    *os << c.name;
}

void ClickSend(Driver& d) {
    ClickOn(d.Item(IDC_SEND));
}
void PressSpace(Driver&) {
    PressKeys({VK_SPACE});
}
void ChooseMenuSend(Driver&) {
    PressKeys({VK_MENU, 'M'});
    PressKeys({'S'});
}

class MainWindowBusyTest : public MainWindowSendTest,
                           public testing::WithParamInterface<BusyCase> {};

TEST_P(MainWindowBusyTest, InputMadeDuringASendStartsNoSecondOne) {
    const BusyCase& c = GetParam();
    RunSettled(harness_, [&](Driver& d) {
        d.Type(IDC_MESSAGE, "Hi");
        d.Type(IDC_MOBILE, "07700");
        ASSERT_TRUE(BringToFront(d.window));
        ASSERT_TRUE(SwitchScenario(gateway_->port, "slow"));
        const std::size_t before = ReadLogLines(gateway_->logPath).size();
        ::PostMessageA(d.window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(d.Item(c.focus)), TRUE);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(d.window) == d.Item(c.focus); }));

        c.start(d);
        // Busy: the button is greyed (the status bar cannot be asked while the thread waits).
        ASSERT_TRUE(WaitUntil([&] { return !d.Enabled(IDC_SEND); }));
        c.meantime(d);
        ASSERT_TRUE(WaitUntil([&] { return d.Status(0) == "OK. Message sent"; }));
        // A second send would start at once; give it time to reach the gateway.
        EXPECT_FALSE(
            WaitUntil([&] { return ReadLogLines(gateway_->logPath).size() > before + 1; }, 3000));
        EXPECT_EQ(ReadLogLines(gateway_->logPath).size(), before + 1);
        EXPECT_TRUE(WaitUntil([&] { return d.Text(IDC_MESSAGE) == c.message; }))
            << d.Text(IDC_MESSAGE);
        EXPECT_TRUE(
            WaitUntil([&] { return d.Enabled(IDC_SEND) && d.MenuEnabled(ID_MESSAGE_SEND); }));
        CloseMenuWithEsc();
    });
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MainWindowBusyTest,
    testing::Values(BusyCase{"second_click", IDC_MESSAGE, ClickSend, ClickSend, "Hi"},
                    BusyCase{"second_space_on_the_button", IDC_SEND, PressSpace, PressSpace, "Hi"},
                    BusyCase{"menu_send_twice", IDC_MESSAGE, ChooseMenuSend, ChooseMenuSend, "Hi"},
                    BusyCase{"typing_goes_on_in_the_message_box", IDC_MESSAGE, ChooseMenuSend,
                             [](Driver&) {
                                 PressKeys({'X'});
                                 PressKeys({'Y'});
                             },
                             "xy"}),
    CaseName());

} // namespace
} // namespace wrenquil
