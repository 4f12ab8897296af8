#pragma once
// What ffprobe and ffmpeg read from a recorded file: its streams, and the
// colours of its video frames as they play.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRgb>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace probe {

// ffprobe's streams of the file.
inline QJsonArray streams(const QString& path) {
    QProcess ffprobe;
    ffprobe.start(LUMVIK_FFPROBE, {"-v", "error", "-show_streams", "-of", "json", path});
    EXPECT_TRUE(ffprobe.waitForFinished(60000));
    EXPECT_EQ(ffprobe.exitCode(), 0) << ffprobe.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(ffprobe.readAllStandardOutput())["streams"].toArray();
}

// The seconds of sound in an audio stream: AVI keeps its sample count.
inline double soundSeconds(const QJsonObject& audio) {
    return audio["nb_frames"].toString().toDouble() / audio["sample_rate"].toString().toDouble();
}

inline QByteArray run(const char* program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}

// The top-left pixel the video shows in each of its slots: every stored
// frame lasts until the next one, the last one to the stream's end.
inline std::vector<QRgb> slotPixels(const QString& path, int width, int height) {
    const QByteArray rgb =
        run(LUMVIK_FFMPEG, {"-v", "error", "-i", path, "-map", "0:v", "-fps_mode", "passthrough",
                            "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    const QStringList lines =
        QString::fromUtf8(
            run(LUMVIK_FFPROBE, {"-v", "error", "-select_streams", "v", "-show_entries",
                                 "packet=pts,size", "-of", "csv=p=0", path}))
            .split('\n', Qt::SkipEmptyParts);
    std::vector<int> starts;
    for (const QString& line : lines)
        if (line.section(',', 1).toInt() > 0)
            starts.push_back(line.section(',', 0, 0).toInt());
    const int total = streams(path)[0].toObject()["nb_frames"].toString().toInt();
    std::vector<QRgb> pixels;
    const qsizetype frameBytes = qsizetype(width) * height * 3;
    for (size_t i = 0; i < starts.size() && qsizetype(i + 1) * frameBytes <= rgb.size(); ++i) {
        const qsizetype at = qsizetype(i) * frameBytes;
        const QRgb pixel = qRgb(uchar(rgb[at]), uchar(rgb[at + 1]), uchar(rgb[at + 2]));
        const int end = i + 1 < starts.size() ? starts[i + 1] : total;
        pixels.insert(pixels.end(), std::max(0, end - starts[i]), pixel);
    }
    return pixels;
}

} // namespace probe
