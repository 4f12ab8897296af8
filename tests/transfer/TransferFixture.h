#pragma once
// What the transfer tests share: the file manager tests' fixture with the
// demo camera plugged in and the whole file-manager group, and readers for
// received files.

#include "FileManagerFixture.h"

#include <QDateTime>
#include <QStringList>
#include <functional>

class TForm_Preview;

// The file manager fixture with the whole group joined and the demo camera
// plugged in.
class TransferTest : public FileManagerTest {
  protected:
    void SetUp() override;

    // Flow A on the demo camera with body in place of the user.
    void withFileManager(std::function<void(TForm_filemanager&)> body) {
        runFlowA(std::move(body));
    }
    // The next preview window shown, with body in place of the user.
    void previewWith(std::function<void(TForm_Preview&)> body);
    // Selects exactly the entries of those names.
    static void select(TForm_filemanager& window, const QStringList& names);
    static void transfer(TForm_filemanager& window, const QStringList& names);

    // The camera's own file of a demo picture ("IMG_0004.JPG").
    QString cameraFile(const QString& name) const;
    // Every file below the target directory, relative to it, sorted.
    QStringList receivedTree() const;
    // The texts of the boxes shown so far.
    QStringList shownTexts() const;

    QString camera; // the demo camera's folder
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
