// Writes the seed corpus of every fuzz target into DIR/<target>/: files like
// those a card holds (made by the demo camera's code), the program's own
// language file, patterns of every token, and every input of tests/regressions.

#include "DemoCard.h"
#include "DemoMedia.h"
#include "NamePattern.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeSeeds(const QString& folder, const QList<QByteArray>& seeds) {
    QDir().mkpath(folder);
    for (int i = 0; i < seeds.size(); ++i) {
        QFile file(folder + QString("/seed-%1").arg(i));
        if (!file.open(QIODevice::WriteOnly) || file.write(seeds[i]) != seeds[i].size())
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
    }
}

QList<QByteArray> regressionInputs() {
    QList<QByteArray> inputs;
    const QDir folder(QString(LUMVIK_SOURCE_DIR) + "/tests/regressions");
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files))
        if (file.fileName() != "README.md")
            inputs << fileBytes(file.filePath());
    return inputs;
}

// Each picture behind every value of the targets' leading option byte.
QList<QByteArray> withOptionBytes(const QList<QByteArray>& pictures, int options) {
    QList<QByteArray> seeds;
    for (const QByteArray& picture : pictures)
        for (int option = 0; option < options; ++option)
            seeds << QByteArray(1, char(option)) + picture;
    return seeds;
}

QList<QByteArray> patternSeeds() {
    QString every;
    for (const TPatternToken& token : PatternTokens)
        every += "$" + QString(token.name) + "_";
    const QByteArray facts(16, '\x41');
    QList<QByteArray> seeds;
    for (const QString& pattern :
         {every, QString("$YYYY-$MM-$DD/"), QString("$YYYY-$MM-$DD $HH-$MIN-$SEC"), QString("$CAM"),
          QString("$ZB"), QString("IMG $ $$ $TEXT$")})
        seeds << facts + pattern.toUtf8();
    return seeds;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const DemoShot shot =
        DemoShotAt(100, 1, QDateTime(QDate(2004, 5, 6), QTime(7, 8, 9)), {64, 48});
    const QByteArray jpeg = DemoJpeg(shot);
    const QList<QByteArray> pictures =
        QList<QByteArray>{jpeg, DemoJpegWithoutExif(shot)} + regressionInputs();
    writeSeeds(dir + "/fuzz_exif_rotation", withOptionBytes(pictures, 3));
    writeSeeds(dir + "/fuzz_scaled_decode", withOptionBytes(pictures, 8));
    writeSeeds(dir + "/fuzz_comment", pictures);
    writeSeeds(dir + "/fuzz_ini_format",
               {fileBytes(QString(LUMVIK_SOURCE_DIR) + "/languages/english.ini"),
                "[Form_main]\nform = \"Lumvik %s of %s\"\n; note\nx=%0:s %1:s %% %2:s %s\n"});
    writeSeeds(dir + "/fuzz_name_pattern", patternSeeds());
    writeSeeds(dir + "/fuzz_item_metadata",
               QList<QByteArray>{jpeg, DemoCrw(64), DemoAvi({jpeg}, {64, 48}, 15), DemoWav(20)} +
                   regressionInputs());
    writeSeeds(dir + "/fuzz_picture_request",
               {"[PICTURE_DATA]\nPicture_file_name=shot.jpg\nConvert_to_bmp=1\n",
                "[PICTURE_DATA]\r\nPicture_file_name=../x.jpg\r\n"});
    writeSeeds(dir + "/fuzz_update_offer",
               {"[VERSION]\nLumvik_version=2.1\nLumvik_filesize=123456\n"
                "Lumvik_archive=https://example.org/lumvik_2.1.deb\nLumvik_signature=" +
                QByteArray(88, 'A') + "\n"});
    return 0;
}
