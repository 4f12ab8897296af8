#pragma once
// The edits a transfer makes to a whole JPEG file, in memory: the lossless
// turn with its EXIF update, and the comment. The file is written once, after
// all of them.

#include "ExifRotation.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The picture turned losslessly by rotation.rotation degrees clockwise, its
// EXIF block updated to match (UpdateExifForRotation). Never raises: failures
// are logged with the prefix "Exception : Make_PictureTranformation "; a part
// of the EXIF block that cannot be updated stays as it was; a picture whose
// Orientation cannot be set to normal, or whose rotation fails, is returned
// as it was given; a rotation the codec warned about keeps the whole turned
// picture. A rotation other than 90, 180 or 270 returns the picture as given.
QByteArray LosslesslyRotated(const QByteArray& picture, const TExifRotation& rotation);

// The JPEG file with the lines, each ended by CR LF, as a comment segment
// behind its first segment; no lines, no change. ERangeError when the lines
// do not fit one segment, EConvertError naming `name` when jpeg is no JPEG
// file.
QByteArray WithComment(const QByteArray& jpeg, const QStringList& lines, const QString& name);
