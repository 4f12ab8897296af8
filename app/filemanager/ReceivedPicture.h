#pragma once
// What a transfer does to a received JPEG picture before it is written: the
// lossless rotation, the re-encoding at the chosen size, gray and quality, and
// the comment, in that order, all in memory, so the picture reaches the disk
// in one write.

#include "PictureChoices.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <functional>

class TLanguageFile;

// A JPEG picture as the camera delivered it.
struct TDeliveredPicture {
    QByteArray bytes;
    QString cardName; // e.g. "IMG_0001.JPG"
    // The size the camera reports; the rotation's EXIF update divides it by
    // the chosen scale.
    QSize cameraSize;
};

struct TChangedPicture {
    QByteArray bytes;
    // The comment written into the picture: the user's lines, then with
    // addToComment the automatic lines of the changes made.
    QStringList comment;
    // Whether a rotation, a re-encoding or a comment changed the bytes, so
    // that the file's date must be set again.
    bool rewritten = false;
};

// The delivered picture changed as the choices ask, to be written at path.
// status shows the localised progress texts. A failed rotation is only logged
// and leaves the picture unturned; a failing re-encoding or comment raises.
TChangedPicture ChangedPicture(const TDeliveredPicture& delivered, const TPictureChoices& choices,
                               bool addToComment, const TLanguageFile& language,
                               const QString& path,
                               const std::function<void(const QString&)>& status);
