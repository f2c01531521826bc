#include "core/counter.h"

#include <gtest/gtest.h>

namespace wrenquil {
namespace {

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

} // namespace
} // namespace wrenquil
