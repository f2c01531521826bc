#include "core/counter.h"

#include <gtest/gtest.h>

namespace wrenquil {
namespace {

TEST(CounterText, OneMessageUpTo160CharactersThenOnePer134Started) {
    const std::pair<int, const char*> cases[] = {
        {0, "0 characters / 0 messages"},     {1, "1 characters / 1 message"},
        {160, "160 characters / 1 message"},  {161, "161 characters / 2 messages"},
        {268, "268 characters / 2 messages"}, {269, "269 characters / 3 messages"},
    };
    for (const auto& [length, text] : cases) {
        EXPECT_EQ(CounterText(length, CountMessages(length)), text);
    }
}

} // namespace
} // namespace wrenquil
