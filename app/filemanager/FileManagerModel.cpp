#include "FileManagerModel.h"

#include "CameraClient.h"
#include "Dates.h"
#include "Destination.h"
#include "Errors.h"
#include "ExifReader.h"
#include "FileManagerKeys.h"
#include "LanguageFile.h"
#include "ListBuildingView.h"
#include "Log.h"
#include "NamePattern.h"
#include "ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace {

using fmkeys::Section;

// Each item's thumbnail passes through it and is read back at once.
QString thumbnailFile() {
    return ScratchFile("thumbnail.jpg");
}

// What the thumbnail file holds now: the next item overwrites it before the
// window may draw it. A file that cannot be read shows nothing.
TThumbnail thumbnailFileDrawing() {
    QFile file(thumbnailFile());
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return [bytes] { return QImage::fromData(bytes); };
}

TThumbnail recordDrawing(const TJPEGImage& record) {
    return [record] { return record.decoded(); };
}

bool hasRecordExtension(const QString& name) {
    return name.endsWith(".JPG", Qt::CaseInsensitive) || name.endsWith(".CRW", Qt::CaseInsensitive);
}

qint64 roundedKB(qint64 bytes) {
    return std::llround(double(bytes) / 1024.0);
}

// The EXIF photo date ("yyyy:MM:dd hh:mm:ss", local time) as camera seconds.
std::optional<qint64> exifPhotoSeconds(const QString& photoDate) {
    const QDateTime date = QDateTime::fromString(photoDate, "yyyy:MM:dd hh:mm:ss");
    if (!date.isValid())
        return std::nullopt;
    return DateTimeToSeconds(FromQDateTime(date));
}

} // namespace

bool ReceiveThumbnail(int index, const QString& path) {
    // The work file takes each item's thumbnail in turn; the bridge never
    // writes over a file, so the last one goes first.
    QFile::remove(path);
    try {
        tesselink::GetThumbnail(index, path);
        return true;
    } catch (const EDiskFullError&) {
        throw; // not a thumbnail the camera lacks: later files would fail too
    } catch (const ELumvikError& error) {
        LogLine("No thumbnail for entry " + QString::number(index + 1) +
                ". Exception=" + error.message());
        QFile::remove(path);
        return false;
    }
}

TFileManagerModel::TFileManagerModel(const TLanguageFile& language, TFileManagerView& view)
    : language_(language), buildingView_(std::make_unique<TListBuildingView>(view)),
      view_(*buildingView_) {}

TFileManagerModel::~TFileManagerModel() = default;

qint64 TFileManagerModel::sizeOf(int itemNumber) const {
    if (itemNumber < 1 || itemNumber > qsizetype(sizes_.size()))
        return 0;
    return sizes_[itemNumber - 1];
}

const TCameraItem& TFileManagerModel::item(int itemNumber) {
    static const TCameraItem none;
    if (itemNumber < 1 || itemNumber > entries_.size())
        return none;
    if (itemNumber > qsizetype(items_.size()) || !items_[itemNumber - 1].loaded)
        GetPictureData(itemNumber, false);
    return items_[itemNumber - 1];
}

std::optional<TPictureChoices> TFileManagerModel::choices(int itemNumber) const {
    const auto at = std::lower_bound(
        records.begin(), records.end(), itemNumber,
        [](const TJPEGImage& record, int number) { return record.itemNumber < number; });
    if (at == records.end() || at->itemNumber != itemNumber)
        return std::nullopt;
    return ChoicesOf(*at);
}

// The item just read, as the current properties hold it.
void TFileManagerModel::keepItem(int itemNumber) {
    items_.resize(std::max<size_t>(items_.size(), itemNumber));
    items_[itemNumber - 1] = CameraItemOf(currentContents, currentPicture, currentMovie);
}

qint64 TFileManagerModel::totalSize(const QList<int>& indexes) const {
    qint64 total = 0;
    for (int index : indexes)
        total += sizeOf(index + 1);
    return total;
}

QString TFileManagerModel::caption(fmkeys::TText text) const {
    return fmkeys::Read(language_, text);
}

QString TFileManagerModel::localDate(uint32_t seconds) const {
    return DateTimeText(ToQDateTime(SecondsToDateTime(seconds)));
}

void TFileManagerModel::GetAllThumnails() {
    const TListBuildingView::TBuilding building(*buildingView_);
    // Left set when the camera fails, until the next run.
    listBuilding_ = true;
    selectedTotal = 0;
    const int n = tesselink::GetNrOfPicturesOnCamera();
    sizes_.assign(std::max(n, 0), 0);
    items_.clear();
    entries_.clear();
    transferredEntries.clear();
    view_.ClearEntries();
    for (int e = 1; e <= n; ++e) {
        view_.SetStatusText(language_.readFormatted(Section, "statusbar_get_pic_data_for_pic",
                                                    "Getting picture data for picture %s of %s",
                                                    {QString::number(e), QString::number(n)}));
        try {
            GetPictureData(e, false);
        } catch (const ELumvikError& error) {
            showNoThumbnail(error);
            if (entries_.size() < e) { // nothing of the item could be read
                addEntryIfMissing(e, "-");
                currentContents = {};
            }
        }
        selectedTotal += sizes_[e - 1];
        const QString destination = DestinationPath();
        const bool known =
            transferredBefore && !destination.isEmpty() &&
            transferredBefore(CameraItemOf(currentContents, currentPicture, currentMovie));
        if (known)
            transferredEntries << e - 1;
        view_.SetEntrySelected(e - 1,
                               !destination.isEmpty() && !QFileInfo::exists(destination) && !known);
    }
    view_.SetStatusText(fmkeys::ReadFormatted(language_, fmkeys::TotalToReceive,
                                              {QString::number(roundedKB(selectedTotal))}));
    listBuilding_ = false;
}

void TFileManagerModel::addEntryIfMissing(int itemNumber, const QString& name) {
    if (entries_.size() < itemNumber) {
        entries_ << name;
        view_.AddEntry(name);
    }
}

void TFileManagerModel::GetPictureData(int itemNumber, bool reload) {
    LogLine("Enters GetPictureData index=" + QString::number(itemNumber));
    view_.LetMessagesRun();
    currentContents = tesselink::GetObjectContents(itemNumber - 1);
    if (currentContents.pictures < 1 && currentContents.movies < 1)
        addEntryIfMissing(itemNumber, "-");
    else if (currentContents.pictures < 1)
        readMovie(itemNumber);
    else
        readPicture(itemNumber, reload);
    keepItem(itemNumber);
}

void TFileManagerModel::showNoThumbnail(const ELumvikError& error) {
    LogLine("Exception : GetPictureData " + error.message());
    view_.ShowThumbnail([] { return QImage(); });
}

bool TFileManagerModel::fetchThumbnail(int itemNumber) {
    const bool received = ReceiveThumbnail(itemNumber - 1, thumbnailFile());
    view_.ShowThumbnail(received ? thumbnailFileDrawing() : [] { return QImage(); });
    return received;
}

// The record is decoded only when drawn; an error then is logged and shows nothing.
void TFileManagerModel::showRecordThumbnail(const TJPEGImage& record) {
    view_.ShowThumbnail([drawing = recordDrawing(record)] {
        try {
            return drawing();
        } catch (const ELumvikError& error) {
            LogLine("Exception : GetPictureData " + error.message());
            return QImage();
        }
    });
}

void TFileManagerModel::readMovie(int itemNumber) {
    currentMovie = tesselink::GetMovieProperties(itemNumber - 1);
    const QString name = tesselink::TextOf(currentMovie.fileName);
    addEntryIfMissing(itemNumber, name);
    LogLine("Filename of movie=" + name);
    lines_.dateAndTime = caption(fmkeys::DateAndTimeLabel) + localDate(currentMovie.shootingTime);
    lines_.fileSize = caption(fmkeys::FileSizeLabel) + QString::number(currentMovie.fileSize);
    lines_.size = caption(fmkeys::SizeLabel) + QString::number(currentMovie.width) + "x" +
                  QString::number(currentMovie.height);
    sizes_.resize(std::max<size_t>(sizes_.size(), itemNumber));
    sizes_[itemNumber - 1] = currentMovie.fileSize;
    const bool thumbnail = fetchThumbnail(itemNumber);
    if (computerDirectory && thumbnail) {
        // A folder's movie dates are the file's; the thumbnail's EXIF date is the shot's.
        const ExifContents exif = ReadExif(thumbnailFile());
        if (const auto seconds =
                exif.hasExif() ? exifPhotoSeconds(exif.summary.photoDate) : std::nullopt) {
            currentMovie.shootingTime = uint32_t(*seconds);
            lines_.dateAndTime =
                caption(fmkeys::DateAndTimeLabel) + " " + localDate(currentMovie.shootingTime);
        }
    }
    lines_.pictureLinesVisible = false;
    view_.ShowPictureData(lines_);
}

// The four record lines: bare captions, then what the record holds.
void TFileManagerModel::showRecord(TJPEGImage& record) {
    showRecordThumbnail(record);
    lines_.rotate = caption(fmkeys::RotateLabel) + " " + QString::number(record.rotation()) + " " +
                    caption(fmkeys::Degrees);
    lines_.resize = caption(fmkeys::ResizeLabel);
    lines_.compression = caption(fmkeys::CompressionLabel);
    lines_.gray = caption(fmkeys::GrayLabel);
    if (!record.modified())
        return;
    lines_.gray +=
        " " + (record.grayscale() ? caption({"text_yes", "yes"}) : caption({"text_no", "no"}));
    lines_.compression += " " + QString::number(record.compressionQuality());
    switch (record.scale()) {
    case TJPEGScale::Full:
        break;
    case TJPEGScale::Half:
        lines_.resize = caption(fmkeys::SizeHalf);
        break;
    case TJPEGScale::Quarter:
        lines_.resize = caption(fmkeys::SizeQuarter);
        break;
    case TJPEGScale::Eighth:
        lines_.resize = caption(fmkeys::SizeEighth);
        break;
    }
}

void TFileManagerModel::readPicture(int itemNumber, bool reload) {
    currentPicture = tesselink::GetPictureProperties(itemNumber - 1);
    const tsPictureProperties& p = currentPicture;
    const QString name = tesselink::TextOf(p.fileName);
    addEntryIfMissing(itemNumber, name);
    LogLine("Filename of picture=" + name);
    lines_.rotate = caption(fmkeys::RotateLabel);
    lines_.resize = caption(fmkeys::ResizeLabel);
    lines_.compression = caption(fmkeys::CompressionLabel);
    lines_.gray = caption(fmkeys::GrayLabel);
    TJPEGImage* record = FindRecord(itemNumber);
    if (record)
        showRecord(*record);
    const bool thumbnail = name == "-" || (record && !reload) || fetchThumbnail(itemNumber);
    const auto onOff = [this](uint8_t flag) {
        return " " + (flag ? caption({"text_on", "on"}) : caption({"text_off", "off"}));
    };
    lines_.exposureComp = caption({"exposure_comp_label", "Exposure Comp:"}) + " " +
                          QString::number(double(p.exposureCompensation), 'g', 8);
    lines_.flash = caption({"flash_label", "Flash:"}) + onOff(p.flash);
    lines_.macro = caption({"macro_label", "Macro:"}) + onOff(p.macro);
    lines_.isProtected = caption({"protected_label", "Protected:"}) + onOff(p.isProtected);
    lines_.aperture = caption({"aperture_label", "Aperture:"}) +
                      ApertureText(p.apertureNumerator, p.apertureDenominator);
    lines_.shutterSpeed = caption({"shutter_speed_label", "Shutter speed:"}) +
                          ShutterText(p.shutterSpeedNumerator, p.shutterSpeedDenominator);
    lines_.fileSize =
        caption(fmkeys::FileSizeLabel) + QString::number(roundedKB(p.fileSize)) + " kB";
    lines_.size =
        caption(fmkeys::SizeLabel) + QString::number(p.width) + "x" + QString::number(p.height);
    lines_.dateAndTime = caption(fmkeys::DateAndTimeLabel) + " " + localDate(p.shootingTime);
    sizes_.resize(std::max<size_t>(sizes_.size(), itemNumber));
    sizes_[itemNumber - 1] = p.fileSize;
    lines_.pictureLinesVisible = true;
    // Without a record the transfer copies the picture as it is.
    if (hasRecordExtension(name) && thumbnail) {
        try {
            keepRecord(itemNumber, reload);
        } catch (const ELumvikError& error) {
            showNoThumbnail(error);
        }
    }
    view_.ShowPictureData(lines_);
}

// The records are sorted by item number: a list of thousands is searched, not scanned.
TArrayPic::iterator TFileManagerModel::recordPosition(int itemNumber) {
    return std::lower_bound(
        records.begin(), records.end(), itemNumber,
        [](const TJPEGImage& record, int number) { return record.itemNumber < number; });
}

void TFileManagerModel::keepRecord(int itemNumber, bool reload) {
    const tsPictureProperties& p = currentPicture;
    const auto fresh = [&] {
        return NewPictureRecord(thumbnailFile(), itemNumber, tesselink::TextOf(p.fileName), p.width,
                                p.height, p.fileSize);
    };
    const auto at = recordPosition(itemNumber);
    if (at == records.end() || at->itemNumber != itemNumber) {
        TJPEGImage& record = *records.insert(at, fresh());
        // The transfer turns the picture the way the camera tagged it.
        if (p.rotation == 90 || p.rotation == 180 || p.rotation == 270)
            record.rotateInMemory(p.rotation);
        showRecordThumbnail(record);
        lines_.rotate = caption(fmkeys::RotateLabel) + " " + QString::number(p.rotation) + " " +
                        caption(fmkeys::Degrees);
    } else if (reload) {
        *at = fresh();
        // The panel shows the record as it is now, not as it was before the reset.
        showRecord(*at);
    }
}

QString TFileManagerModel::userText() {
    if (listBuilding_)
        return {};
    if (!userText_)
        userText_ = (askUserText ? askUserText() : std::nullopt).value_or(QString());
    return *userText_;
}

void TFileManagerModel::ForgetUserText() {
    userText_.reset();
}

QString TFileManagerModel::CreateName(const QString& pattern, bool movie) {
    LogLine("Enters TForm_filemanager.CreateName, parameter = " + pattern);
    return ExpandPattern(pattern,
                         movie ? PatternSourceOf(currentMovie) : PatternSourceOf(currentPicture),
                         [this] { return userText(); });
}

QString TFileManagerModel::DestinationPath() {
    return DestinationOf(
               CameraItemOf(currentContents, currentPicture, currentMovie),
               {subDirPattern, fileNamePattern}, {targetDirectory, {}},
               [](const QString&) { return false; }, [this] { return userText(); })
        .path;
}

TJPEGImage* TFileManagerModel::FindRecord(int itemNumber) {
    const auto at = recordPosition(itemNumber);
    return at != records.end() && at->itemNumber == itemNumber ? &*at : nullptr;
}

bool TFileManagerModel::ChangeRecord(int itemNumber, TRecordChange change) {
    TJPEGImage* record = FindRecord(itemNumber);
    if (!record)
        return false;
    const int scale = int(record->scale());
    const int quality = record->compressionQuality();
    switch (change) {
    case TRecordChange::RotateLeft:
        record->rotateInMemory(270);
        break;
    case TRecordChange::RotateRight:
        record->rotateInMemory(90);
        break;
    case TRecordChange::Gray:
        record->setGrayscale(true);
        break;
    case TRecordChange::Smaller:
        if (scale < 3)
            record->setScale(TJPEGScale(scale + 1));
        break;
    case TRecordChange::Larger:
        if (scale > 0)
            record->setScale(TJPEGScale(scale - 1));
        break;
    case TRecordChange::QualityUp:
        if (quality <= 99)
            record->setCompressionQuality(quality + 1);
        break;
    case TRecordChange::QualityDown:
        if (quality > 0)
            record->setCompressionQuality(quality - 1);
        break;
    }
    return true;
}

void TFileManagerModel::MarkSelected(const QList<int>& indexes) {
    std::vector<bool> chosen(entries_.size());
    for (int index : indexes)
        if (index >= 0 && index < qsizetype(chosen.size()))
            chosen[index] = true;
    for (TJPEGImage& record : records) {
        const int index = record.itemNumber - 1;
        record.selected = index >= 0 && index < qsizetype(chosen.size()) && chosen[index];
    }
}

QList<int> TFileManagerModel::MarkedIndexes() const {
    QList<int> indexes;
    for (const TJPEGImage& record : records)
        if (record.selected)
            indexes << record.itemNumber - 1;
    return indexes;
}

void TFileManagerModel::DeletePictures(const QList<int>& indexes) {
    int running = 1;
    for (auto index = indexes.rbegin(); index != indexes.rend(); ++index, ++running) {
        view_.SetStatusText(language_.readFormatted(
            Section, "statusbar_deleting_picture", "Deleting picture %s of %s",
            {QString::number(running), QString::number(indexes.size())}));
        LogLine(QString("DeletePictures i=%1").arg(*index + 1));
        tesselink::DeletePicture(*index);
    }
    forgetCollection();
}

// The item numbers of the list and the records no longer name the same objects.
void TFileManagerModel::forgetCollection() {
    records.clear();
    items_.clear();
    entries_.clear();
    view_.ClearEntries();
}

void TFileManagerModel::ApplyComment(const QList<int>& indexes, const QString& memo) {
    for (int index : indexes)
        if (TJPEGImage* record = FindRecord(index + 1))
            record->commentLines = memo.isEmpty() ? QStringList() : memo.split('\n');
}

void TFileManagerModel::ChangeVolume(int volume) {
    LogLine("Enters SpinEdit_VolumeNrChange. New vol=" + QString::number(volume));
    tesselink::ClosePicCollection();
    tesselink::GetVolume(volume);
    tesselink::OpenPicCollection(TS_SOURCE_CAMERA_ALL, "", tsFileKinds{1, 1, 1, 0});
    forgetCollection();
}
