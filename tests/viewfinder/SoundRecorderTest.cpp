#include "SoundRecorder.h"

#include "Errors.h"
#include "SoundServer.h"
#include "TestEnvironment.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QSignalSpy>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

// Lets the event loop run until `done` or ten seconds passed.
template <class F> bool waitFor(F done) {
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class SoundRecorderTest : public ::testing::Test {
  protected:
    void SetUp() override { TSoundServer::Ensure(); }
    TSoundRecorder recorder;
};

quint32 field32(const QByteArray& bytes, int at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}
quint16 field16(const QByteArray& bytes, int at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

class WavRecording : public SoundRecorderTest,
                     public ::testing::WithParamInterface<TSoundFormat> {};

// The WAV file appears only when the recording stops, with the sizes of
// what was recorded and the chosen format.
TEST_P(WavRecording, WritesTheChosenFormat) {
    const TSoundFormat format = GetParam();
    const QString path = testenv::newFolder("wav") + "/movie.wav";
    recorder.SetFormat(format);
    recorder.RecordToFile(path);
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_TRUE(waitFor([&] { return recorder.recordedBytes() > format.bytesPerSecond() / 2; }));
    recorder.StopRecording();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray wav = file.readAll();
    ASSERT_GE(wav.size(), 44);
    EXPECT_EQ(wav.left(4), "RIFF");
    EXPECT_EQ(field32(wav, 4), quint32(wav.size() - 8));
    EXPECT_EQ(wav.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(field32(wav, 16), 16u);
    EXPECT_EQ(field16(wav, 20), 1);
    EXPECT_EQ(field16(wav, 22), format.channels);
    EXPECT_EQ(field32(wav, 24), quint32(format.sampleRate));
    EXPECT_EQ(field32(wav, 28), quint32(format.bytesPerSecond()));
    EXPECT_EQ(field16(wav, 32), format.bytesPerFrame());
    EXPECT_EQ(field16(wav, 34), format.bitsPerSample);
    EXPECT_EQ(wav.mid(36, 4), "data");
    EXPECT_EQ(field32(wav, 40), quint32(wav.size() - 44));
    EXPECT_GT(wav.size() - 44, format.bytesPerSecond() / 2);
    EXPECT_EQ((wav.size() - 44) % format.bytesPerFrame(), 0);
    EXPECT_EQ(WavSoundLength(path), 1000LL * (wav.size() - 44) / format.bytesPerSecond());
}

INSTANTIATE_TEST_SUITE_P(Formats, WavRecording,
                         ::testing::Values(TSoundFormat{8, 22050, 1}, TSoundFormat{16, 44100, 2},
                                           TSoundFormat{16, 48000, 1}));

// The test sound: recorded into the two channels, played back to its end.
TEST_F(SoundRecorderTest, RecordsChannelsApartAndPlaysThemBack) {
    recorder.SetFormat({16, 22050, 2});
    QByteArray left, right;
    recorder.RecordToMemory([&](const QByteArray& l, const QByteArray& r) {
        left += l;
        right += r;
    });
    ASSERT_TRUE(waitFor([&] { return left.size() > 22050; }));
    recorder.StopRecording();
    EXPECT_EQ(left.size(), right.size());
    EXPECT_EQ(left.size() % 2, 0);

    QSignalSpy stopped(&recorder, &TSoundRecorder::playingStopped);
    recorder.Play(left.left(8820), right.left(8820)); // 0.2 s
    EXPECT_TRUE(waitFor([&] { return stopped.count() == 1; }));
    recorder.Play(left, {}); // the left channel alone
    recorder.StopPlaying();
    EXPECT_EQ(stopped.count(), 2);
}

TEST(WavFile, SoundLengthFromTheHeader) {
    const QString path = testenv::newFolder("length") + "/five.wav";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(WavHeader({16, 44100, 2}, 5 * 176400));
    file.close();
    EXPECT_EQ(WavSoundLength(path), 5000);
    EXPECT_THROW(WavSoundLength(path + ".missing"), EInOutError);

    // A header cut one byte short is unreadable, not read past its end.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(WavHeader({16, 44100, 2}, 5 * 176400).chopped(1));
    file.close();
    EXPECT_THROW(WavSoundLength(path), EInOutError);
}

} // namespace
