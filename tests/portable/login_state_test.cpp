#include "core/counter.h"
#include "core/login_state.h"
#include "core/settings/preferences.h"
#include "tests/support/fake_main_window.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace wrenquil {
namespace {

// The counter's texts are seen below; here, the messages a text takes.
TEST(CountMessages, OneUpTo160CharactersThenOnePer134Started) {
    const std::pair<int, int> cases[] = {{160, 1}, {161, 2}, {268, 2}, {269, 3}};
    for (const auto& [length, messages] : cases) {
        EXPECT_EQ(CountMessages(length).count, messages) << length;
    }
}

// What the user sees after an event, with the credentials in use: "dialog shown|in or out
// user/password mobile box|Send|Login and Logoff items|login text", and the counter once set.
std::string Seen(const LoginState& state, const FakeMainWindow& window) {
    const std::map<std::string, std::string> texts = {
        {"You are not logged in, to login choose Message->Login", "logged out"},
        {"User \"ann\" logged in, to logoff choose Message->Logoff", "ann logged in"}};
    const auto text = texts.find(window.status[0]);
    return window.shown + "|" + (state.loggedIn ? "in " : "out ") + state.userName + "/" +
           state.password + " " + window.mobileText + "|Send " + window.Send() + "|" +
           window.Item(ID_MESSAGE_LOGIN) + " " + window.Item(ID_MESSAGE_LOGOFF) + "|" +
           (text != texts.end() ? text->second : window.status[0]) +
           (window.status[1].empty() ? "" : "|" + window.status[1]);
}

// Each event of the login record, and each change of the message or the number: Send follows
// the login, the message and the number together.
TEST(LoginState, EachEventLeavesTheWindowAsTheRecordIs) {
    struct Case {
        const char* name;
        std::function<void(LoginState&, MainWindow&)> event;
        LoginState before;
        const char *message, *mobile;
        bool sendBefore;
        std::string seen;
        bool loginAccepted = false; // as "ann" with "pw"
        PreferencesOutcome preferences = {};
    };
    const auto StartUp = [](auto& s, auto& w) { SetUpLoginState(s, {}, w); };
    const auto StartAutoLogon = [](auto& s, auto& w) { SetUpLoginState(s, {0, 1, 0, 1}, w); };
    const LoginState out{"", "", "", 0}, in{"ann", "pw", "", 1};
    // clang-format off
    const Case cases[] = {
        {"start", StartUp, {"ann", "", "", 0}, "hi", "07", true, "|out ann/ 07|Send off|on off|logged out"},
        {"start, auto logon, both stored", StartAutoLogon, {"ann", "pw", "", 0}, "hi", "07", true,
            "|in ann/pw 07|Send off|off on|ann logged in"},
        {"start, auto logon, password missing", StartAutoLogon, {"ann", "", "", 0}, "hi", "", false,
            "Login|in ann/pw |Send off|off on|ann logged in", true},
        {"login", LoginCommand, out, "hi", "07", false, "Login|in ann/pw 07|Send on|off on|ann logged in", true},
        {"login cancelled", LoginCommand, out, "hi", "07", true, "Login|out / 07|Send on|- -|"},
        {"logoff", LogoffCommand, in, "hi", "07", true, "|out ann/pw 07|Send off|on off|logged out"},
        {"preferences, auto logon", PreferencesCommand, out, "hello", "", false,
            "Preferences|in ann/pw 0790|Send on|off on|ann logged in", false, {0, true, "ann", "pw", "0790"}},
        {"preferences, auto logon without user", PreferencesCommand, in, "hello", "07", true,
            "Preferences|in ann/pw 07|Send on|off on|ann logged in", false, {0, true, "", "new", ""}},
        {"preferences cancelled", PreferencesCommand, in, "hello", "07", true,
            "Preferences|in ann/pw 07|Send on|- -|", false, {1, true, "bob", "x", "1"}},
        {"recount, logged out", RefreshCounter, out, "hello", "077", true, "|out / 077|Send off|- -||5 characters / 1 message"},
        {"message: last one deleted", MessageTextChanged, in, "", "077", true, "|in ann/pw 077|Send off|- -||0 characters / 0 messages"},
        {"message, logged out", MessageTextChanged, out, "h", "077", false, "|out / 077|Send off|- -||1 characters / 1 message"},
        {"message, no number", MessageTextChanged, in, "h", "", false, "|in ann/pw |Send off|- -||1 characters / 1 message"},
        {"number: last one deleted", MobileNumberChanged, in, "hi", "", true, "|in ann/pw |Send off|- -|"},
        {"number, logged out", MobileNumberChanged, out, "hi", "0", false, "|out / 0|Send off|- -|"},
    };
    // clang-format on
    for (const Case& c : cases) {
        LoginState state = c.before;
        FakeMainWindow window(state, c.sendBefore, c.message, c.mobile);
        window.loginResult = c.loginAccepted ? 0 : 1;
        window.preferences = c.preferences;
        c.event(state, window);
        EXPECT_EQ(Seen(state, window), c.seen) << c.name;
    }
}

} // namespace
} // namespace wrenquil
