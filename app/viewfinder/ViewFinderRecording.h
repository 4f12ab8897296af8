#pragma once
// The recording of the viewfinder into an AVI file, below the window: the five
// recording states, the frame slots that follow real time, the two frame
// buffers and the gray frames the camera sends for incomplete pictures. The
// window's buttons only ask for a start or a stop; the next frame carries the
// request out. Time comes from TClock.

#include "AviWriter.h"
#include "Errors.h"

#include <QDateTime>
#include <QImage>
#include <array>
#include <functional>
#include <memory>

enum class TRecordingState { WriterNotCreated, Idle, StartRequested, Recording, StopRequested };

// Turns the time between frames into 40 ms slots, carrying the remainders
// forward and stretching by the delay percentage.
class TFrameTiming {
  public:
    static constexpr int SlotTime = 40;

    explicit TFrameTiming(QDateTime start);
    // The extra milliseconds for the writer of the frame that arrived at
    // `now`: the frame takes 1 + extra div 40 slots.
    int next(const QDateTime& now, double delayPercent);
    // The slots asked for so far.
    int frameCounter() const { return frameCounter_; }

  private:
    QDateTime previous_;
    double delay_ = 0;
    int frameCounter_ = 0;
};

// A recording that failed part-way; `kept` when what was recorded until then
// is in the AVI file.
class ERecordingStopped : public EInOutError {
  public:
    ERecordingStopped(const QString& message, bool kept) : EInOutError(message), kept(kept) {}
    bool kept;
};

class TViewFinderRecording {
  public:
    struct Hooks {
        // The writer was made: the window lists its compressors and applies
        // its stored choice.
        std::function<void(TAviWriter&)> writerCreated;
        // The writer's progress (slots done), in states Recording and StopRequested.
        std::function<void(int done)> progress;
    };

    explicit TViewFinderRecording(Hooks hooks);
    ~TViewFinderRecording();

    TRecordingState state() const { return state_; }
    TAviWriter* writer() const { return writer_.get(); }
    int frameCounter() const;

    // The file the next start writes, with the writer's compressor.
    void RequestStart(const TAviFileSettings& file);
    void RequestStop();

    // The recording step for a decoded frame. A writer failure while
    // recording closes the file with what was recorded and raises
    // ERecordingStopped; the state is then Idle.
    void Frame(const QImage& picture, double delayPercent);
    // Carries out a pending stop (or ends a running recording) at once, for a
    // window that closes while no more frames come.
    void FinishNow();

    // True when the bottom row shows the camera's gray placeholder: the
    // pixels at x = 0, 159 and 319 are all (128, 128, 128).
    static bool IsGrayFrame(const QImage& picture);

  private:
    void createWriter();
    void begin();
    void record(const QImage& picture, double delayPercent);
    void finish();
    void progress(int done) const;

    Hooks hooks_;
    TRecordingState state_ = TRecordingState::WriterNotCreated;
    std::unique_ptr<TAviWriter> writer_;
    TAviFileSettings file_;
    std::unique_ptr<TFrameTiming> timing_;
    std::array<QImage, 2> buffers_;
    int bufferIndex_ = 0;
};
