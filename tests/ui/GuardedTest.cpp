#include "AppException.h"
#include "Dialogs.h"
#include "Errors.h"

#include <QPushButton>
#include <gtest/gtest.h>

TEST(Guarded, AppExceptionShowsTheMessageWithAFullStop) {
    struct Case {
        const char* message;
        const char* shown;
    };
    for (const Case c : {Case{"Camera gone", "Camera gone."}, Case{"Done.", "Done."},
                         Case{"Try again!", "Try again!"}, Case{"ends in blank ", "ends in blank "},
                         Case{"path /", "path /."}, Case{"", ""}}) {
        TDialogScript script;
        RunGuarded([&] { throw EInOutError(c.message); });
        ASSERT_EQ(script.asked().size(), 1);
        EXPECT_EQ(script.asked()[0].text, c.shown);
        EXPECT_EQ(script.asked()[0].caption, "Lumvik utilities");
        EXPECT_EQ(script.asked()[0].type, mtError);
    }
}

namespace {

struct Handlers {
    int calls = 0;
    void count() { ++calls; }
    void fail() { throw ERangeError("No pictures selected to copy"); }
};

} // namespace

// A connected handler's error reaches the error box and the next click still works.
TEST(Guarded, ConnectedHandlersRunAndTheirErrorsAreShown) {
    Handlers handlers;
    QPushButton counting, failing;
    QObject::connect(&counting, &QPushButton::clicked, &counting,
                     Guarded(&handlers, &Handlers::count));
    QObject::connect(&failing, &QPushButton::clicked, &failing,
                     Guarded(&handlers, &Handlers::fail));
    TDialogScript script;
    counting.click();
    failing.click();
    counting.click();
    EXPECT_EQ(handlers.calls, 2);
    ASSERT_EQ(script.asked().size(), 1);
    EXPECT_EQ(script.asked()[0].text, "No pictures selected to copy.");
}
