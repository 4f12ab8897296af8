#pragma once
// Sound from the default input into a WAV file or into memory, and the test
// sound played back through the default output, over Qt Multimedia (the
// sound server underneath: PulseAudio or PipeWire). Runs on the thread that
// made it; the samples arrive by that thread's event loop.

#include "Errors.h"
#include "WavFile.h"

#include <QBuffer>
#include <QObject>
#include <functional>
#include <memory>

class QAudioSink;
class QAudioSource;
class QIODevice;

// The computer has no sound input at all (no microphone connected).
class ENoSoundInput : public EInOutError {
  public:
    using EInOutError::EInOutError;
};

class TSoundRecorder : public QObject {
    Q_OBJECT
  public:
    // Each block of samples: the left channel, and the right one when stereo.
    using Block = std::function<void(const QByteArray& left, const QByteArray& right)>;

    TSoundRecorder();
    ~TSoundRecorder() override;

    void SetFormat(const TSoundFormat& format);
    const TSoundFormat& format() const { return format_; }

    // Both raise EInOutError "Error starting wave record: " + the reason when
    // the input cannot start (ENoSoundInput when there is none), and stop a
    // recording that runs.
    void RecordToFile(const QString& wavPath);
    void RecordToMemory(Block onBlock);
    // Takes what the input still holds; the WAV file gets its sizes and its name.
    void StopRecording();
    bool recording() const { return source_ != nullptr; }
    // Sample bytes taken since the recording started.
    qint64 recordedBytes() const { return recorded_; }

    // Plays both channels interleaved when stereo and as long as each other,
    // else the left one alone. EInOutError when the output cannot start.
    void Play(const QByteArray& left, const QByteArray& right);
    void StopPlaying();

  signals:
    // The test sound played to its end or was stopped.
    void playingStopped();

  private:
    void start();
    void take();
    void deliver(const QByteArray& samples);

    TSoundFormat format_;
    std::unique_ptr<QAudioSource> source_;
    QIODevice* input_ = nullptr;
    std::unique_ptr<TWavWriter> wav_;
    Block onBlock_;
    qint64 recorded_ = 0;
    std::unique_ptr<QAudioSink> sink_;
    QBuffer playing_;
};
