#pragma once
// The debug log held open for one test, to read back what was written.

#include "CameraJpeg.h"
#include "Log.h"
#include "TestEnvironment.h"

#include <QStringList>

// Holds the debug log open for one test and gives back what was written.
class LogCapture {
  public:
    LogCapture() : path_(testenv::newFolder("log") + "/log.txt") {
        TDebugLog::instance().create(path_);
    }
    ~LogCapture() { TDebugLog::instance().close(); }
    // The messages written so far, without their time stamps.
    QStringList messages() const {
        QStringList result;
        for (const QByteArray& line : fixture::ReadFile(path_).split('\n'))
            if (!line.isEmpty())
                result << QString::fromUtf8(line.mid(TDebugLog::timeStamp().size() + 1).chopped(1));
        return result;
    }

  private:
    QString path_;
};
