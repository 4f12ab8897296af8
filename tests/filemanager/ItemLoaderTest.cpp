// The background reading of a list's items, over the real camera thread with
// readings of the test's own: the order they are read in, holds, stops and
// failures.

#include "ItemLoader.h"
#include "CameraSession.h"
#include "CameraThread.h"
#include "Errors.h"
#include "FakeServices.h"

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

namespace {

class ItemLoaderTest : public ::testing::Test {
  protected:
    // Every step queued for the camera thread so far has run and its answer
    // has been handled: what would arrive has arrived.
    static void settle() {
        cameraThread::Call([] {});
        QCoreApplication::processEvents();
    }

    void waitUntilLoaded() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !loader.loading(); }));
    }

    // Records on the camera thread which items were read.
    TItemLoader::TRead recordingRead() {
        return [this](int itemNumber) {
            const std::lock_guard lock(mutex);
            read.push_back(itemNumber);
            if (itemNumber == failing)
                throw ECameraError("Canon drivers error");
            TItemReading reading;
            reading.itemNumber = itemNumber;
            return reading;
        };
    }

    std::vector<int> readItems() {
        const std::lock_guard lock(mutex);
        return read;
    }

    TFakeServices services;
    TCameraSession session{services};
    std::vector<TItemReading> arrived;
    TItemLoader loader{session, [this](const TItemReading& r) { arrived.push_back(r); }};
    std::mutex mutex;
    std::vector<int> read; // on the camera thread
    int failing = 0;
};

std::vector<int> numbers(const std::vector<TItemReading>& readings) {
    std::vector<int> result;
    for (const TItemReading& reading : readings)
        result.push_back(reading.itemNumber);
    return result;
}

// The first reading is on its way at once; the rows in sight come next, then
// the rest in list order, each item once; an item read elsewhere is left out.
TEST_F(ItemLoaderTest, ShownItemsComeFirstThenTheRestInOrder) {
    loader.start(10, recordingRead());
    loader.prefer(5, 6);
    loader.drop(8);
    waitUntilLoaded();
    EXPECT_EQ(numbers(arrived), (std::vector<int>{1, 5, 6, 2, 3, 4, 7, 9, 10}));
    EXPECT_EQ(readItems(), numbers(arrived));
}

TEST_F(ItemLoaderTest, HeldReadingsWaitAndArriveWhenTheHoldEnds) {
    loader.start(3, recordingRead());
    {
        const TItemLoader::THold held(loader);
        settle();
        EXPECT_TRUE(arrived.empty());
        EXPECT_EQ(readItems(), std::vector<int>{1}) << "no reading begins during a hold";
        EXPECT_TRUE(loader.loading());
    }
    EXPECT_EQ(numbers(arrived), std::vector<int>{1});
    waitUntilLoaded();
    EXPECT_EQ(numbers(arrived), (std::vector<int>{1, 2, 3}));
}

// After a stop the item numbers may name other items: nothing of the old run
// arrives, also when its loader is gone.
TEST_F(ItemLoaderTest, NothingArrivesAfterAStopOrOnceTheLoaderIsGone) {
    loader.start(5, recordingRead());
    loader.stop();
    EXPECT_FALSE(loader.loading());
    int late = 0;
    {
        TItemLoader gone(session, [&late](const TItemReading&) { ++late; });
        gone.start(5, recordingRead());
    }
    settle();
    EXPECT_TRUE(arrived.empty());
    EXPECT_EQ(late, 0);
    EXPECT_LE(readItems().size(), 2u) << "only a reading already under way runs";

    loader.start(2, recordingRead());
    waitUntilLoaded();
    EXPECT_EQ(numbers(arrived), (std::vector<int>{1, 2}));
}

TEST_F(ItemLoaderTest, AFailedReadingArrivesWithItsMessageAndTheRestGoOn) {
    failing = 2;
    loader.start(3, recordingRead());
    waitUntilLoaded();
    ASSERT_EQ(numbers(arrived), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(arrived[1].failure, "Canon drivers error");
    EXPECT_TRUE(arrived[0].failure.isEmpty());
}

} // namespace
