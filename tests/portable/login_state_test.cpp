#include "core/counter.h"
#include "core/login_state.h"
#include "core/settings/preferences.h"
#include "tests/support/fake_main_window.h"

#include <gtest/gtest.h>

namespace wrenquil {
namespace {

const std::string kAnnLoggedIn = "User \"ann\" logged in, to logoff choose Message->Logoff";

enum class Action { StartUp, Login, Logoff, Preferences };

int AcceptAsAnn(LoginState& state) {
    state.userName = "ann";
    state.password = "pw";
    return 0;
}

PreferencesOutcome Accepted(bool autoLogon, const char* user, const char* password,
                            const char* mobile) {
    return PreferencesOutcome{0, autoLogon, user, password, mobile};
}

// What the user sees after each event of the login record: the Login dialog or Preferences,
// Send, Login and Logoff in the Message menu, and the status bar's login text.
TEST(LoginState, EachEventLeavesTheWindowAsTheRecordIs) {
    struct Case {
        const char* name;
        Action action;
        LoginState before;
        bool autoLogon;
        const char* message;
        const char* mobile;
        bool sendBefore;
        std::function<int(LoginState&)> loginDialog;
        PreferencesOutcome preferences;
        std::vector<std::string> shown;
        int loggedIn;
        std::string send;  // "on" or "off", button and menu alike
        std::string items; // Login and Logoff: "on off", "-" when untouched
        std::string status;
    };
    const LoginState out{"", "", "", 0}, in{"ann", "pw", "", 1};
    const std::string loggedOut = kLoggedOutText, notLoggedIn = kNotLoggedInText;
    // clang-format off
    const Case cases[] = {
        {"start, auto logon off", Action::StartUp, {"ann", "", "", 0}, false, "hi", "07", true,
            nullptr, {}, {}, 0, "off", "on off", loggedOut},
        {"start, auto logon, both stored", Action::StartUp, {"ann", "pw", "", 0}, true, "hi", "07",
            true, nullptr, {}, {}, 1, "off", "off on", kAnnLoggedIn},
        {"start, password missing, accepted", Action::StartUp, {"ann", "", "", 0}, true, "", "",
            false, AcceptAsAnn, {}, {"Login"}, 1, "off", "off on", kAnnLoggedIn},
        {"start, user missing, cancelled", Action::StartUp, {"", "pw", "", 0}, true, "", "", true,
            nullptr, {}, {"Login"}, 0, "on", "- -", notLoggedIn},
        {"login with message and number", Action::Login, out, false, "hi", "07", false,
            AcceptAsAnn, {}, {"Login"}, 1, "on", "off on", kAnnLoggedIn},
        {"login without a number", Action::Login, out, false, "hi", "", false, AcceptAsAnn, {},
            {"Login"}, 1, "off", "off on", kAnnLoggedIn},
        {"login while logged in", Action::Login, in, false, "hi", "07", true, nullptr, {}, {}, 1,
            "on", "- -", notLoggedIn},
        {"login cancelled", Action::Login, out, false, "hi", "07", true, nullptr, {}, {"Login"}, 0,
            "on", "- -", notLoggedIn},
        {"logoff", Action::Logoff, in, false, "hi", "07", true, nullptr, {}, {}, 0, "off", "on off", loggedOut},
        {"logoff while logged out", Action::Logoff, out, false, "hi", "07", true, nullptr, {}, {},
            0, "on", "- -", notLoggedIn},
        {"preferences, auto logon with credentials", Action::Preferences, out, false, "hello", "",
            false, nullptr, Accepted(true, "ann", "pw", "0790"), {"Preferences"}, 1, "on", "off on", kAnnLoggedIn},
        {"preferences while logged in", Action::Preferences, in, false, "", "07", false, nullptr,
            Accepted(false, "", "", ""), {"Preferences"}, 1, "off", "off on", kAnnLoggedIn},
        {"preferences, auto logon without password", Action::Preferences, out, false, "hello", "",
            false, nullptr, Accepted(true, "ann", "", "077"), {"Preferences"}, 0, "off", "- -", notLoggedIn},
        {"preferences cancelled", Action::Preferences, in, false, "hello", "07", true, nullptr,
            PreferencesOutcome{1, true, "bob", "x", "1"}, {"Preferences"}, 1, "on", "- -",
            notLoggedIn},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoginState state = c.before;
        FakeMainWindow window(state, c.sendBefore);
        window.messageText = c.message;
        window.mobileText = c.mobile;
        window.status[0] = kNotLoggedInText; // as the main window's creation leaves it
        if (c.loginDialog) {
            window.loginDialog = c.loginDialog;
        }
        window.preferencesDialog = [&] { return c.preferences; };
        Preferences preferences;
        preferences.AutoLogon = c.autoLogon;

        switch (c.action) {
        case Action::StartUp:
            SetUpLoginState(state, preferences, window);
            break;
        case Action::Login:
            LoginCommand(state, window);
            break;
        case Action::Logoff:
            LogoffCommand(state, window);
            break;
        case Action::Preferences:
            PreferencesCommand(state, window);
            break;
        }
        EXPECT_EQ(window.shown, c.shown);
        EXPECT_EQ(state.loggedIn, c.loggedIn);
        EXPECT_EQ(window.Send(), c.send);
        EXPECT_EQ(window.LoginItems(), c.items);
        EXPECT_EQ(window.status[0], c.status);
    }
}

// Only an accepted Auto Logon with both fields filled changes the password in use: merely
// looking at the Preferences dialog must not log the user out in all but name.
TEST(PreferencesCommand, KeepsThePasswordInUseUnlessAutoLogonAcceptsNewCredentials) {
    struct Case {
        const char* name;
        PreferencesOutcome outcome;
        std::string password, userName, mobileNumber, mobileBox;
    } cases[] = {
        {"cancelled", PreferencesOutcome{1, true, "bob", "new", "1"}, "typed", "ann", "", "07"},
        {"auto logon off", Accepted(false, "bob", "new", "1"), "typed", "ann", "", "07"},
        {"empty password", Accepted(true, "bob", "", "1"), "typed", "ann", "1", "1"},
        {"empty user", Accepted(true, "", "new", ""), "typed", "ann", "", "07"},
        {"both filled", Accepted(true, "bob", "new", ""), "new", "bob", "", "07"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoginState state{"ann", "typed", "", 1};
        FakeMainWindow window(state);
        window.mobileText = "07";
        window.preferencesDialog = [&] { return c.outcome; };
        PreferencesCommand(state, window);
        EXPECT_EQ(state.password, c.password);
        EXPECT_EQ(state.userName, c.userName);
        EXPECT_EQ(state.mobileNumber, c.mobileNumber);
        EXPECT_EQ(window.mobileText, c.mobileBox);
        EXPECT_EQ(state.loggedIn, 1);
    }
}

// Send follows the login, the message and the number, whichever of them changed; the counter
// is the status bar's right part.
TEST(SendEnabling, FollowsLoginMessageAndNumber) {
    using Recount = void (*)(const LoginState&, MainWindow&);
    struct Case {
        const char* name;
        Recount recount;
        int loggedIn;
        std::string message, mobile;
        bool sendBefore;
        const char* send;
    } cases[] = {
        {"refresh: allowed", &RefreshCounter, 1, "hello", "077", false, "on"},
        {"refresh: logged out", &RefreshCounter, 0, "hello", "077", true, "off"},
        {"refresh: no number", &RefreshCounter, 1, std::string(200, 'x'), "", true, "off"},
        {"refresh: no message", &RefreshCounter, 1, "", "077", true, "off"},
        {"message: first character", &MessageTextChanged, 1, "h", "077", false, "on"},
        {"message: last character deleted", &MessageTextChanged, 1, "", "077", true, "off"},
        {"message: logged out", &MessageTextChanged, 0, "hell", "077", false, "off"},
        {"message: no number", &MessageTextChanged, 1, "hell", "", false, "off"},
        // Logged off with Send still on: a non-empty message never disables here.
        {"message: logged out, on", &MessageTextChanged, 0, "hell", "", true, "on"},
        {"number: first digit", &MobileNumberChanged, 1, "hi", "0", false, "on"},
        {"number: last digit deleted", &MobileNumberChanged, 1, "hi", "", true, "off"},
        {"number: logged out", &MobileNumberChanged, 0, "hi", "07", false, "off"},
        // The emptied message box disables Send itself.
        {"number: no message", &MobileNumberChanged, 1, "", "07", true, "on"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoginState login{"ann", "pw", "", c.loggedIn};
        FakeMainWindow window(login, c.sendBefore);
        window.messageText = c.message;
        window.mobileText = c.mobile;
        c.recount(login, window);
        EXPECT_EQ(window.Send(), c.send);
        if (c.recount != &MobileNumberChanged) {
            EXPECT_EQ(window.status[1],
                      CounterText(static_cast<int>(c.message.size()),
                                  CountMessages(static_cast<int>(c.message.size()))));
        }
    }
}

TEST(LoggedInStatusText, ShowsTheUserNameUnchanged) {
    EXPECT_EQ(LoggedInStatusText("a\"b"),
              "User \"a\"b\" logged in, to logoff choose Message->Logoff");
}

} // namespace
} // namespace wrenquil
