#pragma once
// What goes onto the next disc session: directories below the disc's root and
// files on the computer placed into them. The layout only records paths; the
// files are read when the session is written, so a file changed after it was
// added (a recompressed movie) goes onto the disc as it is then.

#include <QList>
#include <QString>
#include <QStringList>

struct TCDLayoutFile {
    QString directory; // a layout path: "/" or "/2026-12-10"
    QString diskPath;  // the file on the computer; written under its own name

    bool operator==(const TCDLayoutFile&) const = default;
};

class TCDLayout {
  public:
    static constexpr int MaxFiles = 65535;
    static constexpr int MaxDirectories = 8191;

    // Empties the layout; only the root "/" is left.
    void clear();
    // Creates a directory and its parents; returns those that were new,
    // parents first. "\" is taken as a separator too. Raises ERangeError past
    // MaxDirectories.
    QStringList createDirectory(const QString& path);
    // Adds a file to a directory of the layout, creating the directory if
    // needed. Raises ERangeError past MaxFiles.
    void addFile(const QString& directory, const QString& diskPath);

    // Directories below the root, parents before children.
    const QStringList& directories() const { return directories_; }
    const QList<TCDLayoutFile>& files() const { return files_; }
    bool isEmpty() const { return files_.isEmpty() && directories_.isEmpty(); }

    // The layout form of a path: "/" separated, leading "/", no empty,
    // "." or ".." parts.
    static QString normalised(const QString& path);

  private:
    QStringList directories_;
    QList<TCDLayoutFile> files_;
};

// The short name an ISO 9660 level 1 reader shows for a long name: upper
// case, letters, digits and "_" only, 8 characters and a 3-character extension.
QString ShortName(const QString& longName, bool directory);
