#pragma once
// What was already taken from a camera: one record per camera in the program
// folder, so that plugging the camera in again offers only the pictures
// taken since. An item is known by its folder number, name, size and
// shooting time, so a new picture that reuses an old name (a card formatted
// in between, another camera's card in a reader) counts as new.
//
// The record is a journal: a header naming the camera, then one line per
// item, each appended and flushed to the disk before add() returns, so a
// kill or a power cut loses at most the item being added. A record that
// cannot be read is kept beside a new, empty one for inspection.

#include "CameraItem.h"

#include <QSet>
#include <QString>

// The key of a camera: its model with its serial number when it tells one,
// else with its owner name. Stable across restarts; two bodies of one model
// differ by their serial numbers.
QString CameraKey(const QString& model, const QString& owner, const QString& serialNumber);
// The key of the camera connected now; ECameraError when none answers.
QString ConnectedCameraKey();

class TTransferRecord {
  public:
    // The record of the camera `cameraKey` in `folder`, read now and left as
    // it is until the first add(). A record that cannot be read counts as
    // empty; the first add() renames it to its path + ".damaged" (one log
    // line) and starts a new one.
    explicit TTransferRecord(const QString& cameraKey, const QString& folder = DefaultFolder());
    ~TTransferRecord();
    TTransferRecord(const TTransferRecord&) = delete;
    TTransferRecord& operator=(const TTransferRecord&) = delete;

    bool contains(const TCameraItem& item) const;
    // Adds the item, on the disk before it returns. A record that cannot be
    // written costs one log line and the item is only remembered in memory:
    // the transfer itself went well.
    void add(const TCameraItem& item);

    QString path() const { return path_; }
    // The program folder's "transferred" folder.
    static QString DefaultFolder();

  private:
    void load();
    // Makes the file fit for appending: a damaged one put aside, a line cut
    // short dropped.
    void mend();
    bool openForAppending();

    QString key_;
    QString path_;
    QSet<QByteArray> items_; // each as its line in the file
    int descriptor_ = -1;
    bool damaged_ = false;
    bool cutShort_ = false;
    bool writeFailed_ = false;
};
