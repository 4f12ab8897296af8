#include "ViewFinderRecording.h"

#include "FakeClock.h"
#include "Probe.h"
#include "TestEnvironment.h"

#include <QFile>
#include <gtest/gtest.h>
#include <numeric>

namespace {

struct TimingCase {
    int gap;
    double delay;
    std::vector<int> expected; // slots of the frames that follow each other by gap ms
};

class FrameTimingTable : public ::testing::TestWithParam<TimingCase> {};

TEST_P(FrameTimingTable, FramesTakeWholeSlotsWithTheRemainderCarried) {
    const TimingCase c = GetParam();
    QDateTime now(QDate(2024, 5, 17), QTime(9, 30));
    TFrameTiming timing(now);
    std::vector<int> taken;
    for (size_t i = 0; i < c.expected.size(); ++i) {
        now = now.addMSecs(c.gap);
        taken.push_back(1 + timing.next(now, c.delay) / TFrameTiming::SlotTime);
    }
    EXPECT_EQ(taken, c.expected);
    EXPECT_EQ(timing.frameCounter(), std::accumulate(taken.begin(), taken.end(), 0));
}

INSTANTIATE_TEST_SUITE_P(
    Gaps, FrameTimingTable,
    ::testing::Values(TimingCase{100, 0, {2, 2, 3, 2, 3, 2, 3, 2, 3, 2}},
                      TimingCase{30, 0, {0, 1, 1, 0, 1, 1, 1, 0, 1, 1}},
                      TimingCase{100, 10, {2, 3, 3, 2, 3, 3, 3, 2}},
                      TimingCase{40, 0, {1, 1, 1, 1}},
                      // A stall of a second fills its slots with the last frame.
                      TimingCase{1000, 0, {25, 25}},
                      TimingCase{100, -10, {2, 2, 2, 2, 3, 2, 2, 2, 3, 2}}));

QImage filled(QRgb colour) {
    QImage picture(320, 240, QImage::Format_RGB888);
    picture.fill(colour);
    return picture;
}

TEST(Recording, RecognisesTheCameraGrayPlaceholder) {
    EXPECT_TRUE(TViewFinderRecording::IsGrayFrame(filled(qRgb(128, 128, 128))));
    EXPECT_FALSE(TViewFinderRecording::IsGrayFrame(filled(qRgb(128, 128, 129))));
    QImage almost = filled(qRgb(128, 128, 128));
    almost.setPixel(319, 239, qRgb(0, 0, 0));
    EXPECT_FALSE(TViewFinderRecording::IsGrayFrame(almost));
    EXPECT_FALSE(TViewFinderRecording::IsGrayFrame(QImage()));
}

class RecordingTest : public ::testing::Test {
  protected:
    TAviFileSettings file() const {
        TAviFileSettings file;
        file.fileName = folder + "/movie.avi";
        file.tempFileName = folder + "/~AWTempmovie.avi";
        return file;
    }
    static QRgb red() { return qRgb(255, 0, 0); }
    void frame(QRgb colour, int afterMs) {
        clock.advance(afterMs);
        recording.Frame(filled(colour), 0);
    }

    TFakeClock clock;
    QString folder = testenv::newFolder("recording");
    std::vector<int> progress;
    int created = 0;
    TViewFinderRecording recording{
        {[this](TAviWriter&) { ++created; }, [this](int done) { progress.push_back(done); }}};
};

// The first frame makes the writer; the start and the stop are carried out
// by the frames after the requests; a gray frame is recorded as the frame
// before it, and the next frame goes to the gray one's buffer.
TEST_F(RecordingTest, FramesCarryOutTheRequests) {
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), gray = qRgb(128, 128, 128),
               green = qRgb(0, 255, 0);
    frame(red, 0);
    EXPECT_EQ(created, 1);
    EXPECT_EQ(recording.state(), TRecordingState::Idle);
    recording.RequestStart(file());
    EXPECT_EQ(recording.state(), TRecordingState::StartRequested);
    frame(red, 40); // begins, not recorded
    EXPECT_EQ(recording.state(), TRecordingState::Recording);
    frame(red, 80);   // 2 slots
    frame(gray, 80);  // the red frame again, 2 slots
    frame(blue, 80);  // 2 slots
    frame(gray, 120); // the blue frame again, 3 slots
    frame(green, 40); // 1 slot
    EXPECT_EQ(recording.frameCounter(), 10);
    recording.RequestStop();
    frame(green, 40); // finishes
    EXPECT_EQ(recording.state(), TRecordingState::Idle);
    EXPECT_EQ(created, 1);
    EXPECT_EQ(progress, (std::vector<int>{10}));

    const auto pixels = probe::slotPixels(file().fileName, 320, 240);
    const std::vector<QRgb> expected{red, red, red, red, blue, blue, blue, blue, blue, green};
    ASSERT_EQ(pixels.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(pixels[i], expected[i]) << "slot " << i;
}

// A stop asked for before the start was carried out fails with the writer's
// error, and the recording can start again afterwards.
TEST_F(RecordingTest, StopBeforeAnyFrameFailsOnce) {
    recording.RequestStart(file());
    recording.RequestStop();
    EXPECT_THROW(frame(red(), 40), EInOutError);
    EXPECT_EQ(recording.state(), TRecordingState::Idle);
    frame(red(), 40);
    recording.RequestStart(file());
    frame(red(), 40);
    frame(red(), 40);
    recording.FinishNow(); // the window closes while recording
    EXPECT_EQ(recording.state(), TRecordingState::Idle);
    EXPECT_EQ(probe::streams(file().fileName)[0].toObject()["nb_frames"].toString(), "1");
}

} // namespace
