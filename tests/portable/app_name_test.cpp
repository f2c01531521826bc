#include "framework/app_name.h"
#include "tests/support/code_page_932.h"

#include <gtest/gtest.h>

#include <utility>

namespace wrenquil {
namespace {

// The settings' key follows the program file's name: no directory, no last extension. In the
// Japanese code page a trail byte may be a backslash ("ソ" is 83 5C) and ends nothing.
TEST(ApplicationName, IsTheFileNameWithoutItsLastExtension) {
    const std::string so = SO;
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Program Files\\Wrenquil\\Wrenquil.exe", "Wrenquil"},
        {"C:\\Tools\\a.b.exe", "a.b"},
        {"C:\\dir.x\\Sms", "Sms"},
        {"C:\\Tools\\Text. Sender", "Text. Sender"}, // a blank after the dot: no extension
        {"C:\\" + so + "\\x" + so + ".exe", "x" + so},
        {"D:" + so + ".exe", so},
    };
    for (const auto& [path, name] : cases) {
        EXPECT_EQ(ApplicationNameFromPath(path, Cp932LeadByte), name) << path;
    }
}

} // namespace
} // namespace wrenquil
