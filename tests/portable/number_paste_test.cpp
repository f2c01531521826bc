#include "core/number_paste.h"
#include "tests/support/code_page_932.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

namespace wrenquil {
namespace {

bool NoLeadBytes(unsigned char) {
    return false;
}

TEST(FitPastedNumber, TakesWhatFitsStripsWhatFitsOnlyThenAndRefusesTheRest) {
    // What is pasted, the length of the box's text outside its selection, what goes in.
    const std::tuple<std::string, std::size_t, std::optional<std::string>> cases[] = {
        {"+44 7700 900 12", 0, "+44 7700 900 12"}, // fits exactly: as is
        {"+44 (0)77-009.00/12", 0, "+440770090012"},
        {"07700 900 123", 3, "07700900123"}, // 3 + 13 do not
        {"0770 0900\r\n", 0, "0770 0900"},   // no line break in a one-line box
        {"1234567890123456", 0, std::nullopt},
        {"+44 7700 900 123", 5, std::nullopt}, // 5 + 13 after stripping
        {"", 16, ""},                          // a longer stored number stays as it is
    };
    for (const auto& [pasted, keptLength, inserted] : cases) {
        EXPECT_EQ(FitPastedNumber(pasted, keptLength, 15, NoLeadBytes), inserted)
            << '"' << pasted << "\" after " << keptLength;
    }
}

// The limit counts characters: in the Japanese code page a full-width digit is one in two bytes.
TEST(FitPastedNumber, CountsCharactersOfTwoBytesOnce) {
    const std::string digits = FullWidthDigits("07700 900 123");
    const std::tuple<std::string, std::size_t, std::optional<std::string>> cases[] = {
        {digits, 0, digits},                                    // 13 characters in 24 bytes
        {digits, 3, FullWidthDigits("07700900123")},            // 3 + 11 after stripping
        {FullWidthDigits("0123456789012345"), 0, std::nullopt}, // 16
    };
    for (const auto& [pasted, keptLength, inserted] : cases) {
        EXPECT_EQ(FitPastedNumber(pasted, keptLength, 15, Cp932LeadByte), inserted)
            << pasted.size() << " bytes after " << keptLength;
    }
}

} // namespace
} // namespace wrenquil
