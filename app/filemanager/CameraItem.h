#pragma once
// One item of the open picture collection as the file manager knows it: read
// from the camera once and kept, so that the list, the panel, the name
// patterns and the transfer all work from the same value instead of asking
// the camera again.

#include "tesselink.h"

#include <QString>
#include <cstdint>

struct TCameraItem {
    enum class TKind {
        Other,   // neither picture nor movie: listed as "-", never transferred
        Picture, // a JPEG or RAW picture, possibly with a sound note
        Movie,
    };

    TKind kind = TKind::Other;
    QString name;          // as on the card, e.g. "IMG_0001.JPG"; "-" for Other
    int folderNumber = 0;  // the DCF folder number, e.g. 100 for "100CANON"
    int fileNumber = 0;    // the DCF file number, e.g. 1 for "IMG_0001.JPG"
    qint64 size = 0;       // bytes
    uint32_t shootingTime = 0; // camera seconds (local time counted as UTC)
    // Whether the camera facts below are read. An item of a list still being
    // built may know no more than its name.
    bool loaded = false;

    // The camera's own facts, as the bridge reports them.
    tsObjectContents contents{};
    tsPictureProperties picture{}; // for a picture
    tsMovieProperties movie{};     // for a movie

    // Field by field; the camera's facts byte by byte.
    bool operator==(const TCameraItem& other) const;
    bool isPicture() const { return kind == TKind::Picture; }
    bool isMovie() const { return kind == TKind::Movie; }
    bool transferable() const { return kind != TKind::Other; }
};

// The item value of the bridge's answers for one item: its contents and the
// properties of its picture or movie (the other left zero).
TCameraItem CameraItemOf(const tsObjectContents& contents, const tsPictureProperties& picture,
                         const tsMovieProperties& movie);
