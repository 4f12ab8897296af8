#pragma once
// What a transfer does to a JPEG picture once it is on disk: the lossless
// rotation, the re-encoding at the recorded size, gray and quality, and the
// comment, in that order, as the picture transformation record asks.

#include "PictureRecords.h"

#include <functional>

class TLanguageFile;

// Applies record's transformations to the picture at path and returns whether
// the file was rewritten, so that its date must be set again. With addToComment the automatic lines
// go into the record's comment lines before the comment is written. status shows the localised
// progress text. When a step fails, the file gets back the content and date the camera delivered
// before the error goes on.
bool TransformReceivedPicture(TJPEGImage& record, const QString& path, bool addToComment,
                              const TLanguageFile& language,
                              const std::function<void(const QString&)>& status);
