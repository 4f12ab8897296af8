// A card holding damaged and odd files beside good ones: the list is built
// whole and the command-line transfer receives every file.

#include "CameraConnection.h"
#include "CameraJpeg.h"
#include "Dlg_Filemanager.h"
#include "FileManagerFlows.h"
#include "FileManagerGroup.h"
#include "TestFiles.h"
#include "TransferFixture.h"
#include "WindowControls.h"

#include <QFileInfo>
#include <QImage>
#include <QListWidget>

TEST_F(TransferTest, OddFilesAreListedAndTransferredWithoutAnErrorBox) {
    const QString folder = QFileInfo(cameraFile("IMG_0001.JPG")).path();
    const QByteArray good = testfiles::Read(cameraFile("IMG_0001.JPG"));
    const QByteArray cutThumbnail = fixture::CameraJpeg({.thumbnailCut = 300});
    QByteArray garbledHeader = good;
    garbledHeader.replace(6, 64, QByteArray(64, '\xFF'));
    // Each arrives exactly as the card holds it, listed under its own name:
    // those the camera cannot read at all are known by their file facts.
    const std::map<QString, QByteArray> untouched = {
        {"IMG_0901.JPG", good.left(good.size() / 2)},
        {"IMG_0902.JPG", {}},
        {"IMG_0903.JPG", "just some text, not a picture"},
        {"IMG_0904.JPG", cutThumbnail}, // its thumbnail cannot be turned
        {"IMG_0905.JPG",
         fixture::CameraJpeg({.thumbnail = fixture::Thumbnail::Uncompressed, .orientation = 1})},
        {"IMG_0907.JPG", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01", 20)},
        {"IMG_0908.JPG", garbledHeader},
        {"IMG_0909.JPG", QByteArray("\xFF\xD8\xFF", 3)},
    };
    for (const auto& [name, bytes] : untouched)
        testfiles::Write(folder + "/" + name, bytes);
    // Tagged turned by the camera, in Motorola order with an uncompressed
    // thumbnail: it arrives turned, with its orientation normal.
    // Whole 16-pixel blocks, which a lossless turn moves without loss.
    const QByteArray tagged = fixture::CameraJpeg({.width = 320,
                                                   .height = 240,
                                                   .motorola = true,
                                                   .thumbnail = fixture::Thumbnail::Uncompressed,
                                                   .orientation = 6});
    testfiles::Write(folder + "/IMG_0906.JPG", tagged);

    TForm_main started(WithFileManagerFlows(WithCameraConnection({}), JoinFileManagerGroup),
                       {target});
    QStringList listed;
    script.then([&listed](const TDialogRequest& request) {
        if (auto* window = qobject_cast<TForm_filemanager*>(request.window)) {
            window->FormShow();
            window->FormActivate();
            const auto* list = testenv::control<QListWidget>(*window, "ListBox_Cam_File_Names");
            for (int i = 0; i < list->count(); ++i)
                listed << list->item(i)->text();
        }
        return TDialogAnswer{QDialog::Accepted, {}};
    });
    started.FormActivate();

    for (const auto& [name, bytes] : untouched) {
        EXPECT_TRUE(listed.contains(name)) << name.toStdString();
        const QString received = target + QFileInfo(name).completeBaseName() + ".jpg";
        EXPECT_EQ(testfiles::Read(received), bytes) << name.toStdString();
    }
    const QByteArray turned = testfiles::Read(target + "IMG_0906.jpg");
    EXPECT_EQ(OrientationText(target + "IMG_0906.jpg"), "top, left");
    EXPECT_EQ(QImage::fromData(turned), QImage::fromData(fixture::Jpegtran(tagged, 90)));
    EXPECT_FALSE(listed.contains("-"));
    EXPECT_EQ(listed.size(), 26 + 9) << "every file of the card";
    EXPECT_EQ(receivedTree().size(), 24 + 1 + 2 + 2 + 9);
    EXPECT_EQ(shownTexts(), QStringList{"All pictures received!"});
}
