#pragma once
// What the transfer tests share: the demo camera plugged in, the main window
// with the file manager flows and their whole group, a clock that does not
// wait, a dialog script, and readers for received files.

#include "Dialogs.h"
#include "FakeClock.h"
#include "MainDlg.h"

#include <QDateTime>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

class TForm_filemanager;
class TFileManagerActions;

class TransferTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Flow A on the demo camera: the file manager, shown and activated, is
    // handed to body; then it closes.
    void withFileManager(std::function<void(TForm_filemanager&)> body);
    static TFileManagerActions& actions(TForm_filemanager& window);
    // Selects exactly the entries of those names.
    static void select(TForm_filemanager& window, const QStringList& names);
    static void transfer(TForm_filemanager& window, const QStringList& names);

    // The camera's own file of a demo picture ("IMG_0004.JPG").
    QString cameraFile(const QString& name) const;
    // Every file below the target directory, relative to it, sorted.
    QStringList receivedTree() const;
    // The texts of the boxes shown so far.
    QStringList shownTexts() const;
    static QStringList logMessages();

    TFakeClock clock;
    TDialogScript script;
    QString camera; // the demo camera's folder
    QString target; // an empty target directory, ending in "/"
    std::unique_ptr<TForm_main> main;
};

// When the demo camera took picture `number`.
QDateTime DemoTakenAt(int number);
// The text of the first JPEG comment segment; empty when there is none.
QByteArray JpegComment(const QByteArray& jpeg);
// The data of the first APP1 segment.
QByteArray App1Data(const QByteArray& jpeg);
// The EXIF Orientation as Exiv2 prints it ("top, left" for normal).
QString OrientationText(const QString& path);

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
