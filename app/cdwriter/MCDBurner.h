#pragma once
// The CD writing engine: finds the writers, keeps a data-disc layout and
// writes it as a new session behind the sessions already on the disc, which
// stays open for more. It works over libburn (drives, media, writing) and
// libisofs (the ISO 9660 tree with Rock Ridge and Joliet names). Writing runs
// on a thread of its own; the events reach the thread that made the engine by
// queued calls. Failures raise EInOutError with libburn's or libisofs' text.

#include "CDLayout.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class TMCDBurner {
  public:
    // Names of the medium types, numbered as mediumType() returns them.
    static const QStringList MediumTypeNames;

    struct TEvents {
        std::function<void(const QString& error)> writeDone; // empty on success
        std::function<void()> finalizingTrack;
        std::function<void(const QString& longName, const QString& shortName)> addDirectory;
        std::function<void(const QString& fullPath, const QString& longName,
                           const QString& shortName)>
            addFile;
        std::function<void(const QString& text, int type)> debugMessage;
    };
    TEvents events;

    TMCDBurner();
    // Cancels a write still running and waits for its thread.
    ~TMCDBurner();

    bool accessReady() const;
    void initialiseAccess();

    // The addresses of the drives found ("/dev/sr0", and any pseudo-drives).
    QStringList deviceList();
    // Makes a drive the current one; false when it cannot be acquired.
    bool selectDevice(const QString& address);
    QString deviceName() const; // vendor and model of the current drive
    bool canWriteCDR() const;

    void newLayout();
    void createDirectory(const QString& path);
    void addFile(const QString& directory, const QString& diskPath);
    const TCDLayout& layout() const;

    int mediumType() const; // an index of MediumTypeNames
    qint64 freeBlocks() const;
    int sessionCount() const;
    void eject(bool eject);
    // Polls the current drive until it holds a readable medium; false at the time-out.
    bool waitUntilReady(int timeoutMs = 10000, int pollMs = 5000);
    // Takes the files of a session on the disc into the layout's tree, so
    // that the new session keeps them.
    void importSession(int number);
    // Builds the session's tree; raises when the medium cannot take it.
    void prepare();
    // Writes the prepared session; ends with events.writeDone.
    void startWriting();
    // Stops a running write; it still ends with events.writeDone.
    void cancelWrite();
    bool writing() const;
    qint64 imageBlocks() const;
    qint64 bytesWritten() const;

  private:
    struct TState;
    std::unique_ptr<TState> s_;
};
