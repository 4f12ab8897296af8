#include "CameraItem.h"

#include "CameraClient.h"

#include <cstring>

TCameraItem CameraItemOf(const tsObjectContents& contents, const tsPictureProperties& picture,
                         const tsMovieProperties& movie) {
    TCameraItem item;
    item.contents = contents;
    item.loaded = true;
    const auto fill = [&item](const auto& properties) {
        item.name = tesselink::TextOf(properties.fileName);
        item.folderNumber = properties.directoryNumber;
        item.fileNumber = properties.fileNumber;
        item.size = properties.fileSize;
        item.shootingTime = properties.shootingTime;
    };
    if (contents.pictures > 0) {
        item.kind = TCameraItem::TKind::Picture;
        item.picture = picture;
        fill(picture);
    } else if (contents.movies > 0) {
        item.kind = TCameraItem::TKind::Movie;
        item.movie = movie;
        fill(movie);
    } else {
        item.name = "-";
    }
    return item;
}

namespace {

template <class Facts> bool sameBytes(const Facts& a, const Facts& b) {
    return std::memcmp(&a, &b, sizeof(Facts)) == 0;
}

} // namespace

bool TCameraItem::operator==(const TCameraItem& other) const {
    return kind == other.kind && name == other.name && folderNumber == other.folderNumber &&
           fileNumber == other.fileNumber && size == other.size &&
           shootingTime == other.shootingTime && loaded == other.loaded &&
           sameBytes(contents, other.contents) && sameBytes(picture, other.picture) &&
           sameBytes(movie, other.movie);
}
