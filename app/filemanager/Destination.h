#pragma once
// Where a transfer writes one camera item, worked out without the camera or
// the disk: the folders and patterns the user chose, the item's facts and a
// test of which names are taken are all given.

#include "CameraItem.h"
#include "NamePattern.h"

#include <QDebug>
#include <QString>
#include <QStringList>
#include <functional>

struct TNamePatterns {
    QString subDirectory; // e.g. "$YYYY-$MM-$DD/"
    QString fileName = "$CAM";

    bool operator==(const TNamePatterns&) const = default;
};

struct TDestinationFolders {
    QString target; // the target directory
    QString movies; // where ".avi" movies go instead; empty: the target directory

    bool operator==(const TDestinationFolders&) const = default;
};

// The destination of one item.
struct TDestination {
    // Folder + expanded patterns + lower-case extension, before the
    // never-overwrite rule: the name the transfer asks for at write time.
    QString path;
    // The folder below the target directory that a disc mirrors ("/" or
    // "/2003-05-17"), also for a movie written to the movies directory.
    QString discDirectory;
    // The first name free with its companions when the destination was worked out.
    QString freePath;

    bool operator==(const TDestination&) const = default;
};
QDebug operator<<(QDebug debug, const TDestination& destination);

// The facts the pattern tokens read from a picture or a movie.
TPatternSource PatternSourceOf(const tsPictureProperties& picture);
TPatternSource PatternSourceOf(const tsMovieProperties& movie);

// The files written together with the file at path: a movie's or RAW
// picture's ".thm", a picture's sound notes and, with exifText, its EXIF
// text file.
QStringList CompanionsOf(const QString& path, bool exifText);

// Where the item goes (named after its movie or its picture): the target directory (or the movies
// directory for an
// ".avi") + the expanded subdirectory and file-name patterns + the item's
// extension in lower case, made safe as a path below the folder, and its first
// free name by the never-overwrite rule. userText gives the "$TEXT" value and
// is asked only when a pattern holds it. An item that is neither picture nor
// movie has no destination (all empty).
TDestination DestinationOf(const TCameraItem& item, const TNamePatterns& patterns,
                           const TDestinationFolders& folders, const TNameTaken& taken,
                           const std::function<QString()>& userText, bool exifText = false);
