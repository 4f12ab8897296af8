#pragma once
// How a camera's configuration widgets read as the layer's shooting
// parameters: one table per driver family, naming each parameter's widget and
// turning its choices into the layer's codes and back. A camera without a
// widget, or a choice no table knows, simply offers less.

#include "../sim/Remote.h"
#include "Widgets.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cdgp {

enum class Family { PowerShot, Eos };

// EOS bodies show Canon's EOS widgets; every other camera is read with the
// PowerShot and plain PTP names.
Family familyOf(const Widget& tree);

// The widgets that may hold a parameter in a family, Canon's names first and
// then the generic PTP ones; empty when the family has none.
std::vector<std::string> widgetNames(Family family, cdsim::Setting setting);

// The widget of the tree that holds a parameter, or null when it has none.
const Widget* parameterWidget(const Widget& tree, cdsim::Setting setting);

// The layer's code of one choice of a parameter's widget, or nothing.
std::optional<uint16_t> codeOfChoice(cdsim::Setting setting, const std::string& choice);

// What a camera offers for a parameter.
struct Offer {
    std::string widget;
    std::optional<uint16_t> current; // nothing when the current choice has no code
    std::vector<uint16_t> codes;     // of the choices, in the camera's order
};
std::optional<Offer> offerOf(const Widget& tree, cdsim::Setting setting);

// The choice that sets a parameter to code, or nothing when the camera has none.
std::optional<std::string> choiceFor(const Widget& tree, cdsim::Setting setting, uint16_t code);

// The image format as the layer's quality and size codes, from one choice:
// "Large Fine JPEG", "Medium 1 Superfine JPEG", "RAW".
std::optional<std::pair<uint16_t, uint16_t>> formatOfChoice(const std::string& choice);

// The image format choice for quality and size, or nothing.
std::optional<std::string> formatChoiceFor(const Widget& tree, uint16_t quality, uint16_t size);

// The zoom: its position and last position, from "zoom" or Canon's property d02a.
struct Zoom {
    std::string widget;
    uint32_t position = 0;
    uint32_t maximum = 0;
};
std::optional<Zoom> zoomOf(const Widget& tree);

// The capture target's choice that keeps pictures on the memory card, when
// the camera chooses between its memory and the card and the card is not
// chosen: a picture taken into the camera's memory is gone once fetched.
std::optional<std::string> cardTargetChoice(const Widget& tree);

} // namespace cdgp
