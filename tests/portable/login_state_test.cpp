#include "core/login_state.h"
#include "core/settings/preferences.h"
#include "tests/support/case_name.h"
#include "tests/support/recording_main_window.h"

#include <gtest/gtest.h>

namespace wrenquil {
namespace {

using Calls = std::vector<std::string>;

const std::string kAnnText = "User \"ann\" logged in, to logoff choose Message->Logoff";
const std::string kAnnLoggedIn = "status0 " + kAnnText;
const std::string kLoggedOut = std::string("status0 ") + kLoggedOutText;

enum class Action { StartUp, Login, Logoff, Preferences };

int AcceptAs(LoginState& state, const char* user, const char* password) {
    state.userName = user;
    state.password = password;
    return 0;
}

// One row of the login state table: the state before, the event, and what the window saw.
struct TransitionCase {
    const char* name;
    Action action;
    LoginState before;
    bool autoLogon;
    int messageLength;
    int mobileLength;
    std::function<int(LoginState&)> loginDialog;
    PreferencesOutcome preferences;
    Calls expected;
    int loggedInAfter;
    std::string statusAfter; // status part 0
};

void PrintTo(const TransitionCase& c, std::ostream* os) {
    *os << c.name;
}

class LoginTransitionTest : public testing::TestWithParam<TransitionCase> {};

TEST_P(LoginTransitionTest, MakesExactlyTheWindowOperationsOfItsRow) {
    const TransitionCase& c = GetParam();
    LoginState state = c.before;
    RecordingMainWindow window(state);
    window.messageLength = c.messageLength;
    window.mobileLength = c.mobileLength;
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
    EXPECT_EQ(window.calls, c.expected);
    EXPECT_EQ(state.loggedIn, c.loggedInAfter);
    EXPECT_EQ(window.status[0], c.statusAfter);
}

LoginState LoggedOut(const char* user = "", const char* password = "") {
    return LoginState{user, password, "", 0};
}
LoginState LoggedIn() {
    return LoginState{"ann", "pw", "", 1};
}

PreferencesOutcome Accepted(bool autoLogon, const char* user, const char* password,
                            const char* mobile) {
    return PreferencesOutcome{0, autoLogon, user, password, mobile};
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LoginTransitionTest,
    testing::Values(
        TransitionCase{
            "StartAutoLogonOff",
            Action::StartUp,
            LoggedOut("ann", ""),
            false,
            0,
            0,
            nullptr,
            {},
            {"button off", "menu Send off", "menu Login on", "menu Logoff off", kLoggedOut},
            0,
            kLoggedOutText},
        TransitionCase{
            "StartAutoLogonBothStored",
            Action::StartUp,
            LoggedOut("ann", "pw"),
            true,
            4,
            4,
            nullptr,
            {},
            {"button off", "menu Send off", "menu Login off", "menu Logoff on", kAnnLoggedIn},
            1,
            kAnnText},
        TransitionCase{"StartPasswordMissingDialogAccepted",
                       Action::StartUp,
                       LoggedOut("ann"),
                       true,
                       0,
                       0,
                       [](LoginState& s) { return AcceptAs(s, "ann", "pw"); },
                       {},
                       {"login dialog", "menu Login off", "menu Logoff on", "n", "m", kAnnLoggedIn},
                       1,
                       kAnnText},
        TransitionCase{"StartUserMissingDialogCancelled",
                       Action::StartUp,
                       LoggedOut("", "pw"),
                       true,
                       0,
                       0,
                       nullptr,
                       {},
                       {"login dialog"},
                       0,
                       kNotLoggedInText},
        TransitionCase{"LoginAcceptedWithMessageAndNumber",
                       Action::Login,
                       LoggedOut(),
                       false,
                       3,
                       4,
                       [](LoginState& s) { return AcceptAs(s, "ann", "pw"); },
                       {},
                       {"login dialog", "menu Login off", "menu Logoff on", "n", "m", "button on",
                        "menu Send on", kAnnLoggedIn},
                       1,
                       kAnnText},
        TransitionCase{"LoginAcceptedWithoutNumberLeavesSend",
                       Action::Login,
                       LoggedOut(),
                       false,
                       3,
                       0,
                       [](LoginState& s) { return AcceptAs(s, "ann", "pw"); },
                       {},
                       {"login dialog", "menu Login off", "menu Logoff on", "n", "m", kAnnLoggedIn},
                       1,
                       kAnnText},
        TransitionCase{"LoginWhileLoggedIn",
                       Action::Login,
                       LoggedIn(),
                       false,
                       3,
                       4,
                       nullptr,
                       {},
                       {},
                       1,
                       kNotLoggedInText},
        TransitionCase{"LoginCancelled",
                       Action::Login,
                       LoggedOut(),
                       false,
                       3,
                       4,
                       nullptr,
                       {},
                       {"login dialog"},
                       0,
                       kNotLoggedInText},
        TransitionCase{
            "LogoffWhileLoggedIn",
            Action::Logoff,
            LoggedIn(),
            false,
            3,
            4,
            nullptr,
            {},
            {"button off", "menu Send off", "menu Login on", "menu Logoff off", kLoggedOut},
            0,
            kLoggedOutText},
        TransitionCase{"LogoffWhileLoggedOut",
                       Action::Logoff,
                       LoggedOut(),
                       false,
                       3,
                       4,
                       nullptr,
                       {},
                       {},
                       0,
                       kNotLoggedInText},
        TransitionCase{"PreferencesAutoLogonWithCredentials",
                       Action::Preferences,
                       LoggedOut(),
                       false,
                       5,
                       0,
                       nullptr,
                       Accepted(true, "ann", "pw", "0790"),
                       {"preferences dialog", "mobile text 0790", "m", "n", "send?", "button on",
                        "menu Send on", "menu Login off", "menu Logoff on", "m", "n", "button on",
                        "menu Send on", kAnnLoggedIn},
                       1,
                       kAnnText},
        TransitionCase{
            "PreferencesAlreadyLoggedIn",
            Action::Preferences,
            LoggedIn(),
            false,
            0,
            2,
            nullptr,
            Accepted(false, "", "", ""),
            {"preferences dialog", "menu Login off", "menu Logoff on", "m", "n", kAnnLoggedIn},
            1,
            kAnnText},
        TransitionCase{"PreferencesOtherwiseOnlyRefillsTheNumber",
                       Action::Preferences,
                       LoggedOut(),
                       false,
                       5,
                       0,
                       nullptr,
                       Accepted(true, "ann", "", "077"),
                       {"preferences dialog", "mobile text 077", "m", "n"},
                       0,
                       kNotLoggedInText},
        TransitionCase{"PreferencesCancelled",
                       Action::Preferences,
                       LoggedIn(),
                       false,
                       5,
                       2,
                       nullptr,
                       PreferencesOutcome{1, true, "bob", "x", "1"},
                       {"preferences dialog"},
                       1,
                       kNotLoggedInText}),
    CaseName());

// Only an accepted Auto Logon with both fields filled changes the password in use: merely
// looking at the Preferences dialog must not log the user out in all but name.
TEST(PreferencesCommand, KeepsThePasswordInUseUnlessAutoLogonAcceptsNewCredentials) {
    struct Case {
        const char* name;
        PreferencesOutcome outcome;
        std::string password;
        std::string userName;
        std::string mobileNumber;
    } cases[] = {
        {"cancelled", PreferencesOutcome{1, true, "bob", "new", "1"}, "typed", "ann", ""},
        {"auto logon off", Accepted(false, "bob", "new", "1"), "typed", "ann", ""},
        {"empty password", Accepted(true, "bob", "", "1"), "typed", "ann", "1"},
        {"empty user", Accepted(true, "", "new", ""), "typed", "ann", ""},
        {"both filled", Accepted(true, "bob", "new", ""), "new", "bob", ""},
    };
    for (const Case& c : cases) {
        LoginState state{"ann", "typed", "", 1};
        RecordingMainWindow window(state);
        window.preferencesDialog = [&] { return c.outcome; };
        PreferencesCommand(state, window);
        EXPECT_EQ(state.password, c.password) << c.name;
        EXPECT_EQ(state.userName, c.userName) << c.name;
        EXPECT_EQ(state.mobileNumber, c.mobileNumber) << c.name;
        EXPECT_EQ(state.loggedIn, 1) << c.name;
    }
}

TEST(MobileNumberChanged, EnablesOrDisablesOnlyAtTheEdges) {
    struct Case {
        int loggedIn, messageLength, mobileLength;
        bool sendBefore;
        Calls expected;
        bool sendAfter;
    } cases[] = {
        {1, 3, 1, false, {"m", "n", "send?", "button on", "menu Send on"}, true},
        {1, 3, 0, true, {"m", "n", "send?", "button off", "menu Send off"}, false},
        {1, 3, 2, true, {"m", "n", "send?"}, true},
        {0, 3, 2, false, {"m", "n"}, false},
        {1, 0, 2, true, {"m", "n"}, true}, // the emptied message box disables Send itself
        {1, 0, 0, false, {"m", "n", "send?"}, false},
    };
    for (const Case& c : cases) {
        LoginState state{"ann", "pw", "", c.loggedIn};
        RecordingMainWindow window(state);
        window.messageLength = c.messageLength;
        window.mobileLength = c.mobileLength;
        window.sendEnabled = c.sendBefore;
        MobileNumberChanged(state, window);
        EXPECT_EQ(window.calls, c.expected);
        EXPECT_EQ(window.sendEnabled, c.sendAfter);
    }
}

TEST(LoggedInStatusText, ShowsTheUserNameUnchanged) {
    EXPECT_EQ(LoggedInStatusText("a\"b"),
              "User \"a\"b\" logged in, to logoff choose Message->Logoff");
    EXPECT_EQ(LoggedInStatusText(""), "User \"\" logged in, to logoff choose Message->Logoff");
}

TEST(SendAllowed, NeedsLoginMessageAndNumber) {
    const LoginState in{"a", "b", "", 1};
    const LoginState out{"a", "b", "", 0};
    EXPECT_TRUE(SendAllowed(in, 1, 1));
    EXPECT_FALSE(SendAllowed(out, 1, 1));
    EXPECT_FALSE(SendAllowed(in, 0, 1));
    EXPECT_FALSE(SendAllowed(in, 1, 0));
}

} // namespace
} // namespace wrenquil
