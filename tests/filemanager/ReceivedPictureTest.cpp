#include "ReceivedPicture.h"
#include "Errors.h"
#include "LanguageFile.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray fixture(const char* name) {
    QFile file(QStringLiteral(LUMVIK_SOURCE_DIR "/tests/filemanager/fixtures/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

// received.jpg is a 96x64 camera picture tagged as turned by 90 degrees;
// transformed.jpg is what the transfer wrote for it, with these choices, when
// it still rewrote the file on disk for each change (rotation, re-encoding,
// comment). Changed in memory, the picture must come out byte for byte the
// same.
TEST(ChangedPicture, RotatedReencodedCommentedAsTheStepwiseRewritesMadeIt) {
    TPictureChoices choices;
    choices.rotation = 90;
    choices.scale = TJPEGScale::Half;
    choices.grayscale = true;
    choices.quality = 75;
    choices.lossy = true;
    choices.comment = {"Birthday", "Grandma's garden"};
    const TLanguageFile language;
    QStringList statuses;
    const TChangedPicture changed = ChangedPicture(
        {fixture("received.jpg"), "IMG_0001.JPG", QSize(96, 64)}, choices, true, language,
        "/target/IMG_0001.jpg", [&](const QString& status) { statuses << status; });
    EXPECT_EQ(changed.bytes, fixture("transformed.jpg"));
    EXPECT_TRUE(changed.rewritten);
    EXPECT_EQ(changed.comment,
              QStringList({"Birthday", "Grandma's garden",
                           "Lumvik rotated picture 90 degrees to the right.",
                           "Lumvik picture transformation to Resize: half, Gray: true, "
                           "Compression: 75"}));
    EXPECT_EQ(statuses,
              QStringList({"Rotating picture IMG_0001.jpg", "Transforming picture IMG_0001.jpg"}));
}

// What is rewritten, and which automatic lines the comment gets.
TEST(ChangedPicture, OnlyTheChosenChangesRewriteAndComment) {
    const QByteArray received = fixture("received.jpg");
    const TLanguageFile language;
    const struct {
        const char* what;
        int rotation;
        bool lossy;
        QStringList comment;
        bool addToComment;
        bool rewritten;
        int automaticLines;
    } cases[] = {
        {"nothing chosen", 0, false, {}, true, false, 0},
        {"a comment alone", 0, false, {"note"}, false, true, 0},
        {"a turn without automatic lines", 180, false, {}, false, true, 0},
        {"a turn with its automatic line", 270, false, {}, true, true, 1},
        {"a re-encoding with its automatic line", 0, true, {}, true, true, 1},
    };
    for (const auto& c : cases) {
        TPictureChoices choices;
        choices.rotation = c.rotation;
        choices.lossy = c.lossy;
        choices.comment = c.comment;
        const TChangedPicture changed =
            ChangedPicture({received, "IMG_0001.JPG", QSize(96, 64)}, choices, c.addToComment,
                           language, "/target/IMG_0001.jpg", [](const QString&) {});
        EXPECT_EQ(changed.rewritten, c.rewritten) << c.what;
        EXPECT_EQ(changed.bytes == received, !c.rewritten) << c.what;
        EXPECT_EQ(changed.comment.size(), c.comment.size() + c.automaticLines) << c.what;
    }
}

// A turn that fails (no JPEG to turn) is only logged: no line is added for
// it; the comment that cannot go in raises, naming the destination.
TEST(ChangedPicture, AFailedTurnChangesNothingAndAnUncommentablePictureRaises) {
    const TLanguageFile language;
    TPictureChoices choices;
    choices.rotation = 90;
    const TChangedPicture unturned =
        ChangedPicture({"not a picture", "IMG_0001.JPG", QSize(96, 64)}, choices, true, language,
                       "/target/IMG_0001.jpg", [](const QString&) {});
    EXPECT_EQ(unturned.bytes, "not a picture");
    EXPECT_FALSE(unturned.rewritten);
    choices.comment = {"note"};
    try {
        ChangedPicture({"not a picture", "IMG_0001.JPG", QSize(96, 64)}, choices, true, language,
                       "/target/IMG_0001.jpg", [](const QString&) {});
        ADD_FAILURE() << "no error raised";
    } catch (const ELumvikError& error) {
        EXPECT_EQ(error.message(),
                  "Cannot insert a comment into /target/IMG_0001.jpg: not a JPEG file");
    }
}

} // namespace
