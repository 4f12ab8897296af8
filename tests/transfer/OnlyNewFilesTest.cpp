#include "Dlg_Filemanager.h"
#include "Settings.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TransferFixture.h"
#include "WindowControls.h"

#include <QAction>
#include <QDir>
#include <QListWidget>

using testenv::control;

namespace {

class OnlyNewFilesTest : public TransferTest {
  protected:
    void SetUp() override {
        TransferTest::SetUp();
        TSettings().writeBool(TSettings::Section, "Selectonlynewfiles1", true);
    }

    void autoTransfer() { commandLineStart(target); }

    // The user moved the received files into an album of theirs.
    void emptyTarget() const {
        QDir(target).removeRecursively();
        QDir().mkpath(target);
    }

    static QStringList records() {
        return QDir(testenv::home() + "/transferred").entryList({"*.txt"}, QDir::Files);
    }

    static constexpr int CardFiles = 24 + 1 + 2 + 2; // pictures, a sound note, movie, RAW
};

} // namespace

// The second plug-in finds nothing new and says so, instead of a second
// copy of everything under new names, also when the files have left the
// target directory since; a picture taken since is the only one taken the
// time after.
TEST_F(OnlyNewFilesTest, AutomaticTransferTakesOnlyWhatIsNew) {
    autoTransfer();
    ASSERT_EQ(receivedTree().size(), CardFiles);
    EXPECT_EQ(shownTexts(), QStringList({"All pictures received!"}));
    emptyTarget();

    autoTransfer();
    EXPECT_TRUE(receivedTree().isEmpty());
    EXPECT_EQ(shownTexts().last(),
              "No new pictures: every file on the camera was transferred before.");

    const QString original = cameraFile("IMG_0002.JPG");
    ASSERT_TRUE(QFile::copy(original, QFileInfo(original).path() + "/IMG_0099.JPG"));
    autoTransfer();
    EXPECT_EQ(receivedTree(), QStringList({"IMG_0099.jpg"}));
    EXPECT_EQ(testfiles::Read(target + "IMG_0099.jpg"), testfiles::Read(original));
    EXPECT_EQ(records().size(), 1);
}

// The record remembers what arrived even when the files have left the target
// directory since: they are not taken again.
TEST_F(OnlyNewFilesTest, TransferredEntriesAreMarkedAndLeftUnselected) {
    withFileManager([&](TForm_filemanager& w) { transfer(w, {"IMG_0001.JPG", "MVI_0013.AVI"}); });
    emptyTarget();
    QStringList marked, unselected;
    withFileManager([&](TForm_filemanager& w) {
        const auto* list = control<QListWidget>(w, "ListBox_Cam_File_Names");
        for (int i = 0; i < list->count(); ++i) {
            if (!list->item(i)->toolTip().isEmpty())
                marked << list->item(i)->text() + ": " + list->item(i)->toolTip();
            if (!list->item(i)->isSelected() && list->item(i)->text() != "-")
                unselected << list->item(i)->text();
        }
    });
    EXPECT_EQ(marked, QStringList({"IMG_0001.JPG: Transferred before",
                                   "MVI_0013.AVI: Transferred before"}));
    EXPECT_EQ(unselected, QStringList({"IMG_0001.JPG", "MVI_0013.AVI"}));
}

// A record that cannot be read is put aside: the transfer goes on as if
// nothing had been taken before, and names still never collide.
TEST_F(OnlyNewFilesTest, ADamagedRecordDoesNotStopTheTransfer) {
    autoTransfer();
    ASSERT_EQ(records().size(), 1);
    const QString record = testenv::home() + "/transferred/" + records().first();
    testfiles::Write(record, QByteArray("\0\0garbage", 9));
    emptyTarget();

    autoTransfer();
    EXPECT_EQ(receivedTree().size(), CardFiles);
    EXPECT_EQ(testfiles::Read(record + ".damaged"), QByteArray("\0\0garbage", 9));
    EXPECT_EQ(logMessages().filter("cannot be read").size(), 1);
    emptyTarget();
    autoTransfer(); // the new record knows them all
    EXPECT_TRUE(receivedTree().isEmpty());
}

// Without the option the automatic transfer takes every file, as it always
// did, and keeps no record.
TEST_F(OnlyNewFilesTest, WithoutTheOptionEveryFileComesAgain) {
    TSettings().writeBool(TSettings::Section, "Selectonlynewfiles1", false);
    autoTransfer();
    autoTransfer();
    EXPECT_EQ(receivedTree().size(), 2 * CardFiles);
    EXPECT_TRUE(receivedTree().contains("IMG_0001_1.jpg"));
    EXPECT_TRUE(records().isEmpty());
}

// A new user starts with the option; one who used the window before keeps
// what it did; a stored choice wins.
TEST_F(OnlyNewFilesTest, OnForNewUsersOnly) {
    const struct Case {
        const char* who;
        bool usedBefore;
        std::optional<bool> stored;
        bool checked;
    } cases[] = {
        {"new user", false, {}, true},
        {"user of an earlier release", true, {}, false},
        {"new user who unticked it", false, false, false},
        {"earlier user who ticked it", true, true, true},
    };
    for (const Case& c : cases) {
        TSettings settings;
        settings.eraseSection(TSettings::Section);
        settings.writeString(TSettings::Section, "language", "english");
        settings.writeInteger(TSettings::Section, "USBSelected", 1);
        if (c.usedBefore)
            settings.writeString(TSettings::Section, "DirOnPC", target);
        if (c.stored)
            settings.writeBool(TSettings::Section, "Selectonlynewfiles1", *c.stored);
        bool checked = !c.checked;
        withFileManager([&](TForm_filemanager& w) {
            checked = control<QAction>(w, "Selectonlynewfiles1")->isChecked();
        });
        EXPECT_EQ(checked, c.checked) << c.who;
        EXPECT_EQ(TSettings().readBool(TSettings::Section, "Selectonlynewfiles1", !c.checked),
                  c.checked)
            << c.who;
    }
}
