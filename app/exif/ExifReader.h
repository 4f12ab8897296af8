#pragma once
// The EXIF reader: what a picture file's EXIF data says, as text for people
// (tag labels and values as Exiv2 prints them) and as the summary facts.

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

// One tag found in the EXIF data: its label and its value as text.
struct ExifTag {
    QString description;
    QString value;
    bool operator==(const ExifTag&) const = default;
};

// The summary facts of a picture. When the reader failed only the file name
// and the error text are set.
struct ExifSummary {
    QString fileName; // without folder
    QString error;    // the reader's error text; empty when EXIF data was read
    qint64 fileSize = 0;
    QDate fileDate;
    QString photoDate; // as recorded, "yyyy:MM:dd hh:mm:ss"
    QString make;
    QString model;
    int width = 0;
    int height = 0;
    // Present when the EXIF data holds them, as Exiv2 prints them.
    std::optional<QString> exposureTime; // or the shutter speed value
    std::optional<QString> focalLength;
    std::optional<QString> focalLength35mm;
    std::optional<QString> fNumber;
    std::optional<QString> iso;
    bool flash = false;
    bool operator==(const ExifSummary&) const = default;
};

// Everything the reader found in one file.
struct ExifContents {
    QString path;
    ExifSummary summary;
    QList<ExifTag> exifTags;      // in the file's order, maker notes left out
    QList<ExifTag> makerNoteTags; // the camera maker's notes, decoded
    bool hasExif() const { return summary.error.isEmpty(); }
    bool operator==(const ExifContents&) const = default;
};

// Reads the EXIF data of a file. A file that cannot be read or holds no EXIF
// data gives contents without tags and with the error in the summary.
ExifContents ReadExif(const QString& path);

// The summary as lines separated by CR LF (no line end after the last).
QString ExifSummaryText(const ExifSummary& summary);
