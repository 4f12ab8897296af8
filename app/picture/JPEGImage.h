#pragma once
// TJPEGImage: the program's JPEG picture object. It keeps the compressed bytes
// of a picture (shared between copies), decodes them on demand into a QImage at
// full, half, quarter or eighth size, encodes a bitmap back to JPEG with the
// picture's EXIF block carried through, and holds what the file manager records
// for each camera picture together with the lossless operations on it.

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QRect>
#include <QStringList>
#include <functional>
#include <memory>

class QPainter;

enum class TJPEGScale : quint8 { Full = 0, Half = 1, Quarter = 2, Eighth = 3 };
enum class TJPEGPerformance { BestQuality, BestSpeed };
enum class TJPEGPixelFormat { Format24Bit, Format8Bit };

// The description and name patterns of the files the object reads and writes.
inline constexpr char JPEGFileFilter[] = "JPEG Image File (*.jpg *.jpeg)";

class TJPEGImage {
  public:
    // Loading reads every byte to the end as new compressed data and its header;
    // EJPEG when the header cannot be read, EInOutError when the file cannot.
    void loadFromStream(QIODevice& stream);
    void loadFromFile(const QString& path);
    void loadFromData(const QByteArray& jpeg);
    // Saving encodes the bitmap first when there is no compressed data. A file
    // is replaced only once the new content is wholly written.
    void saveToStream(QIODevice& stream);
    void saveToFile(const QString& path);
    // The compressed bytes (empty for an object made from a bitmap).
    QByteArray data() const;

    // Shares other's compressed data and copies its bitmap and EXIF block.
    void assign(const TJPEGImage& other);
    // Drops the compressed data and takes a copy of bitmap.
    void assign(const QImage& bitmap);

    // The decoded bitmap, decoding first when needed: Format_RGB888 for 24-bit
    // output, Format_Indexed8 with its palette for 8-bit or gray output. It is
    // a QImage as it stands, so showing it needs no second decode.
    const QImage& bitmap();
    bool hasBitmap() const { return !bitmap_.isNull(); }
    // The same picture without keeping it: the kept bitmap when there is one,
    // else a fresh decode. Thousands of thumbnail records so hold only their
    // compressed bytes and are decoded when they are drawn.
    QImage decoded() const;
    void draw(QPainter& painter, const QRect& rect);
    // Encodes the bitmap into new compressed data at the quality.
    void compress();

    // The bitmap's size once decoded, else the size the decoder will make.
    int width();
    int height();
    // Header facts of the compressed data at full size.
    bool isGrayscaleJPEG() const;
    bool isProgressiveJPEG() const;

    TJPEGScale scale() const { return scale_; }
    void setScale(TJPEGScale scale);
    bool grayscale() const { return grayscale_; }
    void setGrayscale(bool grayscale);
    int compressionQuality() const { return quality_; }
    // Always counts as a change, even to the quality already set.
    void setCompressionQuality(int quality);
    TJPEGPerformance performance() const { return performance_; }
    void setPerformance(TJPEGPerformance performance);
    TJPEGPixelFormat pixelFormat() const { return pixelFormat_; }
    void setPixelFormat(TJPEGPixelFormat format);
    bool progressiveDisplay() const { return progressiveDisplay_; }
    void setProgressiveDisplay(bool on);
    bool progressiveEncoding() const { return progressiveEncoding_; }
    void setProgressiveEncoding(bool on) { progressiveEncoding_ = on; }
    bool smoothing() const { return smoothing_; }
    void setSmoothing(bool on);
    // Called with the bitmap after each scan when a progressive picture is
    // decoded with progressive display.
    std::function<void(const QImage&)> onScanShown;

    // The data of the APP1 segment captured at the last decode.
    const QByteArray& exifBlock() const { return exif_; }
    // Set by changing scale, grayscale or quality; never cleared: the transfer
    // must then decode and re-encode the picture.
    bool modified() const { return modified_; }
    // Accumulated clockwise rotation in degrees: 0, 90, 180 or 270.
    int rotation() const { return rotation_; }

    // What the file manager records for each camera picture.
    int itemNumber = 0;
    QString name;
    int pictureWidth = 0; // the picture's size as the camera reported it
    int pictureHeight = 0;
    int sizeKB = 0;
    bool selected = false;
    QStringList commentLines;
    // A complete JPEG file loaded for the lossless rotation.
    QByteArray pictureBuffer;

    void loadPictureBuffer(const QString& path);
    void savePictureBuffer(const QString& path) const;
    // Turns the picture buffer losslessly by the rotation and updates its EXIF
    // block to match (UpdateExifForRotation). Never raises: failures are
    // logged; a part of the EXIF block that cannot be updated stays as it was;
    // a picture whose Orientation cannot be set to normal, or whose rotation
    // fails, stays exactly as it was loaded; a rotation the codec warned about
    // keeps the whole turned picture.
    void Make_PictureTranformation();
    // Turns the object's own picture by degrees (90, 180 or 270) clockwise,
    // checks that the result decodes, and adds degrees to the rotation. The
    // turned bitmap is not kept.
    void rotateInMemory(int degrees);
    // Writes the comment lines, each ended by CR LF, into the JPEG file at path
    // as a comment segment behind its first segment; no lines, no change.
    void insertComment(const QString& path) const;

  private:
    struct Data;
    void setData(const QByteArray& jpeg);
    QImage decode(QByteArray& exif) const;
    void discardBitmap();
    QSize size();
    // Stores value; a change discards the bitmap and returns true.
    template <class T> bool changeDecodeOption(T& option, T value);

    std::shared_ptr<const Data> data_;
    QImage bitmap_;
    QSize scaledSize_;
    QByteArray exif_;
    TJPEGScale scale_ = TJPEGScale::Full;
    bool grayscale_ = false;
    int quality_ = 90;
    TJPEGPerformance performance_ = TJPEGPerformance::BestQuality;
    TJPEGPixelFormat pixelFormat_ = TJPEGPixelFormat::Format24Bit;
    bool progressiveDisplay_ = false;
    bool progressiveEncoding_ = false;
    bool smoothing_ = true;
    bool modified_ = false;
    int rotation_ = 0;
};
