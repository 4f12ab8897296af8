#include "Format.h"
#include "Errors.h"

#include <gtest/gtest.h>

TEST(Format, Placeholders) {
    struct Case {
        const char* pattern;
        QStringList args;
        const char* expected;
    };
    const Case cases[] = {
        {"Camera has shut down, reason = %s", {"7"}, "Camera has shut down, reason = 7"},
        {"%s and %s", {"a", "b"}, "a and b"},
        {"%1:s before %0:s", {"a", "b"}, "b before a"},
        {"%1:s then %s", {"a", "b", "c"}, "b then c"},
        {"%0:s %0:s", {"x"}, "x x"},
        {"100%% sure", {}, "100% sure"},
        {"%%s", {"unused"}, "%s"},
        {"fewer %s", {"a", "b"}, "fewer a"},
        {"no placeholder", {"a"}, "no placeholder"},
        {"%s", {"50%s"}, "50%s"},
        {"", {}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Format(c.pattern, c.args), c.expected) << c.pattern;
}

TEST(Format, PatternAskingForMoreThanGivenRaisesFormatError) {
    for (const char* pattern :
         {"%s %s", "%1:s", "%0:s %s", "%d", "50%", "%0s", "%:s", "%99999999999999999999:s"}) {
        try {
            Format(pattern, {"a"});
            ADD_FAILURE() << "no error for " << pattern;
        } catch (const EFormatError& e) {
            EXPECT_TRUE(e.message().contains(pattern)) << e.message().toStdString();
        }
    }
}
