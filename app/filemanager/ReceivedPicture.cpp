#include "ReceivedPicture.h"

#include "FileManagerKeys.h"
#include "JpegEdits.h"
#include "LanguageFile.h"
#include "Log.h"

#include <QFileInfo>

namespace {

using fmkeys::Section;

QString rotationComment(const TLanguageFile& language, int rotation) {
    switch (rotation) {
    case 90:
        return language.read(Section, "autocomment_rotate_90_degrees",
                             "Lumvik rotated picture 90 degrees to the right.");
    case 180:
        return language.read(Section, "autocomment_rotate_180_degrees",
                             "Lumvik rotated picture 180 degrees.");
    default:
        return language.read(Section, "autocomment_rotate_270_degrees",
                             "Lumvik rotated picture 90 degrees to the left.");
    }
}

QString sizeText(const TLanguageFile& language, TJPEGScale scale) {
    switch (scale) {
    case TJPEGScale::Full:
        return language.read(Section, "autocomment_size_full", "Resize: full");
    case TJPEGScale::Half:
        return fmkeys::Read(language, fmkeys::SizeHalf);
    case TJPEGScale::Quarter:
        return fmkeys::Read(language, fmkeys::SizeQuarter);
    case TJPEGScale::Eighth:
        break;
    }
    return fmkeys::Read(language, fmkeys::SizeEighth);
}

QString transformationComment(const TLanguageFile& language, const TPictureChoices& choices) {
    return language.read(Section, "autocomment_transformation",
                         "Lumvik picture transformation to") +
           " " + sizeText(language, choices.scale) + ", " +
           (choices.grayscale ? language.read(Section, "autocomment_gray_true", "Gray: true")
                              : language.read(Section, "autocomment_gray_false", "Gray: false")) +
           ", " + language.read(Section, "autocomment_compression", "Compression:") + " " +
           QString::number(choices.quality);
}

QByteArray reencoded(const QByteArray& jpeg, const TPictureChoices& choices,
                     const QString& cardName) {
    TJPEGImage picture;
    picture.loadFromData(jpeg);
    picture.setScale(choices.scale);
    picture.setGrayscale(choices.grayscale);
    picture.setCompressionQuality(choices.quality);
    LogLine("Decompresses " + cardName);
    picture.bitmap();
    LogLine("Compresses " + cardName);
    picture.compress();
    return picture.data();
}

} // namespace

TChangedPicture ChangedPicture(const TDeliveredPicture& delivered, const TPictureChoices& choices,
                               bool addToComment, const TLanguageFile& language,
                               const QString& path,
                               const std::function<void(const QString&)>& status) {
    const QString fileName = QFileInfo(path).fileName();
    TChangedPicture changed{delivered.bytes, choices.comment, false};
    if (choices.rotation != 0) {
        status(language.readFormatted(Section, "statusbar_rotating_picture", "Rotating picture %s",
                                      {fileName}));
        changed.bytes =
            LosslesslyRotated(delivered.bytes, {choices.rotation, delivered.cameraSize.width(),
                                                delivered.cameraSize.height(), int(choices.scale)});
        if (changed.bytes != delivered.bytes) {
            if (addToComment)
                changed.comment.append(rotationComment(language, choices.rotation));
            changed.rewritten = true;
        }
    }
    if (choices.lossy) {
        status(language.readFormatted(Section, "statusbar_transforming_picture",
                                      "Transforming picture %s", {fileName}));
        changed.bytes = reencoded(changed.bytes, choices, delivered.cardName);
        if (addToComment)
            changed.comment.append(transformationComment(language, choices));
        changed.rewritten = true;
    }
    changed.bytes = WithComment(changed.bytes, changed.comment, path);
    // Writing the comment alone rewrites the file too.
    changed.rewritten = changed.rewritten || !changed.comment.isEmpty();
    return changed;
}
