#include "TransferFixture.h"

#include "DemoCard.h"
#include "Dlg_Filemanager.h"
#include "Dlg_Preview.h"
#include "ExifReader.h"
#include "FileManagerGroup.h"
#include "Log.h"
#include "Settings.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "WindowControls.h"

#include <QDirIterator>
#include <QListWidget>
#include <QPushButton>
#include <QtEndian>

using testenv::control;

void TransferTest::SetUp() {
    TSettings().eraseSection(TSettings::Section); // tests may share a process
    FileManagerTest::SetUp();
    TSettings().writeBool(TSettings::Section, "Debug", true);
    QFile::remove(LogPath());
    camera = testenv::newFolder("camera");
    MakeDemoCamera(camera);
    qputenv("LUMVIK_CAMERA", ("sim:" + camera).toUtf8());
    setup = JoinFileManagerGroup;
}

void TransferTest::previewWith(std::function<void(TForm_Preview&)> body) {
    script.then([body](const TDialogRequest& request) {
        auto* preview = qobject_cast<TForm_Preview*>(request.window);
        EXPECT_NE(preview, nullptr);
        if (preview) {
            preview->show();
            body(*preview);
            preview->hide();
        }
        return TDialogAnswer{QDialog::Accepted, {}};
    });
}

void TransferTest::select(TForm_filemanager& window, const QStringList& names) {
    QListWidget* list = control<QListWidget>(window, "ListBox_Cam_File_Names");
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setSelected(names.contains(list->item(i)->text()));
}

void TransferTest::transfer(TForm_filemanager& window, const QStringList& names) {
    select(window, names);
    control<QPushButton>(window, "Button_StartTransfer")->click();
}

QString TransferTest::cameraFile(const QString& name) const {
    QDirIterator files(camera, {name}, QDir::Files, QDirIterator::Subdirectories);
    return files.hasNext() ? files.next() : QString();
}

QStringList TransferTest::receivedTree() const {
    QStringList tree;
    QDirIterator files(target, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext())
        tree << files.next().mid(target.size());
    tree.sort();
    return tree;
}

QStringList TransferTest::shownTexts() const {
    return MessageTexts(script);
}

namespace {

// The data of the first segment with that marker before the picture data.
QByteArray segment(const QByteArray& jpeg, unsigned char marker) {
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && uchar(jpeg[at]) == 0xFF && uchar(jpeg[at + 1]) != 0xDA) {
        const int length = qFromBigEndian<quint16>(jpeg.constData() + at + 2);
        if (uchar(jpeg[at + 1]) == marker)
            return jpeg.mid(at + 4, length - 2);
        at += 2 + length;
    }
    return {};
}

} // namespace

QDateTime DemoTakenAt(int number) {
    for (const DemoShot& shot : DemoCardShots())
        if (shot.number == number)
            return shot.facts.taken;
    return {};
}

QByteArray JpegComment(const QByteArray& jpeg) {
    return segment(jpeg, 0xFE);
}

QByteArray App1Data(const QByteArray& jpeg) {
    return segment(jpeg, 0xE1);
}

QString OrientationText(const QString& path) {
    for (const ExifTag& tag : ReadExif(path).exifTags)
        if (tag.description == "Orientation")
            return tag.value;
    return {};
}
