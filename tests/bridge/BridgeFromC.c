/* A client in plain C: everything it knows of the camera comes from the
   bridge's header. */

#include "CCheck.h"
#include "tesselink.h"

#include <stdio.h>
#include <sys/stat.h>

int bridgeFromC(const char* cameraOut, const char* folder, const char* folderOut, char* message,
                size_t size);

static int modifiedAt(const char* path, uint32_t seconds) {
    struct stat status;
    return stat(path, &status) == 0 && status.st_mtime == (time_t)seconds;
}

/* Writes every entry of the open collection to out: thumbnails as N.thm,
   pictures and movies under their own names. */
static int transferAll(const char* out, int fromFolder, char* message, size_t size) {
    int32_t count = 0;
    int32_t i;
    CHECK(tsGetNrOfPicturesOnCamera(&count));
    REQUIRE_THAT(count > 0, out);
    for (i = 0; i < count; ++i) {
        tsObjectContents contents;
        char path[600];
        CHECK(tsGetObjectContents(i, &contents));
        if (contents.thumbnails > 0) {
            snprintf(path, sizeof path, "%s/%d.thm", out, (int)i);
            CHECK(tsGetThumbnail(i, path));
        }
        if (contents.movies > 0) {
            tsMovieProperties movie;
            CHECK(tsGetMovieProperties(i, &movie));
            snprintf(path, sizeof path, "%s/%.50s", out, movie.fileName);
            CHECK(tsGetMovie(i, path));
            REQUIRE_THAT(fromFolder || modifiedAt(path, movie.shootingTime), path);
        } else if (contents.pictures > 0) {
            tsPictureProperties picture;
            CHECK(tsGetPictureProperties(i, &picture));
            snprintf(path, sizeof path, "%s/%.50s", out, picture.fileName);
            CHECK(tsGetPicture(i, path, 0));
            REQUIRE_THAT(modifiedAt(path, picture.shootingTime), path);
            if (contents.sounds > 0) {
                snprintf(path, sizeof path, "%s/%.50s.wav", out, picture.fileName);
                REQUIRE_THAT(modifiedAt(path, picture.shootingTime), path);
            }
        }
    }
    return 0;
}

int bridgeFromC(const char* cameraOut, const char* folder, const char* folderOut, char* message,
                size_t size) {
    char model[TS_NAME_SIZE];
    int32_t volumes = 0;
    const tsFileKinds none = {0, 0, 0, 0};
    const tsFileKinds all = {1, 1, 1, 1};

    CHECK(tsStartSDK());
    CHECK(tsConnect());
    CHECK(tsGetModel(model));
    CHECK(tsTotalVolumes(&volumes));
    REQUIRE_THAT(volumes > 0, model);
    CHECK(tsGetVolume(1));
    CHECK(tsOpenPicCollection(TS_SOURCE_CAMERA_ALL, "", none));
    if (transferAll(cameraOut, 0, message, size) != 0) {
        return 1;
    }
    CHECK(tsClosePicCollection());
    CHECK(tsDisconnect());

    CHECK(tsOpenPicCollection(TS_SOURCE_FOLDER, folder, all));
    if (transferAll(folderOut, 1, message, size) != 0) {
        return 1;
    }
    CHECK(tsClosePicCollection());
    CHECK(tsFinishSDK());
    return 0;
}
