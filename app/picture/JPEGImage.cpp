#include "JPEGImage.h"

#include "AtomicFile.h"
#include "Errors.h"
#include "JpegCodec.h"
#include "JpegEdits.h"
#include "Jpegtrans.h"

#include <QBuffer>
#include <QPainter>

struct TJPEGImage::Data {
    QByteArray bytes;
    jpegcodec::Header header;
};

void TJPEGImage::setData(const QByteArray& jpeg) {
    auto data = std::make_shared<Data>();
    data->header = jpegcodec::ReadHeader(jpeg);
    data->bytes = jpeg;
    data_ = std::move(data);
    scaledSize_ = QSize();
    discardBitmap();
}

void TJPEGImage::discardBitmap() {
    bitmap_ = QImage();
}

void TJPEGImage::loadFromStream(QIODevice& stream) {
    setData(stream.readAll());
}

void TJPEGImage::loadFromFile(const QString& path) {
    setData(ReadWholeFile(path));
}

void TJPEGImage::loadFromData(const QByteArray& jpeg) {
    setData(jpeg);
}

void TJPEGImage::saveToStream(QIODevice& stream) {
    if (!data_)
        compress();
    stream.write(data_->bytes);
}

void TJPEGImage::saveToFile(const QString& path) {
    if (!data_)
        compress();
    WriteFileAtomically(path, data_->bytes);
}

QByteArray TJPEGImage::data() const {
    return data_ ? data_->bytes : QByteArray();
}

void TJPEGImage::assign(const TJPEGImage& other) {
    data_ = other.data_;
    bitmap_ = other.bitmap_;
    exif_ = other.exif_;
    scaledSize_ = QSize();
}

void TJPEGImage::assign(const QImage& bitmap) {
    data_.reset();
    bitmap_ = bitmap.copy();
    exif_.clear();
    scaledSize_ = QSize();
}

QImage TJPEGImage::decode(QByteArray& exif) const {
    jpegcodec::DecodeOptions options;
    options.scale = int(scale_);
    options.grayscale = grayscale_;
    options.eightBit = pixelFormat_ == TJPEGPixelFormat::Format8Bit;
    options.bestSpeed = performance_ == TJPEGPerformance::BestSpeed;
    options.progressiveDisplay = progressiveDisplay_;
    options.smoothing = smoothing_;
    return jpegcodec::Decode(data_->bytes, options, exif, onScanShown);
}

const QImage& TJPEGImage::bitmap() {
    if (bitmap_.isNull() && data_)
        bitmap_ = decode(exif_);
    return bitmap_;
}

QImage TJPEGImage::decoded() const {
    if (!bitmap_.isNull() || !data_)
        return bitmap_;
    QByteArray exif;
    return decode(exif);
}

void TJPEGImage::draw(QPainter& painter, const QRect& rect) {
    painter.drawImage(rect, bitmap());
}

void TJPEGImage::compress() {
    const jpegcodec::EncodeOptions options{quality_, grayscale_, progressiveEncoding_};
    const QByteArray encoded = jpegcodec::Encode(bitmap(), options, exif_);
    const QImage kept = bitmap_;
    setData(encoded);
    bitmap_ = kept;
}

QSize TJPEGImage::size() {
    if (!bitmap_.isNull())
        return bitmap_.size();
    if (!data_)
        return {};
    if (scale_ == TJPEGScale::Full)
        return data_->header.size;
    if (scaledSize_.isEmpty())
        scaledSize_ = jpegcodec::ScaledSize(data_->bytes, int(scale_));
    return scaledSize_;
}

int TJPEGImage::width() {
    return size().width();
}

int TJPEGImage::height() {
    return size().height();
}

bool TJPEGImage::isGrayscaleJPEG() const {
    return data_ && data_->header.grayscale;
}

bool TJPEGImage::isProgressiveJPEG() const {
    return data_ && data_->header.progressive;
}

template <class T> bool TJPEGImage::changeDecodeOption(T& option, T value) {
    if (option == value)
        return false;
    option = value;
    discardBitmap();
    return true;
}

void TJPEGImage::setScale(TJPEGScale scale) {
    if (changeDecodeOption(scale_, scale)) {
        scaledSize_ = QSize();
        modified_ = true;
    }
}

void TJPEGImage::setGrayscale(bool grayscale) {
    if (changeDecodeOption(grayscale_, grayscale))
        modified_ = true;
}

void TJPEGImage::setCompressionQuality(int quality) {
    quality_ = quality;
    modified_ = true;
}

void TJPEGImage::setPerformance(TJPEGPerformance performance) {
    changeDecodeOption(performance_, performance);
}

void TJPEGImage::setPixelFormat(TJPEGPixelFormat format) {
    changeDecodeOption(pixelFormat_, format);
}

void TJPEGImage::setProgressiveDisplay(bool on) {
    changeDecodeOption(progressiveDisplay_, on);
}

void TJPEGImage::setSmoothing(bool on) {
    changeDecodeOption(smoothing_, on);
}

void TJPEGImage::loadPictureBuffer(const QString& path) {
    pictureBuffer.clear();
    pictureBuffer = ReadWholeFile(path);
}

void TJPEGImage::savePictureBuffer(const QString& path) const {
    WriteFileAtomically(path, pictureBuffer);
}

void TJPEGImage::Make_PictureTranformation() {
    pictureBuffer =
        LosslesslyRotated(pictureBuffer, {rotation_, pictureWidth, pictureHeight, int(scale_)});
}

void TJPEGImage::rotateInMemory(int degrees) {
    const std::optional<TTransformCode> code = TransformCodeForRotation(degrees);
    if (!code)
        throw ERangeError(QStringLiteral("Rotation must be 90, 180 or 270 degrees"));
    // Worked on a copy so that a failure leaves this object as it was.
    TJPEGImage turned(*this);
    turned.setData(TransformJpeg(data(), *code));
    turned.decoded();
    turned.rotation_ = (rotation_ + degrees) % 360;
    *this = std::move(turned);
}

void TJPEGImage::insertComment(const QString& path) const {
    if (commentLines.isEmpty())
        return;
    WriteFileAtomically(path, WithComment(ReadWholeFile(path), commentLines, path));
}
