#pragma once
// What a transfer will do, worked out before anything is received: for each
// selected entry the item, where it goes, what kind of files it brings and
// what the user chose to change. A program without a window can build and
// print it.

#include "Destination.h"
#include "PictureChoices.h"

#include <QDebug>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class TFileManagerModel;

// The Options menu and the controls a transfer reads, as they stand at a click.
struct TTransferOptions {
    bool emailPictures = false;
    bool addTransformationToComment = false;
    bool openExplorer = false;
    bool openCustomProgram = false;
    QString customProgram; // the setting "UserCustomProgram"
    bool recompressMovies = false;
    bool setReadOnly = false;
    bool downloadMoviesToDirectory = false;
    bool createExifText = false;
    bool burnCD = false;
    int rawOption = 1; // 0 TIFF, 1 Raw, 2 BMP format
    QString rawOptionText;
    QString targetDirectory; // ends in "/" unless empty
    QString moviesDirectory; // used with downloadMoviesToDirectory
    TNamePatterns patterns;

    bool operator==(const TTransferOptions&) const = default;
    // The target directory, and the movies directory when movies go apart.
    TDestinationFolders folders() const;
};

// One entry of a transfer: what is received, where to, with which changes.
struct TPlannedEntry {
    enum class TKind {
        Picture, // a JPEG or other picture with its sound note
        Movie,   // the movie and its ".thm"
        Raw,     // the RAW picture's ".thm", and the file itself with the "Raw format" option
    };

    int itemNumber = 0;
    TCameraItem item;
    TKind kind = TKind::Picture;
    TDestination destination;
    // What the user chose for a JPEG picture that the transfer changes, or
    // for a RAW picture (its rotation turns the ".thm"); nullopt when the
    // file is kept as the camera delivers it.
    std::optional<TPictureChoices> choices;
    bool receiveRawFile = false; // a RAW picture with the "Raw format" option

    bool operator==(const TPlannedEntry&) const = default;
    // The clockwise turn the transfer gives the picture or ".thm".
    int rotation() const { return choices ? choices->rotation : 0; }
};
QDebug operator<<(QDebug debug, const TPlannedEntry& entry);

// Every selected entry of a transfer in list order, planned before anything
// is received. A name taken by an earlier entry of the plan counts as taken,
// so the planned free names are those the transfer gives when nothing else
// appears in the folders meanwhile; the transfer applies the never-overwrite
// rule again as it writes.
struct TTransferPlan {
    QList<TPlannedEntry> entries;

    bool operator==(const TTransferPlan&) const = default;
};

// Plans the transfer of the list indexes (entries "-" are left out). userText
// gives the "$TEXT" value; taken tells which names exist.
TTransferPlan PlanTransfer(TFileManagerModel& model, const QList<int>& selected,
                           const TTransferOptions& options,
                           const std::function<QString()>& userText,
                           const TNameTaken& taken = EntryExists);
