#include "TransferFixture.h"

#include "CameraConnection.h"
#include "DemoCard.h"
#include "Dlg_Filemanager.h"
#include "ExifReader.h"
#include "FileManagerActions.h"
#include "FileManagerFlows.h"
#include "FileManagerGroup.h"
#include "LanguageCheck.h"
#include "Log.h"
#include "Settings.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "cdsdk_simcontrol.h"

#include <QDirIterator>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QtEndian>

void TransferTest::SetUp() {
    languagecheck::InstallShippedLanguages();
    TSettings settings;
    settings.eraseSection(TSettings::Section);
    settings.writeString(TSettings::Section, "language", "english");
    settings.writeInteger(TSettings::Section, "USBSelected", 1);
    settings.writeBool(TSettings::Section, "Debug", true);
    target = testenv::newFolder("target") + "/";
    settings.writeString(TSettings::Section, "DirOnPC", target);
    QFile::remove(LogPath());
    camera = testenv::newFolder("camera");
    MakeDemoCamera(camera);
    qputenv("LUMVIK_CAMERA", ("sim:" + camera).toUtf8());
    main = std::make_unique<TForm_main>(
        WithFileManagerFlows(WithCameraConnection({}), JoinFileManagerGroup));
}

void TransferTest::TearDown() {
    main.reset();
    cdsimReset();
}

void TransferTest::withFileManager(std::function<void(TForm_filemanager&)> body) {
    script.then([body](const TDialogRequest& request) {
        auto* window = qobject_cast<TForm_filemanager*>(request.window);
        EXPECT_NE(window, nullptr) << "the flow showed " << request.caption.toStdString();
        if (window) {
            window->FormShow();
            window->FormActivate();
            body(*window);
        }
        return TDialogAnswer{QDialog::Accepted, {}};
    });
    main->Getpictures1Click();
}

TFileManagerActions& TransferTest::actions(TForm_filemanager& window) {
    return *window.findChild<TFileManagerActions*>();
}

void TransferTest::select(TForm_filemanager& window, const QStringList& names) {
    QListWidget* list = window.ListBox_Cam_File_Names;
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setSelected(names.contains(list->item(i)->text()));
}

void TransferTest::transfer(TForm_filemanager& window, const QStringList& names) {
    select(window, names);
    window.Button_StartTransfer->click();
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
    QStringList texts;
    for (const TDialogRequest& request : script.asked())
        if (request.kind == TDialogRequest::Message)
            texts << request.text;
    return texts;
}

QStringList TransferTest::logMessages() {
    QStringList messages;
    static const QRegularExpression stamp("^.*?\\d\\d:\\d\\d:\\d\\d:");
    const QString text = QString::fromUtf8(testfiles::Read(LogPath()));
    for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts))
        messages << QString(line).remove(stamp);
    return messages;
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
