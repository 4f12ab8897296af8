#include "FileManagerModel.h"

#include "CameraClient.h"
#include "CameraSession.h"
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

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

using fmkeys::Section;

// Each item's thumbnail passes through it on the camera thread and is read back at once.
QString thumbnailFile() {
    return ScratchFile("thumbnail.jpg");
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

// On the camera thread: the thumbnail's bytes, or nothing when the camera has none.
std::optional<QByteArray> receivedThumbnail(int index) {
    if (!ReceiveThumbnail(index, thumbnailFile()))
        return std::nullopt;
    QFile file(thumbnailFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// On the camera thread: what the camera tells of the item, its thumbnail when
// wanted; raises the camera's failure.
TItemReading ReadItem(int itemNumber, bool wantThumbnail, bool folderDates) {
    TItemReading reading;
    reading.itemNumber = itemNumber;
    const int index = itemNumber - 1;
    reading.contents = tesselink::GetObjectContents(index);
    if (reading.contents.pictures > 0) {
        reading.picture = tesselink::GetPictureProperties(index);
        if (wantThumbnail && tesselink::TextOf(reading.picture.fileName) != "-")
            reading.thumbnail = receivedThumbnail(index);
    } else if (reading.contents.movies > 0) {
        reading.movie = tesselink::GetMovieProperties(index);
        reading.thumbnail = receivedThumbnail(index);
        if (folderDates && reading.thumbnail) {
            // A folder's movie dates are the file's; the thumbnail's EXIF date is the shot's.
            const ExifContents exif = ReadExif(thumbnailFile());
            if (const auto seconds =
                    exif.hasExif() ? exifPhotoSeconds(exif.summary.photoDate) : std::nullopt)
                reading.thumbnailDate = uint32_t(*seconds);
        }
    }
    return reading;
}

// The movie's properties as the list knows them: dated by the thumbnail when it tells.
tsMovieProperties readMovie(const TItemReading& reading) {
    tsMovieProperties movie = reading.movie;
    if (reading.thumbnailDate)
        movie.shootingTime = *reading.thumbnailDate;
    return movie;
}

// An item as the listing names it, before anything of it is read.
TCameraItem ListedItem(const tsItemEntry& entry) {
    TCameraItem item;
    if (entry.kind == TS_ITEM_PICTURE || entry.kind == TS_ITEM_MOVIE) {
        item.kind =
            entry.kind == TS_ITEM_PICTURE ? TCameraItem::TKind::Picture : TCameraItem::TKind::Movie;
        item.name = tesselink::TextOf(entry.fileName);
        item.size = entry.fileSize;
    } else {
        item.name = "-";
    }
    return item;
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

TFileManagerModel::TFileManagerModel(const TLanguageFile& language, TFileManagerView& view,
                                     TCameraSession& session)
    : language_(language), session_(session),
      buildingView_(std::make_unique<TListBuildingView>(view)), view_(*buildingView_),
      loader_(session, [this](const TItemReading& reading) { itemArrived(reading); }) {}

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
    if (!items_[itemNumber - 1].loaded)
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
    loader_.stop();
    selectedTotal = 0;
    answered_ = 0;
    const std::vector<tsItemEntry> listed = tesselink::GetItemList();
    const int n = int(listed.size());
    items_.assign(n, {});
    sizes_.assign(n, 0);
    entries_.clear();
    {
        const TListBuildingView::TBuilding building(*buildingView_);
        view_.ClearEntries();
        for (int e = 1; e <= n; ++e) {
            items_[e - 1] = ListedItem(listed[e - 1]);
            sizes_[e - 1] = items_[e - 1].size;
            selectedTotal += sizes_[e - 1];
            entries_ << items_[e - 1].name;
            view_.AddEntry(loadingText(entries_.last()));
        }
        showLoadingStatus();
    }
    preselect_ = true;
    std::vector<bool> hasRecord(n);
    for (const TJPEGImage& record : records)
        if (record.itemNumber >= 1 && record.itemNumber <= n)
            hasRecord[record.itemNumber - 1] = true;
    // A record kept from an earlier list keeps its thumbnail and the user's changes.
    loader_.start(n, [hasRecord, folder = computerDirectory](int itemNumber) {
        return ReadItem(itemNumber, !hasRecord[itemNumber - 1], folder);
    });
    if (!loader_.loading())
        finishLoading();
}

bool TFileManagerModel::loading() const {
    return loader_.loading();
}

void TFileManagerModel::ShowingEntries(int first, int last) {
    loader_.prefer(first + 1, last + 1);
}

void TFileManagerModel::StopLoading() {
    ++stops_;
    loader_.stop();
}

bool TFileManagerModel::WaitForLoading() {
    const int stops = stops_;
    while (loading() && stops_ == stops)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return stops_ == stops;
}

TItemLoader::THold TFileManagerModel::HoldLoading() {
    return TItemLoader::THold(loader_);
}

QString TFileManagerModel::loadingText(const QString& name) const {
    return language_.readFormatted(Section, "text_entry_loading", "%s (loading...)", {name});
}

void TFileManagerModel::showLoadingStatus() {
    view_.SetStatusText(language_.readFormatted(
        Section, "statusbar_get_pic_data_for_pic", "Getting picture data for picture %s of %s",
        {QString::number(answered_), QString::number(entries_.size())}));
}

// The list's total is the sizes the camera's properties gave, as the
// transfer counts them.
void TFileManagerModel::finishLoading() {
    selectedTotal = std::accumulate(sizes_.begin(), sizes_.end(), qint64(0));
    view_.SetStatusText(fmkeys::ReadFormatted(language_, fmkeys::TotalToReceive,
                                              {QString::number(roundedKB(selectedTotal))}));
}

void TFileManagerModel::itemArrived(const TItemReading& reading) {
    const int n = reading.itemNumber;
    ++answered_;
    if (n >= 1 && n <= entries_.size() && !items_[n - 1].loaded) {
        LogLine("Enters GetPictureData index=" + QString::number(n));
        if (reading.failure.isEmpty()) {
            keepReading(reading, false);
            preselect(reading);
        } else {
            LogLine("Exception : GetPictureData " + reading.failure);
            setEntry(n, "-"); // nothing of the item could be read
        }
    }
    if (loader_.loading())
        showLoadingStatus();
    else
        finishLoading();
}

// An item transferred before is marked. Until the user chooses otherwise, any
// other loaded item whose destination file does not exist yet joins the
// selection.
void TFileManagerModel::preselect(const TItemReading& reading) {
    const QScopedValueRollback preselecting(preselecting_, true);
    const tsMovieProperties movie = readMovie(reading);
    const QString destination = destinationOf(reading.contents, reading.picture, movie);
    if (destination.isEmpty())
        return;
    if (transferredBefore &&
        transferredBefore(CameraItemOf(reading.contents, reading.picture, movie))) {
        view_.MarkEntryTransferred(reading.itemNumber - 1);
        return;
    }
    if (preselect_ && !QFileInfo::exists(destination))
        view_.SetEntrySelected(reading.itemNumber - 1, true);
}

void TFileManagerModel::KeepSelection() {
    if (!preselecting_)
        preselect_ = false;
}

void TFileManagerModel::setEntry(int itemNumber, const QString& name) {
    entries_[itemNumber - 1] = name;
    view_.SetEntryText(itemNumber - 1, name);
}

void TFileManagerModel::GetPictureData(int itemNumber, bool reload) {
    LogLine("Enters GetPictureData index=" + QString::number(itemNumber));
    view_.LetMessagesRun();
    const bool thumbnail = reload || !FindRecord(itemNumber);
    const bool folder = computerDirectory;
    TItemReading reading;
    TCameraOperation operation;
    session_.perform(operation, [&] { reading = ReadItem(itemNumber, thumbnail, folder); });
    loader_.drop(itemNumber);
    while (entries_.size() < itemNumber) { // read before any list was built
        entries_ << "-";
        items_.emplace_back();
        sizes_.push_back(0);
        view_.AddEntry("-");
    }
    currentContents = reading.contents;
    currentPicture = reading.picture;
    currentMovie = readMovie(reading);
    keepReading(reading, reload);
    showReading(reading);
}

void TFileManagerModel::keepReading(const TItemReading& reading, bool reload) {
    const int n = reading.itemNumber;
    const tsMovieProperties movie = readMovie(reading);
    const TCameraItem item = CameraItemOf(reading.contents, reading.picture, movie);
    setEntry(n, item.name);
    LogLine((item.isMovie() ? "Filename of movie=" : "Filename of picture=") + item.name);
    sizes_[n - 1] = item.size;
    items_[n - 1] = item;
    // Without a record the transfer copies the picture as it is.
    if (item.isPicture() && hasRecordExtension(item.name) && reading.thumbnail) {
        try {
            keepRecord(reading, reload);
        } catch (const ELumvikError& error) {
            LogLine("Exception : GetPictureData " + error.message());
        }
    }
}

void TFileManagerModel::showReading(const TItemReading& reading) {
    const TCameraItem& item = items_[reading.itemNumber - 1];
    if (item.isPicture())
        showPicture(item, reading);
    else if (item.isMovie())
        showMovie(item, reading);
}

void TFileManagerModel::showThumbnail(const TItemReading& reading) {
    const QByteArray bytes = reading.thumbnail.value_or(QByteArray());
    view_.ShowThumbnail([bytes] { return QImage::fromData(bytes); });
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

void TFileManagerModel::showMovie(const TCameraItem& item, const TItemReading& reading) {
    const tsMovieProperties& m = item.movie;
    // A folder's movie dated by its thumbnail shows the date as the pictures do.
    lines_.dateAndTime = caption(fmkeys::DateAndTimeLabel) + (reading.thumbnailDate ? " " : "") +
                         localDate(m.shootingTime);
    lines_.fileSize = caption(fmkeys::FileSizeLabel) + QString::number(m.fileSize);
    lines_.size =
        caption(fmkeys::SizeLabel) + QString::number(m.width) + "x" + QString::number(m.height);
    showThumbnail(reading);
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

void TFileManagerModel::showPicture(const TCameraItem& item, const TItemReading& reading) {
    const tsPictureProperties& p = item.picture;
    lines_.rotate = caption(fmkeys::RotateLabel);
    lines_.resize = caption(fmkeys::ResizeLabel);
    lines_.compression = caption(fmkeys::CompressionLabel);
    lines_.gray = caption(fmkeys::GrayLabel);
    if (TJPEGImage* record = FindRecord(reading.itemNumber))
        showRecord(*record);
    else if (item.name != "-")
        showThumbnail(reading);
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
    lines_.pictureLinesVisible = true;
    view_.ShowPictureData(lines_);
}

// The records are sorted by item number: a list of thousands is searched, not scanned.
TArrayPic::iterator TFileManagerModel::recordPosition(int itemNumber) {
    return std::lower_bound(
        records.begin(), records.end(), itemNumber,
        [](const TJPEGImage& record, int number) { return record.itemNumber < number; });
}

void TFileManagerModel::keepRecord(const TItemReading& reading, bool reload) {
    const int itemNumber = reading.itemNumber;
    const tsPictureProperties& p = reading.picture;
    const auto fresh = [&] {
        return NewPictureRecord(*reading.thumbnail, itemNumber, tesselink::TextOf(p.fileName),
                                p.width, p.height, p.fileSize);
    };
    const auto at = recordPosition(itemNumber);
    if (at == records.end() || at->itemNumber != itemNumber) {
        TJPEGImage& record = *records.insert(at, fresh());
        // The transfer turns the picture the way the camera tagged it.
        if (p.rotation == 90 || p.rotation == 180 || p.rotation == 270)
            record.rotateInMemory(p.rotation);
    } else if (reload) {
        *at = fresh();
    }
}

QString TFileManagerModel::userText() {
    if (preselecting_)
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
    return destinationOf(currentContents, currentPicture, currentMovie);
}

QString TFileManagerModel::destinationOf(const tsObjectContents& contents,
                                         const tsPictureProperties& picture,
                                         const tsMovieProperties& movie) {
    return DestinationOf(
               CameraItemOf(contents, picture, movie), {subDirPattern, fileNamePattern},
               {targetDirectory, {}}, [](const QString&) { return false; },
               [this] { return userText(); })
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
    // Item numbers change with every delete: no reading may name the wrong item.
    StopLoading();
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
    StopLoading();
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
    StopLoading();
    tesselink::ClosePicCollection();
    tesselink::GetVolume(volume);
    tesselink::OpenPicCollection(TS_SOURCE_CAMERA_ALL, "", tsFileKinds{1, 1, 1, 0});
    forgetCollection();
}
