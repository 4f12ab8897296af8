#include "SoundRecorder.h"

#include "Errors.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QAudioSource>
#include <QMediaDevices>

namespace {

QAudioFormat audioFormat(const TSoundFormat& format) {
    QAudioFormat audio;
    audio.setSampleRate(format.sampleRate);
    audio.setChannelCount(format.channels);
    audio.setSampleFormat(format.bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    return audio;
}

// The samples of one channel of interleaved stereo samples.
QByteArray channel(const QByteArray& samples, int bytesPerSample, int which) {
    QByteArray out;
    out.reserve(samples.size() / 2);
    for (qsizetype at = which * bytesPerSample; at + bytesPerSample <= samples.size();
         at += 2 * bytesPerSample)
        out.append(samples.constData() + at, bytesPerSample);
    return out;
}

QByteArray interleaved(const QByteArray& left, const QByteArray& right, int bytesPerSample) {
    QByteArray out;
    out.reserve(left.size() * 2);
    for (qsizetype at = 0; at + bytesPerSample <= left.size(); at += bytesPerSample) {
        out.append(left.constData() + at, bytesPerSample);
        out.append(right.constData() + at, bytesPerSample);
    }
    return out;
}

} // namespace

TSoundRecorder::TSoundRecorder() = default;

TSoundRecorder::~TSoundRecorder() {
    source_.reset();
    sink_.reset();
}

void TSoundRecorder::SetFormat(const TSoundFormat& format) {
    format_ = format;
}

void TSoundRecorder::RecordToFile(const QString& wavPath) {
    StopRecording();
    wav_ = std::make_unique<TWavWriter>(wavPath, format_);
    start();
}

void TSoundRecorder::RecordToMemory(Block onBlock) {
    StopRecording();
    onBlock_ = std::move(onBlock);
    start();
}

void TSoundRecorder::start() {
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    const QAudioFormat audio = audioFormat(format_);
    QString reason;
    if (device.isNull())
        reason = "no sound input";
    else if (!device.isFormatSupported(audio))
        reason = "the sound input does not take this format";
    if (reason.isEmpty()) {
        recorded_ = 0;
        source_ = std::make_unique<QAudioSource>(device, audio);
        input_ = source_->start();
        if (!input_ || source_->error() != QAudio::NoError)
            reason = "the sound input did not start";
    }
    if (!reason.isEmpty()) {
        source_.reset();
        wav_.reset();
        onBlock_ = {};
        if (device.isNull())
            throw ENoSoundInput("Error starting wave record: " + reason);
        throw EInOutError("Error starting wave record: " + reason);
    }
    connect(input_, &QIODevice::readyRead, this, &TSoundRecorder::take);
}

void TSoundRecorder::take() {
    const QByteArray samples = input_->readAll();
    // Whole sample frames only; a split frame waits for its rest.
    const qsizetype whole = samples.size() - samples.size() % format_.bytesPerFrame();
    if (whole > 0)
        deliver(samples.left(whole));
}

void TSoundRecorder::deliver(const QByteArray& samples) {
    recorded_ += samples.size();
    if (wav_)
        wav_->append(samples);
    if (!onBlock_)
        return;
    if (format_.channels == 2)
        onBlock_(channel(samples, format_.bytesPerSample(), 0),
                 channel(samples, format_.bytesPerSample(), 1));
    else
        onBlock_(samples, {});
}

void TSoundRecorder::StopRecording() {
    if (!source_)
        return;
    take();
    source_->stop();
    source_.reset();
    input_ = nullptr;
    onBlock_ = {};
    if (auto wav = std::move(wav_))
        wav->close();
}

void TSoundRecorder::Play(const QByteArray& left, const QByteArray& right) {
    StopPlaying();
    TSoundFormat format = format_;
    const bool stereo = format.channels == 2 && left.size() == right.size();
    // Without a matching right channel the left one plays as mono, at its own speed.
    format.channels = stereo ? 2 : 1;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        throw EInOutError("Error starting wave playback: no sound output");
    playing_.setData(stereo ? interleaved(left, right, format.bytesPerSample()) : left);
    playing_.open(QIODevice::ReadOnly);
    sink_ = std::make_unique<QAudioSink>(device, audioFormat(format));
    connect(sink_.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::IdleState || state == QAudio::StoppedState)
            QMetaObject::invokeMethod(this, &TSoundRecorder::StopPlaying, Qt::QueuedConnection);
    });
    sink_->start(&playing_);
}

void TSoundRecorder::StopPlaying() {
    if (!sink_)
        return;
    auto sink = std::move(sink_);
    sink->disconnect(this);
    sink->stop();
    playing_.close();
    emit playingStopped();
}
