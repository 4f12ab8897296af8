#include "Dialogs.h"
#include "FakeClock.h"
#include "ThreadMessage.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

struct Shown {
    QString text;
    qint64 atMs;
};

} // namespace

TEST(MessageThread, ShowsEachPostedMessageOnePollApartWithoutMakingThePosterWait) {
    TFakeClock clock;
    const QDateTime start = clock.now();
    TDialogScript script;
    QList<Shown> shown;
    TMessageThread thread;
    const auto record = [&](const TDialogRequest& r) {
        shown.append({r.text, start.msecsTo(clock.now())});
        return TDialogAnswer{mrOk, {}};
    };
    script
        .then([&](const TDialogRequest& r) {
            // Posting while a box is showing returns at once.
            std::thread poster([&] { thread.post("Third", "Camera event", MB_ICONERROR); });
            poster.join();
            return record(r);
        })
        .then(record)
        .then(record);
    std::atomic<qint64> postedMs{0};
    std::thread poster([&] {
        thread.post("Battery level is weak", "Camera event", MB_ICONWARNING);
        thread.post("USB connection lost", "Camera event", MB_ICONERROR);
        postedMs = start.msecsTo(clock.now());
    });
    poster.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.size() == 3; }, 20000));
    thread.terminate();

    EXPECT_EQ(shown[0].text, "Battery level is weak");
    EXPECT_EQ(shown[1].text, "USB connection lost");
    EXPECT_EQ(shown[2].text, "Third");
    EXPECT_LE(shown[0].atMs - postedMs, TMessageThread::PollMs);
    EXPECT_EQ(shown[1].atMs - shown[0].atMs, TMessageThread::PollMs);
    EXPECT_EQ(shown[2].atMs - shown[1].atMs, TMessageThread::PollMs);
    const QList<TDialogRequest> asked = script.asked();
    EXPECT_EQ(asked[0].caption, "Camera event");
    EXPECT_EQ(asked[0].type, mtWarning);
    EXPECT_EQ(asked[1].type, mtError);
    EXPECT_EQ(asked[0].buttons, TMsgDlgButtons(mbOK));
}

TEST(MessageThread, StopsWhileItsBoxWaitsForTheUserInterfaceThread) {
    TFakeClock clock;
    TDialogScript script;
    TMessageThread thread;
    thread.post("pending", "caption", MB_ICONWARNING);
    // This thread serves no events meanwhile, so once the message thread has
    // taken the message it waits for its box to be shown here.
    const QDeadlineTimer deadline(10000);
    while (thread.waiting() > 0 && !deadline.hasExpired())
        std::this_thread::yield();
    ASSERT_EQ(thread.waiting(), 0);
    ASSERT_TRUE(script.asked().isEmpty());
    thread.terminate();
    ASSERT_EQ(script.asked().size(), 1);
    EXPECT_EQ(script.asked()[0].text, "pending");
    // The thread is gone: what is posted now stays in the queue.
    thread.post("after the stop", "caption", MB_ICONWARNING);
    QCoreApplication::processEvents();
    EXPECT_EQ(script.asked().size(), 1);
    EXPECT_EQ(thread.waiting(), 1);
}
