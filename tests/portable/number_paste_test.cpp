#include "core/number_paste.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace wrenquil {
namespace {

TEST(FitPastedNumber, TakesWhatFitsStripsWhatFitsOnlyThenAndRefusesTheRest) {
    struct Case {
        const char* pasted;
        std::size_t keptLength; // the box's text outside its selection
        std::optional<std::string> inserted;
    } cases[] = {
        {"+44 7700 900 12", 0, "+44 7700 900 12"}, // fits exactly: as is
        {"+44 7700 900 123", 0, "+447700900123"},
        {"(0)7700-900.123/4", 0, "077009001234"},
        {"0770\t0900", 5, "0770\t0900"},     // 5 + 9 fit: the tab stays
        {"07700 900 123", 3, "07700900123"}, // 3 + 13 do not
        {"0770 0900\r\n", 0, "0770 0900"},   // no line break in a one-line box
        {"1234567890123456", 0, std::nullopt},
        {"+44 7700 900 123", 5, std::nullopt}, // 5 + 13 after stripping
        {"7", 15, std::nullopt},               // a full box
        {"", 15, ""},
        {"", 16, ""}, // a longer stored number stays as it is
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FitPastedNumber(c.pasted, c.keptLength, 15), c.inserted)
            << '"' << c.pasted << "\" after " << c.keptLength;
    }
}

} // namespace
} // namespace wrenquil
