#include "WebcamPicture.h"

#include "Log.h"

#include <QFile>

QString WebcamPath(const QString& directory, const TWebcamOptions& options) {
    return directory + "/" + options.fileName;
}

void CreateWebCamPic(const QString& picturePath, const QString& webcamPath,
                     const TWebcamOptions& options) {
    LogLine("Enters TForm_Remote.CreateWebCamPic");
    TJPEGImage picture;
    picture.loadFromFile(picturePath);
    picture.setScale(options.scale);
    picture.setCompressionQuality(options.quality);
    LogLine("Decompresses");
    picture.bitmap();
    LogLine("Compresses");
    picture.compress();
    picture.saveToFile(webcamPath);
    if (options.deleteOriginal)
        QFile::remove(picturePath);
}
