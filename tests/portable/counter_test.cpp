#include "core/counter.h"
#include "core/login_state.h"
#include "tests/support/case_name.h"
#include "tests/support/recording_main_window.h"

#include <gtest/gtest.h>

namespace wrenquil {
namespace {

using Calls = std::vector<std::string>;

TEST(CountMessages, CountsOneUpTo160ThenOnePer134Started) {
    struct Case {
        int length;
        int count;
        std::string text;
    } cases[] = {
        {0, 0, "0 characters / 0 messages"},
        {1, 1, "1 characters / 1 message"},
        {160, 1, "160 characters / 1 message"},
        {161, 2, "161 characters / 2 messages"},
        {268, 2, "268 characters / 2 messages"},
        {269, 3, "269 characters / 3 messages"},
        {402, 3, "402 characters / 3 messages"},
        {403, 4, "403 characters / 4 messages"},
        {30000, 224, "30000 characters / 224 messages"},
    };
    for (const Case& c : cases) {
        const MessageCount count = CountMessages(c.length);
        EXPECT_EQ(count.count, c.count) << c.length;
        EXPECT_EQ(CounterText(c.length, count), c.text);
    }
}

using Recount = void (*)(const LoginState&, MainWindow&);

struct RecountCase {
    const char* name;
    Recount recount;
    int loggedIn;
    int messageLength;
    int mobileLength;
    bool sendBefore;
    Calls expected;
    bool sendAfter;
};

void PrintTo(const RecountCase& c, std::ostream* os) {
    *os << c.name;
}

class RecountTest : public testing::TestWithParam<RecountCase> {};

TEST_P(RecountTest, RecountsAndSetsSendByItsRule) {
    const RecountCase& c = GetParam();
    LoginState login;
    login.loggedIn = c.loggedIn;
    RecordingMainWindow window(login);
    window.messageLength = c.messageLength;
    window.mobileLength = c.mobileLength;
    window.sendEnabled = c.sendBefore;
    c.recount(login, window);
    EXPECT_EQ(window.calls, c.expected);
    EXPECT_EQ(window.sendEnabled, c.sendAfter);
}

INSTANTIATE_TEST_SUITE_P(
    RefreshCounter, RecountTest,
    testing::Values(RecountCase{"AllowedEnablesEvenWhenAlreadyOn",
                                &RefreshCounter,
                                1,
                                5,
                                3,
                                true,
                                {"n", "m", "button on", "menu Send on",
                                 "status1 5 characters / 1 message"},
                                true},
                    RecountCase{"NotLoggedInDisablesWhenOn",
                                &RefreshCounter,
                                0,
                                5,
                                3,
                                true,
                                {"n", "m", "send?", "button off", "menu Send off",
                                 "status1 5 characters / 1 message"},
                                false},
                    RecountCase{"NoMobileAndAlreadyOffTouchesNothing",
                                &RefreshCounter,
                                1,
                                200,
                                0,
                                false,
                                {"n", "m", "send?", "status1 200 characters / 2 messages"},
                                false},
                    RecountCase{"EmptyMessageDisables",
                                &RefreshCounter,
                                1,
                                0,
                                3,
                                true,
                                {"n", "m", "send?", "button off", "menu Send off",
                                 "status1 0 characters / 0 messages"},
                                false}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(
    MessageTextChanged, RecountTest,
    testing::Values(RecountCase{"FirstCharacterEnables",
                                &MessageTextChanged,
                                1,
                                1,
                                3,
                                false,
                                {"n", "m", "send?", "button on", "menu Send on",
                                 "status1 1 characters / 1 message"},
                                true},
                    RecountCase{"MoreCharactersLeaveSendAlone",
                                &MessageTextChanged,
                                1,
                                161,
                                3,
                                true,
                                {"n", "m", "send?", "status1 161 characters / 2 messages"},
                                true},
                    RecountCase{"LastCharacterDeletedDisables",
                                &MessageTextChanged,
                                1,
                                0,
                                3,
                                true,
                                {"n", "m", "send?", "button off", "menu Send off",
                                 "status1 0 characters / 0 messages"},
                                false},
                    RecountCase{"NotLoggedInNeverEnables",
                                &MessageTextChanged,
                                0,
                                4,
                                3,
                                false,
                                {"n", "m", "status1 4 characters / 1 message"},
                                false},
                    RecountCase{"NoMobileNeverEnables",
                                &MessageTextChanged,
                                1,
                                4,
                                0,
                                false,
                                {"n", "m", "status1 4 characters / 1 message"},
                                false},
                    // Logged off with Send still on: a non-empty message never disables here.
                    RecountCase{"NeverDisablesANonEmptyMessage",
                                &MessageTextChanged,
                                0,
                                4,
                                0,
                                true,
                                {"n", "m", "status1 4 characters / 1 message"},
                                true}),
    CaseName());

} // namespace
} // namespace wrenquil
