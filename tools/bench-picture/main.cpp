// Decoding and lossless rotation speed on a 12-megapixel camera-sized JPEG:
// decode time at each of the four scales, and rotation by 90 degrees against
// the same rotation done by the jpegtran program on the same file.

#include "AtomicFile.h"
#include "JPEGImage.h"
#include "Jpegtrans.h"

#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <random>

namespace {

constexpr int Width = 4000;
constexpr int Height = 3000;

// Smooth colour with fine noise on top: compresses like a photograph rather
// than like a flat test card.
QByteArray twelveMegapixelJpeg() {
    QImage image(Width, Height, QImage::Format_RGB888);
    std::mt19937 noise(1);
    for (int y = 0; y < Height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < Width; ++x) {
            const int n = int(noise() % 24);
            row[3 * x] = uchar(x * 200 / Width + n);
            row[3 * x + 1] = uchar(y * 200 / Height + n);
            row[3 * x + 2] = uchar(((x / 40 + y / 40) % 2) * 120 + n);
        }
    }
    TJPEGImage jpeg;
    jpeg.assign(image);
    jpeg.setCompressionQuality(90);
    jpeg.compress();
    return jpeg.data();
}

struct Files {
    QTemporaryDir folder;
    QByteArray jpeg = twelveMegapixelJpeg();
    QString input = folder.filePath("input.jpg");
    QString output = folder.filePath("output.jpg");
    Files() { WriteFileAtomically(input, jpeg); }
};

Files& files() {
    static Files instance;
    return instance;
}

void Decode(benchmark::State& state) {
    const auto scale = TJPEGScale(state.range(0));
    for (auto _ : state) {
        TJPEGImage image;
        image.loadFromData(files().jpeg);
        image.setScale(scale);
        benchmark::DoNotOptimize(image.bitmap().constBits());
    }
    state.SetLabel(
        QStringLiteral("%1x%2").arg(Width >> int(scale)).arg(Height >> int(scale)).toStdString());
}
BENCHMARK(Decode)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void RotateInMemory(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(TransformJpeg(files().jpeg, TTransformCode::Rotate90).size());
}
BENCHMARK(RotateInMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

// File to file, as the transfer does it, to compare with the jpegtran program.
void RotateFile(benchmark::State& state) {
    for (auto _ : state)
        WriteFileAtomically(files().output,
                            TransformJpeg(ReadWholeFile(files().input), TTransformCode::Rotate90));
}
BENCHMARK(RotateFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void RotateJpegtran(benchmark::State& state) {
    for (auto _ : state) {
        const int code =
            QProcess::execute(JPEGTRAN_PATH, {"-copy", "all", "-rotate", "90", "-outfile",
                                              files().output, files().input});
        if (code != 0)
            state.SkipWithError("jpegtran failed");
    }
}
BENCHMARK(RotateJpegtran)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints the usual table and then the rotation times as ratios to jpegtran's
// (run with --benchmark_repetitions to compare medians).
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            realTimes_[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const double jpegtran = realTime("RotateJpegtran/real_time");
        for (const char* name : {"RotateInMemory/real_time", "RotateFile/real_time"})
            if (const double ours = realTime(name); ours > 0 && jpegtran > 0)
                std::printf("%s / jpegtran: %.2f\n", name, ours / jpegtran);
    }

  private:
    // The median of repeated runs when there are repetitions.
    double realTime(const std::string& name) const {
        for (const std::string& key : {name + "_median", name})
            if (const auto found = realTimes_.find(key); found != realTimes_.end())
                return found->second;
        return 0;
    }
    std::map<std::string, double> realTimes_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::printf("JPEG of %dx%d pixels, %lld bytes\n", Width, Height,
                static_cast<long long>(files().jpeg.size()));
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
