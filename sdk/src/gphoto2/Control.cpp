#include "Control.h"

#include "../sim/CameraFolder.h"
#include "../State.h"
#include "ConfigTables.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace fs = std::filesystem;
using cdsim::Failure;
using cdsim::Setting;

namespace cdgp {
namespace {

// A camera that is focusing or busy with a card write refuses a preview frame
// now and then; the viewfinder ends only when it keeps refusing for about a
// second, or when the camera is gone.
constexpr int previewTries = 5;
constexpr auto previewPause = std::chrono::milliseconds(200);

// No table names a flash compensation widget: a camera with a flash mode
// shoots without compensation, which is 0 EV.
constexpr uint16_t noFlashCompensation = 24;

// Sets a widget; a camera refusing a value answers with a plain error.
void configure(GphotoCard& card, const std::string& widget, const std::string& value) {
    try {
        card.configure(widget, value);
    } catch (const Failure& failure) {
        throw Failure{failure.code == CD_ERR_FILE_IO ? CD_ERR_BAD_PARAMETER : failure.code};
    }
}

// Keeps the camera's line to its viewfinder quick while frames are asked for.
struct Stream {
    explicit Stream(std::shared_ptr<GphotoCard> card) : card(std::move(card)) {
        this->card->setStreaming(true);
    }
    ~Stream() { card->setStreaming(false); }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;
    std::shared_ptr<GphotoCard> card;
};

} // namespace

// A driver without configuration offers no parameter.
Widget Control::tree() {
    try {
        return card_->configuration();
    } catch (const Failure& failure) {
        if (failure.code != CD_ERR_NOT_SUPPORTED) {
            throw;
        }
        return {};
    }
}

Offer Control::offer(Setting setting) {
    auto found = offerOf(tree(), setting);
    if (!found) {
        throw Failure{CD_ERR_NOT_SUPPORTED};
    }
    return std::move(*found);
}

uint16_t Control::value(Setting setting) {
    if (setting == cdsim::FlashComp) {
        offer(cdsim::FlashMode);
        return noFlashCompensation;
    }
    const auto current = offer(setting).current;
    if (!current) {
        throw Failure{CD_ERR_PROPERTY_UNAVAILABLE};
    }
    return *current;
}

void Control::set(Setting setting, uint16_t code) {
    if (setting == cdsim::FlashComp) {
        offer(cdsim::FlashMode);
        if (code != noFlashCompensation) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        return;
    }
    choose(setting, [&](const Widget& all) { return choiceFor(all, setting, code); });
}

std::vector<uint16_t> Control::codes(Setting setting) {
    return offer(setting).codes;
}

void Control::setFormat(uint16_t quality, uint16_t size) {
    choose(cdsim::Quality, [&](const Widget& all) { return formatChoiceFor(all, quality, size); });
}

void Control::choose(Setting setting, const Chooser& choiceIn) {
    const Widget all = tree();
    const auto found = offerOf(all, setting);
    if (!found) {
        throw Failure{CD_ERR_NOT_SUPPORTED};
    }
    const auto choice = choiceIn(all);
    if (!choice) {
        throw Failure{CD_ERR_BAD_PARAMETER};
    }
    configure(*card_, found->widget, *choice);
}

std::vector<cdImageFormat> Control::formats() {
    const Widget all = tree();
    const auto found = offerOf(all, cdsim::Quality);
    if (!found) {
        throw Failure{CD_ERR_NOT_SUPPORTED};
    }
    std::vector<cdImageFormat> listed;
    for (const auto& choice : findWidget(all, found->widget)->choices) {
        const auto format = formatOfChoice(choice);
        const auto same = [&](const cdImageFormat& known) {
            return format && known.quality == format->first && known.size == format->second;
        };
        if (format && std::none_of(listed.begin(), listed.end(), same)) {
            listed.push_back({format->first, format->second});
        }
    }
    return listed;
}

uint32_t Control::zoom() {
    const auto found = zoomOf(tree());
    if (!found) {
        throw Failure{CD_ERR_NOT_SUPPORTED};
    }
    return found->position;
}

void Control::setZoom(uint32_t position) {
    const auto found = zoomOf(tree());
    if (!found) {
        throw Failure{CD_ERR_NOT_SUPPORTED};
    }
    configure(*card_, found->widget, std::to_string(position));
}

fs::path Control::capture(bool keep) {
    if (keep) {
        if (const auto choice = cardTargetChoice(tree())) {
            configure(*card_, "capturetarget", *choice);
        }
    }
    return card_->capture();
}

std::vector<fs::path> Control::companions(const fs::path& file) {
    std::vector<fs::path> found = card_->takeAdded();
    found.erase(std::remove(found.begin(), found.end(), file), found.end());
    return found;
}

Bytes Control::thumbnail(const fs::path& file) {
    const cdsim::ItemFiles files{
        file, {}, {}, cdsim::formatOfExtension(file.extension().string()).value_or(0)};
    return card_->thumbnail(files, card_->metadata(files, nullptr));
}

cdsim::FrameSource Control::frames() {
    auto stream = std::make_shared<Stream>(card_);
    return [stream]() -> std::optional<Bytes> {
        for (int tried = 1;; ++tried) {
            try {
                return stream->card->preview();
            } catch (const Failure&) { // the card's log tells why
                if (tried == previewTries || !stream->card->connected()) {
                    return std::nullopt;
                }
            }
            std::this_thread::sleep_for(previewPause);
        }
    };
}

} // namespace cdgp
