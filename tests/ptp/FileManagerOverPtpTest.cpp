// The file manager over libgphoto2's virtual PTP camera: pictures the camera
// adds or removes by itself while the card is listed.

#include "VirtualCamera.h"

#include "Dlg_Filemanager.h"
#include "FileManagerFixture.h"
#include "WindowControls.h"

#include <QListWidget>
#include <QTest>

using testenv::control;

namespace {

QStringList listed(const TForm_filemanager& w) {
    const auto* list = control<QListWidget>(w, "ListBox_Cam_File_Names");
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    names.sort();
    return names;
}

using FileManagerOverPtpTest = OverVirtualCamera<FileManagerTest>;

// The camera's own events reach the open list: a new picture shows, with its
// record, and a removed one goes; the list never names a file the card lacks.
TEST_F(FileManagerOverPtpTest, PicturesTheCameraAddsOrRemovesShowInTheOpenList) {
    runFlowA([](TForm_filemanager& w) {
        const QStringList card = {"IMG_0001.JPG", "IMG_0002.JPG"};
        ASSERT_EQ(listed(w), card);
        ASSERT_EQ(vcamera::inject(vcamera::Injection::ObjectAdded), CD_OK);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return listed(w).size() == 3 && !w.model().loading(); }, 10000));
        EXPECT_EQ(listed(w), (QStringList{"GPH_0098.JPG", "IMG_0001.JPG", "IMG_0002.JPG"}));
        EXPECT_NE(recordOf(w, "GPH_0098.JPG"), nullptr);
        EXPECT_TRUE(w.selectedIndexes().size() == 3) << "a new picture is to be received";

        ASSERT_EQ(vcamera::inject(vcamera::Injection::ObjectRemoved), CD_OK);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return listed(w).size() == 2 && !w.model().loading(); }, 10000));
        EXPECT_EQ(listed(w), card) << "the picture the camera added last went first";
    });
    EXPECT_TRUE(script.asked().size() == 1) << "no box but the window itself";
}

} // namespace
