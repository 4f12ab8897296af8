#include "ViewFinderRecording.h"

#include "Clock.h"
#include "Errors.h"

TFrameTiming::TFrameTiming(QDateTime start) : previous_(std::move(start)) {}

int TFrameTiming::next(const QDateTime& now, double delayPercent) {
    const int gap = int(previous_.msecsTo(now));
    previous_ = now;
    const int remainder = gap % SlotTime;
    delay_ += remainder;
    delay_ += delayPercent / 100 * gap;
    int extra = gap - remainder;
    if (int(delay_) <= SlotTime) {
        extra -= SlotTime;
    } else {
        delay_ -= SlotTime;
        ++frameCounter_;
    }
    frameCounter_ += gap / SlotTime;
    return extra;
}

TViewFinderRecording::TViewFinderRecording(Hooks hooks) : hooks_(std::move(hooks)) {}

TViewFinderRecording::~TViewFinderRecording() = default;

int TViewFinderRecording::frameCounter() const {
    return timing_ ? timing_->frameCounter() : 0;
}

bool TViewFinderRecording::IsGrayFrame(const QImage& picture) {
    if (picture.width() < 320 || picture.height() < 1)
        return false;
    const int y = picture.height() - 1;
    for (int x : {0, 159, 319})
        if (picture.pixel(x, y) != qRgb(128, 128, 128))
            return false;
    return true;
}

void TViewFinderRecording::RequestStart(const TAviFileSettings& file) {
    file_ = file;
    state_ = TRecordingState::StartRequested;
}

void TViewFinderRecording::RequestStop() {
    state_ = TRecordingState::StopRequested;
}

void TViewFinderRecording::Frame(const QImage& picture, double delayPercent) {
    switch (state_) {
    case TRecordingState::WriterNotCreated:
        createWriter();
        break;
    case TRecordingState::Idle:
        break;
    case TRecordingState::StartRequested:
        begin();
        break;
    case TRecordingState::Recording:
        record(picture, delayPercent);
        break;
    case TRecordingState::StopRequested:
        finish();
        break;
    }
}

void TViewFinderRecording::FinishNow() {
    if (state_ == TRecordingState::Recording || state_ == TRecordingState::StopRequested) {
        state_ = TRecordingState::StopRequested;
        finish();
    }
}

void TViewFinderRecording::createWriter() {
    writer_ = std::make_unique<TAviWriter>([this](int done) { progress(done); });
    state_ = TRecordingState::Idle;
    if (hooks_.writerCreated)
        hooks_.writerCreated(*writer_);
}

void TViewFinderRecording::begin() {
    if (!writer_)
        createWriter();
    const QDateTime now = Now();
    timing_ = std::make_unique<TFrameTiming>(now);
    bufferIndex_ = 0;
    buffers_ = {};
    writer_->SetFile(file_);
    writer_->Begin();
    state_ = TRecordingState::Recording;
}

void TViewFinderRecording::record(const QImage& picture, double delayPercent) {
    buffers_[bufferIndex_] = picture;
    // A gray placeholder is replaced by the frame before it, when there is one.
    if (IsGrayFrame(picture) && !buffers_[bufferIndex_ ^ 1].isNull())
        bufferIndex_ ^= 1;
    const int extra = timing_->next(Now(), delayPercent);
    try {
        writer_->AddFrame(buffers_[bufferIndex_], extra);
    } catch (const ELumvikError& error) {
        // Close the file so that what was recorded stays playable.
        bool kept = true;
        try {
            writer_->Finish();
        } catch (const ELumvikError&) {
            kept = false;
        }
        state_ = TRecordingState::Idle;
        throw ERecordingStopped(error.message(), kept);
    }
    bufferIndex_ ^= 1;
}

void TViewFinderRecording::finish() {
    // Idle first: a failing finish must not be tried again with every frame.
    state_ = TRecordingState::Idle;
    if (!writer_)
        createWriter();
    writer_->Finish();
}

void TViewFinderRecording::progress(int done) const {
    if (hooks_.progress)
        hooks_.progress(done);
}
