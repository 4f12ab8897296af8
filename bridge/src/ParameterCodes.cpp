#include "ParameterCodes.h"

#include "tesselink.h"

#include <array>
#include <cstddef>
#include <vector>

namespace tesselink {
namespace {

constexpr uint32_t none = UINT32_MAX; // an ordinal the SDK has no code for

struct Translation {
    std::vector<uint32_t> codes; // the code of ordinal k at k - 1
    uint32_t fallback;
    uint32_t mask; // the bits a code is read from
};

std::vector<uint32_t> steps(uint32_t first, uint32_t last, uint32_t step) {
    std::vector<uint32_t> codes;
    for (uint32_t code = first; code <= last; code += step) {
        codes.push_back(code);
    }
    return codes;
}

const std::vector<uint32_t> compensationCodes = {8, 11, 13, 16, 19, 21, 24, 27, 29, 32, 35, 37, 40};

const std::array<Translation, TS_PARAM_COUNT>& translations() {
    static const std::array<Translation, TS_PARAM_COUNT> table = [] {
        std::array<Translation, TS_PARAM_COUNT> t;
        t[TS_PARAM_COMP_QUALITY] = {{2, 3, none, 5, 4}, 0xFFFF, 0xFFFF};
        t[TS_PARAM_IMAGE_SIZE] = {{0, 1, 2, 6, 5}, 0xFFFF, 0xFFFF};
        t[TS_PARAM_STROBE_SETTING] = {steps(0, 6, 1), 0xFF, 0xFFFF};
        t[TS_PARAM_STROBE_COMP_SETTING] = {compensationCodes, 0xFF, 0xFFFF};
        std::vector<uint32_t> modes = {0, 4};
        for (const uint32_t scene : steps(102, 114, 1)) {
            modes.push_back(scene);
        }
        modes.insert(modes.end(), {1, 2, 3});
        t[TS_PARAM_IMAGE_MODE] = {modes, 0xFFFF, 0xFFFF};
        t[TS_PARAM_MLWEI_MODE] = {steps(0, 5, 1), 0xFF, 0xFF};
        t[TS_PARAM_AF_DISTANCE] = {steps(0, 7, 1), 0xFF, 0xFFFF};
        t[TS_PARAM_WHITE_BALANCE_SETTING] = {{0, 1, 2, 3, 4, 5, none, 14, 6}, 0x7FFF, 0xFFFF};
        t[TS_PARAM_CONTRAST] = {{0xFF, 0, 1}, 0x7F, 0xFF};
        t[TS_PARAM_COLOR_GAIN] = {{0xFF, 0, 1}, 0x7F, 0xFF};
        t[TS_PARAM_SHARPNESS] = {{1, 0, 0xFF}, 0x7F, 0xFF}; // low is +1
        t[TS_PARAM_ISO] = {{0x00, 0x40, 0x48, 0x50, 0x58}, 0xFF, 0xFF};
        t[TS_PARAM_AV] = {steps(8, 112, 8), 0xFFFF, 0xFFFF};
        t[TS_PARAM_TV] = {steps(16, 168, 8), 0xFFFF, 0xFFFF};
        t[TS_PARAM_EXPOSURE_COMPENSATION] = {compensationCodes, 0xFF, 0xFFFF};
        t[TS_PARAM_PHOTO_EFFECT] = {{0, none, 1, 2, 3, 4}, 0xFFFF, 0xFFFF};
        t[TS_PARAM_BEEP] = {{1, 0}, 0xFF, 0xFF};
        return t;
    }();
    return table;
}

// Av and Tv read by ranges: every code has an ordinal, the ends included.
uint8_t readAv(uint32_t code) {
    return code >= 112 ? 14 : static_cast<uint8_t>(code / 8);
}

uint8_t readTv(uint32_t code) {
    if (code < 16) {
        return 0;
    }
    return code >= 168 ? 20 : static_cast<uint8_t>(code / 8 - 1);
}

} // namespace

int ordinalCount(int parameter) {
    return static_cast<int>(translations().at(static_cast<size_t>(parameter)).codes.size()) + 1;
}

int availabilityBase(int parameter) {
    int base = 0;
    for (int before = 0; before < parameter; ++before) {
        base += ordinalCount(before);
    }
    return base;
}

uint32_t writtenCode(int parameter, int32_t ordinal) {
    const Translation& translation = translations().at(static_cast<size_t>(parameter));
    if (ordinal < 1 || static_cast<size_t>(ordinal) > translation.codes.size() ||
        translation.codes[static_cast<size_t>(ordinal) - 1] == none) {
        return translation.fallback;
    }
    return translation.codes[static_cast<size_t>(ordinal) - 1];
}

uint8_t readOrdinal(int parameter, uint32_t code) {
    const Translation& translation = translations().at(static_cast<size_t>(parameter));
    const uint32_t value = code & translation.mask;
    if (parameter == TS_PARAM_AV) {
        return readAv(value);
    }
    if (parameter == TS_PARAM_TV) {
        return readTv(value);
    }
    for (size_t k = 0; k < translation.codes.size(); ++k) {
        if (translation.codes[k] == value) {
            return static_cast<uint8_t>(k + 1);
        }
    }
    return 0;
}

} // namespace tesselink
