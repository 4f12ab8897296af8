#include "ItemLoader.h"

#include "CameraSession.h"

#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

// One run of reading; a new run or a stop replaces it, and what the old one
// still answers finds it gone.
struct TItemLoader::TState {
    TRead read;
    std::vector<bool> wanted; // by item number - 1
    int remaining = 0;        // wanted items
    size_t cursor = 0;        // no wanted item below it
    int preferFirst = 0, preferLast = -1;
    bool reading = false;              // a reading is on its way
    std::vector<TItemReading> waiting; // arrived during a hold
    std::shared_ptr<TCameraOperation> operation = std::make_shared<TCameraOperation>();

    bool isWanted(int itemNumber) const {
        return itemNumber >= 1 && itemNumber <= int(wanted.size()) && wanted[itemNumber - 1];
    }

    // The wanted item the window shows first, else the first wanted one.
    int pick() {
        for (int n = preferFirst; n <= preferLast; ++n)
            if (isWanted(n))
                return n;
        while (cursor < wanted.size() && !wanted[cursor])
            ++cursor;
        return int(cursor) + 1;
    }

    void take(int itemNumber) {
        wanted[itemNumber - 1] = false;
        --remaining;
    }
};

TItemLoader::TItemLoader(TCameraSession& session, TArrived arrived)
    : session_(session), arrived_(std::move(arrived)) {}

TItemLoader::~TItemLoader() {
    stop();
}

void TItemLoader::start(int count, TRead read) {
    stop();
    state_ = std::make_shared<TState>();
    state_->read = std::move(read);
    state_->wanted.assign(size_t(std::max(count, 0)), true);
    state_->remaining = std::max(count, 0);
    next();
}

void TItemLoader::stop() {
    if (state_)
        state_->operation->cancel();
    state_.reset();
}

void TItemLoader::drop(int itemNumber) {
    if (state_ && state_->isWanted(itemNumber))
        state_->take(itemNumber);
}

void TItemLoader::prefer(int first, int last) {
    if (!state_)
        return;
    state_->preferFirst = first;
    state_->preferLast = last;
    next();
}

bool TItemLoader::loading() const {
    return state_ && (state_->remaining > 0 || state_->reading || !state_->waiting.empty());
}

void TItemLoader::next() {
    if (!state_ || state_->reading || holds_ > 0 || state_->remaining == 0)
        return;
    const int itemNumber = state_->pick();
    state_->take(itemNumber);
    state_->reading = true;
    auto reading = std::make_shared<TItemReading>();
    const std::weak_ptr<TState> asked = state_;
    session_.queue(
        state_->operation,
        [read = state_->read, itemNumber, reading] { *reading = read(itemNumber); },
        [this, asked, itemNumber, reading](std::exception_ptr failure) {
            // Alive only while this loader keeps it: gone, the loader may be too.
            const std::shared_ptr<TState> state = asked.lock();
            if (!state)
                return;
            state->reading = false;
            if (failure) {
                reading->itemNumber = itemNumber;
                try {
                    std::rethrow_exception(failure);
                } catch (const std::exception& error) {
                    reading->failure = QString::fromUtf8(error.what());
                }
            }
            if (holds_ > 0)
                state->waiting.push_back(std::move(*reading));
            else
                arrived_(*reading);
            next();
        });
}

TItemLoader::THold::THold(TItemLoader& loader) : loader_(loader) {
    ++loader_.holds_;
}

TItemLoader::THold::~THold() {
    if (--loader_.holds_ > 0)
        return;
    if (loader_.state_) {
        const std::weak_ptr<TState> held = loader_.state_;
        for (TItemReading& reading : std::exchange(loader_.state_->waiting, {})) {
            loader_.arrived_(reading);
            if (held.expired())
                return; // an arrival stopped the loading
        }
    }
    loader_.next();
}
