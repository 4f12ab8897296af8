#pragma once
// Reads the items of a list in the background: one item at a time on the
// camera thread, so that the window's own camera calls (a click, a transfer)
// come in between, the rows the window shows first, the rest in list order.
// Each reading is handed to the window thread. A list of thousands shows its
// names at once and fills in while the user scrolls and selects.

#include "tesselink.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class TCameraSession;

// What the camera told of one item.
struct TItemReading {
    int itemNumber = 0;
    tsObjectContents contents{};
    tsPictureProperties picture{};
    tsMovieProperties movie{};
    // The thumbnail's JPEG bytes; nullopt when not asked for or the camera has none.
    std::optional<QByteArray> thumbnail;
    // A computer folder's movie: the shot's date from its thumbnail's EXIF data.
    std::optional<uint32_t> thumbnailDate;
    // The message of the failure that ended the reading early; empty when none.
    QString failure;
};

class TItemLoader {
  public:
    // Runs on the camera thread; it reports a failure in the reading.
    using TRead = std::function<TItemReading(int itemNumber)>;
    // Runs on the window thread.
    using TArrived = std::function<void(const TItemReading& reading)>;

    TItemLoader(TCameraSession& session, TArrived arrived);
    // Stops: nothing arrives afterwards.
    ~TItemLoader();

    // Reads items 1 to count with read, after stopping what ran before.
    void start(int count, TRead read);
    // Stops at once: a reading under way is dropped and nothing arrives
    // afterwards, so that the item numbers may change.
    void stop();
    // The item is read elsewhere: it is not read again.
    void drop(int itemNumber);
    // The items the window shows; they are read next.
    void prefer(int first, int last);
    // Whether items are still to arrive.
    bool loading() const;

    // While one lives, no reading arrives; what arrives meanwhile waits and
    // the reading goes on after the last ends. For work that keeps pointers
    // into what arrivals change.
    class THold {
      public:
        explicit THold(TItemLoader& loader);
        ~THold();
        THold(const THold&) = delete;
        THold& operator=(const THold&) = delete;

      private:
        TItemLoader& loader_;
    };

  private:
    struct TState;
    void next();

    TCameraSession& session_;
    TArrived arrived_;
    std::shared_ptr<TState> state_;
    int holds_ = 0;
};
