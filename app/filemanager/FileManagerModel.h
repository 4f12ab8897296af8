#pragma once
// What the file manager knows about the open picture collection, below its
// window: the list of camera files with their sizes, the data of the item read
// last, the picture transformation records, the patterns and target directory,
// and the rules that build the list, name the files and change the records.
// The list shows every name at once; the items' data and thumbnails are read
// in the background through the camera session and fill it in.
// The window shows what the model asks through TFileManagerView; tests drive
// the model with a view of their own.

#include "CameraItem.h"
#include "FileManagerKeys.h"
#include "ItemLoader.h"
#include "PictureRecords.h"
#include "tesselink.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TCameraSession;
class TLanguageFile;
class TListBuildingView;

// The lines of the picture data panel, each with its caption.
struct TPictureDataLines {
    QString shutterSpeed, aperture, exposureComp, dateAndTime, fileSize, size;
    QString flash, macro, isProtected, rotate, resize, compression, gray;
    bool pictureLinesVisible = true; // the seven lines from flash to gray

    bool operator==(const TPictureDataLines&) const = default;
};

// A thumbnail to show, decoded only when the window draws it: of the
// thousands a list building shows, the window draws a few.
using TThumbnail = std::function<QImage()>;

// What the model asks of the window while it builds the list and reads items.
class TFileManagerView {
  public:
    virtual ~TFileManagerView() = default;
    virtual void SetStatusText(const QString& text) = 0;
    virtual void ClearEntries() = 0;
    virtual void AddEntry(const QString& text) = 0;
    // Replaces the text of the entry at index; a view that keeps no entry
    // texts may leave it.
    virtual void SetEntryText(int /*index*/, const QString& /*text*/) {}
    // The entry's item was transferred before: the list marks it.
    virtual void MarkEntryTransferred(int /*index*/) {}
    virtual void SetEntrySelected(int index, bool selected) = 0;
    // Selects the entries of the list indexes, all in one step.
    virtual void SelectEntries(const QList<int>& indexes) = 0;
    virtual void ShowPictureData(const TPictureDataLines& lines) = 0;
    // The thumbnail as it now stands (rotation, gray and resize applied).
    virtual void ShowThumbnail(const TThumbnail& thumbnail) = 0;
    // Lets pending window messages run during long loops.
    virtual void LetMessagesRun() = 0;
};

// A change a key asks of a picture transformation record.
enum class TRecordChange {
    RotateLeft,  // by 270
    RotateRight, // by 90
    Gray,
    Smaller,     // one resize step down, to an eighth at most
    Larger,      // one resize step up, to full size at most
    QualityUp,   // to 100 at most
    QualityDown, // to 0 at least
};

// Writes the thumbnail of the collection entry at index to path. An entry
// without a thumbnail (a movie without its ".THM", a RAW file without its
// companion, a picture the camera cannot scale) leaves no file at path and one
// log line: it keeps its entry and is transferred all the same. A full disk
// raises EDiskFullError.
bool ReceiveThumbnail(int index, const QString& path);

class TFileManagerModel {
  public:
    TFileManagerModel(const TLanguageFile& language, TFileManagerView& view,
                      TCameraSession& session);
    ~TFileManagerModel();

    // The list: one entry per object in collection order ("-" for an object
    // that is neither picture nor movie); item number = index + 1.
    const QStringList& entries() const { return entries_; }
    // The size table: bytes of an item, as the camera's listing gave them
    // and its properties confirm.
    qint64 sizeOf(int itemNumber) const;
    // The item as read from the camera; an item still loading is read now, as
    // GetPictureData reads it, so its facts are whole. Item numbers outside
    // the list give an item of kind Other.
    const TCameraItem& item(int itemNumber);
    // What the user chose for the item's picture; nullopt for an item with
    // no picture transformation record (movies, unreadable pictures).
    std::optional<TPictureChoices> choices(int itemNumber) const;
    // Sum of the size table entries of the list indexes.
    qint64 totalSize(const QList<int>& indexes) const;
    // The size of all entries: set by GetAllThumnails, and again once the
    // items have loaded.
    qint64 selectedTotal = 0;

    // The item read last: its contents and the properties last read.
    tsObjectContents currentContents{};
    tsPictureProperties currentPicture{};
    tsMovieProperties currentMovie{};

    // Sorted by item number, at most one record per item.
    TArrayPic records;

    bool computerDirectory = false; // the collection is a computer folder
    QString targetDirectory;        // ends in "/" unless empty
    QString fileNamePattern = "$CAM";
    QString subDirPattern;
    QString moviesDirectory;

    // Rebuilds the list from the collection: every name at once, each marked
    // as loading until its data and thumbnail are read in the background;
    // then the entry whose destination file does not exist yet is selected,
    // until the user chooses a selection.
    void GetAllThumnails();
    // When given, an item it knows was transferred before: it is marked and
    // not preselected.
    std::function<bool(const TCameraItem&)> transferredBefore;
    // Whether items of the list are still loading.
    bool loading() const;
    // The window shows the entries first to last (list indexes): they load next.
    void ShowingEntries(int first, int last);
    // The selection changed: unless the model made the change, the user
    // chose it, and items that load from now on no longer join it.
    void KeepSelection();
    // Ends the background loading at once; what is loaded stays.
    void StopLoading();
    // Lets events run until every item has loaded; false when the loading
    // was stopped meanwhile (the window closed, the user stopped).
    bool WaitForLoading();
    // While it lives no loaded item changes the list or the records: for work
    // that keeps pointers into them or reads item after item itself.
    [[nodiscard]] TItemLoader::THold HoldLoading();
    // Reads item q into the current properties and the panel, waiting for the
    // camera; appends it to the list when the list is shorter; keeps its
    // record. reload replaces an existing record by one without any
    // transformation.
    void GetPictureData(int itemNumber, bool reload);

    // The pattern expanded from the current movie (movie) or picture properties.
    QString CreateName(const QString& pattern, bool movie);
    // Where the transfer writes the item read last: target directory +
    // subdirectory + file name + the item's extension in lower case. Empty for
    // an object that is neither picture nor movie.
    QString DestinationPath();

    // The "$TEXT" value is asked for through this once per transfer click;
    // nullopt means the user cancelled, which counts as an empty text.
    std::function<std::optional<QString>()> askUserText;
    // A new transfer click: the next "$TEXT" asks again.
    void ForgetUserText();

    // The record of the item; nullptr when none. Records are found by item
    // number only: two folders of a card can hold pictures of the same name.
    TJPEGImage* FindRecord(int itemNumber);
    // Applies a key's change to the item's record; false when none.
    bool ChangeRecord(int itemNumber, TRecordChange change);
    // Marks the records of the listed entries as selected and all others not.
    void MarkSelected(const QList<int>& indexes);
    // The list indexes of the records marked selected.
    QList<int> MarkedIndexes() const;

    // Deletes the entries of the list indexes from the camera, the last first
    // so that the indexes still to come stay valid; the list and the records
    // are empty afterwards, until the next GetAllThumnails.
    void DeletePictures(const QList<int>& indexes);
    // Gives the records of the list indexes the memo's lines as their comment
    // (none for an empty memo).
    void ApplyComment(const QList<int>& indexes, const QString& memo);
    // Opens the picture collection of another volume of the camera. The list
    // and the records are empty afterwards, as after a delete: their item
    // numbers belong to the old card.
    void ChangeVolume(int volume);

  private:
    void forgetCollection();
    TArrayPic::iterator recordPosition(int itemNumber);
    QString loadingText(const QString& name) const;
    void showLoadingStatus();
    void finishLoading();
    void itemArrived(const TItemReading& reading);
    void setEntry(int itemNumber, const QString& name);
    void preselect(const TItemReading& reading);
    // The reading's facts into the entry, the size table, the item and the record.
    void keepReading(const TItemReading& reading, bool reload);
    void keepRecord(const TItemReading& reading, bool reload);
    // The reading in the panel, after keepReading.
    void showReading(const TItemReading& reading);
    void showPicture(const TCameraItem& item, const TItemReading& reading);
    void showMovie(const TCameraItem& item, const TItemReading& reading);
    void showRecord(TJPEGImage& record);
    void showThumbnail(const TItemReading& reading);
    // The record's thumbnail as it now stands, or an empty one when it does
    // not decode.
    void showRecordThumbnail(const TJPEGImage& record);
    QString destinationOf(const tsObjectContents& contents, const tsPictureProperties& picture,
                          const tsMovieProperties& movieProperties);
    QString caption(fmkeys::TText text) const;
    QString localDate(uint32_t seconds) const;
    QString userText();

    const TLanguageFile& language_;
    TCameraSession& session_;
    // The window, reached through a view that keeps it from repainting for
    // every item of a list building.
    std::unique_ptr<TListBuildingView> buildingView_;
    TFileManagerView& view_;
    QStringList entries_;
    std::vector<qint64> sizes_;
    std::vector<TCameraItem> items_; // by item number - 1, as long as entries_
    TPictureDataLines lines_;
    bool preselect_ = false;    // loaded items join the selection
    bool preselecting_ = false; // a "$TEXT" is never asked for the preselection
    int answered_ = 0;          // items the loading has answered for
    int stops_ = 0;             // StopLoading calls, for WaitForLoading
    std::optional<QString> userText_;
    TItemLoader loader_; // last: its readings reach the members above
};
