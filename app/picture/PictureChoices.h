#pragma once
// What the user asked the transfer to do with one picture, kept beside its
// thumbnail: a plain value the file manager, its keys and the preview change,
// and the transfer reads.

#include "JPEGImage.h"

#include <QStringList>

struct TPictureChoices {
    int rotation = 0; // accumulated clockwise turn: 0, 90, 180 or 270
    bool grayscale = false;
    TJPEGScale scale = TJPEGScale::Full;
    int quality = 90;
    // Set by a change of gray, scale or quality, never cleared: the transfer
    // then decodes and re-encodes the picture, which loses detail.
    bool lossy = false;
    QStringList comment; // the lines to write into the picture's comment
    bool selected = false;

    bool operator==(const TPictureChoices&) const = default;
    // Whether the transfer has anything to do to the received bytes.
    bool changesPicture() const { return rotation != 0 || lossy || !comment.isEmpty(); }
};

// The choices a picture transformation record holds.
TPictureChoices ChoicesOf(const TJPEGImage& record);
