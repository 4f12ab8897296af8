#pragma once
// Release control of a camera behind libgphoto2: the shooting parameters and
// the zoom through its configuration widgets and the driver family's table,
// pictures taken into new files of its card, and its live preview frames.
// Everything reaches the camera through its card, on the worker; a failure
// throws Failure with the layer's code.

#include "../sim/Remote.h"
#include "../Viewfinder.h"
#include "ConfigTables.h"
#include "GphotoCard.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace cdgp {

class Control {
  public:
    explicit Control(std::shared_ptr<GphotoCard> card) : card_(std::move(card)) {}

    // A parameter's code: CD_ERR_NOT_SUPPORTED when the camera has no widget
    // for it, CD_ERR_PROPERTY_UNAVAILABLE when its present choice has no code.
    uint16_t value(cdsim::Setting setting);
    // CD_ERR_NOT_SUPPORTED as value; CD_ERR_BAD_PARAMETER when the camera
    // has no choice for the code or refuses it.
    void set(cdsim::Setting setting, uint16_t code);
    // The codes of the camera's choices, in its order.
    std::vector<uint16_t> codes(cdsim::Setting setting);
    // Quality and size are one choice of the image format.
    void setFormat(uint16_t quality, uint16_t size);
    std::vector<cdImageFormat> formats();

    uint32_t zoom();
    void setZoom(uint32_t position);

    // Takes a picture, onto the memory card when keep; its file there.
    std::filesystem::path capture(bool keep);
    // While collecting (in release control), the files the camera announces
    // as added are taken for the pictures of the next release.
    void collectAdded(bool on) { card_->collectAdded(on); }
    // The further files of the shot whose file is file: a camera saving
    // RAW and JPEG names one from its capture and announces the other.
    std::vector<std::filesystem::path> companions(const std::filesystem::path& file);
    // The thumbnail of a file of the card, empty when it has none.
    Bytes thumbnail(const std::filesystem::path& file);
    void remove(const std::filesystem::path& file) { card_->remove(file); }

    // The frames of a viewfinder, each taken when asked; none once the camera
    // fails to give one.
    cdsim::FrameSource frames();

  private:
    using Chooser = std::function<std::optional<std::string>(const Widget& tree)>;

    Widget tree();
    Offer offer(cdsim::Setting setting);
    // Sets the parameter's widget to the choice choiceIn finds in the tree.
    void choose(cdsim::Setting setting, const Chooser& choiceIn);

    std::shared_ptr<GphotoCard> card_;
};

} // namespace cdgp
