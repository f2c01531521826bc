#include "core/number_paste.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

namespace wrenquil {
namespace {

TEST(FitPastedNumber, TakesWhatFitsStripsWhatFitsOnlyThenAndRefusesTheRest) {
    // What is pasted, the length of the box's text outside its selection, what goes in.
    const std::tuple<const char*, std::size_t, std::optional<std::string>> cases[] = {
        {"+44 7700 900 12", 0, "+44 7700 900 12"}, // fits exactly: as is
        {"+44 (0)77-009.00/12", 0, "+440770090012"},
        {"07700 900 123", 3, "07700900123"}, // 3 + 13 do not
        {"0770 0900\r\n", 0, "0770 0900"},   // no line break in a one-line box
        {"1234567890123456", 0, std::nullopt},
        {"+44 7700 900 123", 5, std::nullopt}, // 5 + 13 after stripping
        {"", 16, ""},                          // a longer stored number stays as it is
    };
    for (const auto& [pasted, keptLength, inserted] : cases) {
        EXPECT_EQ(FitPastedNumber(pasted, keptLength, 15), inserted)
            << '"' << pasted << "\" after " << keptLength;
    }
}

} // namespace
} // namespace wrenquil
