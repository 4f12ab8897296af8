// Times the viewfinder's work per frame: decoding and showing 640x480 JPEG
// frames, and recording 60 s of frames at 15 per second with MJPEG on the
// fly, with time moved by a clock of our own. Prints frames per second, CPU
// per frame and the slots lost (the video's frames against its real length).
#include "AviWriter.h"
#include "Clock.h"
#include "ViewFinderRecording.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

QByteArray jpegFrame(int n) {
    QImage picture(640, 480, QImage::Format_RGB888);
    picture.fill(QColor::fromHsv(n * 7 % 360, 120, 200));
    QPainter(&picture).drawText(40, 40, QString("Frame %1").arg(n));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPEG", 75);
    return bytes;
}

double cpuSeconds() {
    return double(std::clock()) / CLOCKS_PER_SEC;
}

// A clock that moves only when told.
class SteppedClock : public TClock {
  public:
    QDateTime now() override { return start_.addMSecs(elapsed); }
    qint64 elapsed = 0;

  private:
    QDateTime start_ = QDateTime::currentDateTime();
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::vector<QByteArray> frames;
    for (int i = 0; i < 30; ++i)
        frames.push_back(jpegFrame(i));

    QLabel image;
    image.resize(320, 240);
    const int shown = 600;
    QElapsedTimer wall;
    wall.start();
    double cpu = cpuSeconds();
    for (int i = 0; i < shown; ++i) {
        const QImage picture = QImage::fromData(frames[i % frames.size()], "JPEG");
        image.setPixmap(QPixmap::fromImage(picture.scaled(320, 240)));
    }
    cpu = cpuSeconds() - cpu;
    std::printf("decode and show 640x480: %.0f frames/s, %.2f ms CPU per frame\n",
                shown * 1000.0 / wall.elapsed(), cpu * 1000 / shown);

    SteppedClock clock;
    TClock::install(&clock);
    QTemporaryDir folder;
    TViewFinderRecording recording(
        {[](TAviWriter& writer) { writer.ChooseCompressor("MJPG"); }, {}});
    const QImage picture = QImage::fromData(frames[0], "JPEG");
    recording.Frame(picture, 0);
    recording.RequestStart({folder.filePath("bench.avi"),
                            folder.filePath("~AWTempbench.avi"),
                            320,
                            240,
                            40,
                            true,
                            {}});
    recording.Frame(picture, 0);
    cpu = cpuSeconds();
    const int recorded = 60 * 15;
    for (int i = 0; i < recorded; ++i) {
        clock.elapsed += i % 3 == 0 ? 66 : 67;
        recording.Frame(QImage::fromData(frames[i % frames.size()], "JPEG"), 0);
    }
    const int asked = recording.frameCounter();
    recording.RequestStop();
    recording.Frame(picture, 0);
    cpu = cpuSeconds() - cpu;
    TClock::install(nullptr);
    std::printf("recording %lld ms at 25 fps, MJPEG on the fly: %d slots, %lld expected, "
                "%.2f ms CPU per camera frame\n",
                clock.elapsed, asked, clock.elapsed / 40, cpu * 1000 / recorded);
    return 0;
}
