// Shooting parameters and zoom: reading and setting the parameters, the
// search for the values the camera takes, and the zoom position.

#include "Frame.h"
#include "ParameterCodes.h"

#include <array>

namespace tesselink {
namespace {

using Values = std::array<int32_t, TS_PARAM_COUNT>;

cdHSource source() {
    return connection().source;
}

uint16_t code16(int parameter, int32_t ordinal) {
    return static_cast<uint16_t>(writtenCode(parameter, ordinal));
}

// The parameters read and written through the SDK's camera settings, in the
// order they are read, written and searched.
struct CameraSetting {
    int parameter;
    uint32_t id;
    uint32_t bytes;
};
constexpr CameraSetting cameraSettings[] = {{TS_PARAM_MLWEI_MODE, CD_RELCAM_METERING, 1},
                                            {TS_PARAM_ISO, CD_RELCAM_ISO, 1},
                                            {TS_PARAM_CONTRAST, CD_RELCAM_CONTRAST, 1},
                                            {TS_PARAM_COLOR_GAIN, CD_RELCAM_COLOR_GAIN, 1},
                                            {TS_PARAM_SHARPNESS, CD_RELCAM_SHARPNESS, 1},
                                            {TS_PARAM_PHOTO_EFFECT, CD_RELCAM_PHOTO_EFFECT, 2},
                                            {TS_PARAM_BEEP, CD_RELCAM_BEEP, 1}};

// The parameters with a 16-bit getter, setter and list of their own, in the
// order they are read, written and searched.
struct Dedicated {
    int parameter;
    cdError (*get)(cdHSource, uint16_t*);
    cdError (*set)(cdHSource, uint16_t);
    cdError (*list)(cdHSource, cdHEnum*);
};
constexpr Dedicated dedicated[] = {
    {TS_PARAM_IMAGE_MODE, CDGetShootingMode, CDSetShootingMode, CDEnumShootingModeReset},
    {TS_PARAM_AV, CDGetAvValue, CDSetAvValue, CDEnumAvValueReset},
    {TS_PARAM_TV, CDGetTvValue, CDSetTvValue, CDEnumTvValueReset},
    {TS_PARAM_EXPOSURE_COMPENSATION, CDGetExposureComp, CDSetExposureComp, CDEnumExposureCompReset},
    {TS_PARAM_WHITE_BALANCE_SETTING, CDGetWBSetting, CDSetWBSetting, CDEnumWBSettingReset},
    {TS_PARAM_AF_DISTANCE, CDGetAFDistanceSetting, CDSetAFDistanceSetting,
     CDEnumAFDistanceSettingReset}};

bool setCameraSetting(const CameraSetting& setting, uint32_t code) {
    return CDSetRelCamSettingData(source(), setting.id, setting.bytes, &code) == CD_OK;
}

// A parameter whose getter fails reads as not used.
Values readParameters() {
    Values values{};
    uint16_t quality = 0;
    uint16_t size = 0;
    if (CDGetImageFormatAttribute(source(), &quality, &size) == CD_OK) {
        values[TS_PARAM_COMP_QUALITY] = readOrdinal(TS_PARAM_COMP_QUALITY, quality);
        values[TS_PARAM_IMAGE_SIZE] = readOrdinal(TS_PARAM_IMAGE_SIZE, size);
    }
    for (const Dedicated& parameter : dedicated) {
        uint16_t code = 0;
        if (parameter.get(source(), &code) == CD_OK) {
            values[parameter.parameter] = readOrdinal(parameter.parameter, code);
        }
    }
    uint16_t mode = 0;
    uint16_t compensation = 0;
    if (CDGetFlashSetting(source(), &mode, &compensation) == CD_OK) {
        values[TS_PARAM_STROBE_SETTING] = readOrdinal(TS_PARAM_STROBE_SETTING, mode);
        values[TS_PARAM_STROBE_COMP_SETTING] =
            readOrdinal(TS_PARAM_STROBE_COMP_SETTING, compensation);
    }
    for (const CameraSetting& setting : cameraSettings) {
        uint32_t code = 0;
        uint32_t capacity = sizeof code;
        if (CDGetRelCamSettingData(source(), setting.id, &capacity, &code) == CD_OK) {
            values[setting.parameter] = readOrdinal(setting.parameter, code);
        }
    }
    return values;
}

// Sets the parameters whose value is not 0; what the camera refuses stays.
void writeParameters(const Values& values) {
    if (values[TS_PARAM_COMP_QUALITY] != 0 && values[TS_PARAM_IMAGE_SIZE] != 0) {
        CDSetImageFormatAttribute(source(),
                                  code16(TS_PARAM_COMP_QUALITY, values[TS_PARAM_COMP_QUALITY]),
                                  code16(TS_PARAM_IMAGE_SIZE, values[TS_PARAM_IMAGE_SIZE]));
    }
    for (const Dedicated& parameter : dedicated) {
        if (values[parameter.parameter] != 0) {
            parameter.set(source(), code16(parameter.parameter, values[parameter.parameter]));
        }
    }
    if (values[TS_PARAM_STROBE_SETTING] != 0 || values[TS_PARAM_STROBE_COMP_SETTING] != 0) {
        CDSetFlashSetting(
            source(), code16(TS_PARAM_STROBE_SETTING, values[TS_PARAM_STROBE_SETTING]),
            code16(TS_PARAM_STROBE_COMP_SETTING, values[TS_PARAM_STROBE_COMP_SETTING]));
    }
    for (const CameraSetting& setting : cameraSettings) {
        if (values[setting.parameter] != 0) {
            setCameraSetting(setting, writtenCode(setting.parameter, values[setting.parameter]));
        }
    }
}

// Finds the values of each parameter group in turn: from the SDK's list of
// them when it has one, else by setting each value and seeing which it takes.
class AvailabilitySearch {
  public:
    AvailabilitySearch(uint8_t* record, const Values& kept) : record_(record), kept_(kept) {}

    void run() {
        imageFormat();
        for (const Dedicated& parameter : dedicated) {
            single(parameter);
        }
        flash();
        for (const CameraSetting& setting : cameraSettings) {
            single(setting);
        }
    }

  private:
    void mark(int parameter, uint8_t ordinal) {
        if (ordinal > 0 && ordinal < ordinalCount(parameter)) {
            record_[availabilityBase(parameter) + ordinal] = 1;
        }
    }

    void setNotUsed(int parameter, bool found) {
        record_[availabilityBase(parameter)] = found ? 0 : 1;
    }

    // Reads a started list to its end; each entry goes to take. True when it
    // held any entry.
    template <class Take> static bool readList(cdHEnum list, uint32_t entrySize, Take&& take) {
        Opened opened(list, CDEnumReleaseParamRelease);
        uint32_t count = 0;
        check(CDGetReleaseParamCount(list, &count));
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t entry = 0;
            uint32_t size = std::min<uint32_t>(entrySize, sizeof entry);
            check(CDEnumReleaseParamNext(list, &size, &entry));
            take(entry);
        }
        opened.release();
        return count > 0;
    }

    // Tries each ordinal's code with taken; true when any was taken.
    template <class Taken> bool tryEach(int parameter, Taken&& taken) {
        bool found = false;
        for (int32_t ordinal = 1; ordinal < ordinalCount(parameter); ++ordinal) {
            if (taken(writtenCode(parameter, ordinal))) {
                mark(parameter, static_cast<uint8_t>(ordinal));
                found = true;
            }
        }
        return found;
    }

    template <class Taken> bool tryPairs(int first, int second, Taken&& taken) {
        bool found = false;
        for (int32_t a = 1; a < ordinalCount(first); ++a) {
            for (int32_t b = 1; b < ordinalCount(second); ++b) {
                if (taken(code16(first, a), code16(second, b))) {
                    mark(first, static_cast<uint8_t>(a));
                    mark(second, static_cast<uint8_t>(b));
                    found = true;
                }
            }
        }
        return found;
    }

    void imageFormat() {
        const int quality = TS_PARAM_COMP_QUALITY;
        const int size = TS_PARAM_IMAGE_SIZE;
        cdHEnum list = 0;
        bool found = false;
        if (CDEnumImageFormatAttributeReset(source(), &list) == CD_OK) {
            found = readList(list, sizeof(cdImageFormat), [&](uint32_t entry) {
                cdImageFormat format{};
                std::memcpy(&format, &entry, sizeof format);
                mark(quality, readOrdinal(quality, format.quality));
                mark(size, readOrdinal(size, format.size));
            });
        } else {
            found = tryPairs(quality, size, [](uint16_t q, uint16_t s) {
                return CDSetImageFormatAttribute(source(), q, s) == CD_OK;
            });
        }
        setNotUsed(quality, found);
        setNotUsed(size, found);
    }

    void single(const Dedicated& parameter) {
        const int p = parameter.parameter;
        const auto taken = [&](uint32_t code) {
            return parameter.set(source(), static_cast<uint16_t>(code)) == CD_OK;
        };
        cdHEnum list = 0;
        bool found = false;
        if (parameter.list(source(), &list) == CD_OK) {
            found = readList(list, sizeof(uint16_t),
                             [&](uint32_t entry) { mark(p, readOrdinal(p, entry)); });
        } else if (p != TS_PARAM_AV && p != TS_PARAM_TV) {
            found = tryEach(p, taken);
        } else if (CDSetShootingMode(source(), CD_SHOOTING_MODE_MANUAL) == CD_OK) {
            found = tryEach(p, taken);
            // Back to the kept value while the manual mode still takes it; once
            // the kept shooting mode is back, the camera may refuse it.
            if (kept_[p] != 0) {
                taken(writtenCode(p, kept_[p]));
            }
        }
        setNotUsed(p, found);
    }

    void flash() {
        const int mode = TS_PARAM_STROBE_SETTING;
        const int compensation = TS_PARAM_STROBE_COMP_SETTING;
        cdHEnum list = 0;
        bool found = false;
        if (CDEnumFlashSettingReset(source(), &list) == CD_OK) {
            found = readList(list, sizeof(uint16_t),
                             [&](uint32_t entry) { mark(mode, readOrdinal(mode, entry)); });
        }
        found |= tryPairs(mode, compensation, [](uint16_t m, uint16_t c) {
            return CDSetFlashSetting(source(), m, c) == CD_OK;
        });
        setNotUsed(mode, found);
        setNotUsed(compensation, found);
    }

    void single(const CameraSetting& setting) {
        const int p = setting.parameter;
        cdHEnum list = 0;
        uint32_t entrySize = 0;
        bool found = false;
        if (CDEnumRelCamSettingReset(source(), setting.id, &list, &entrySize) == CD_OK) {
            found =
                readList(list, entrySize, [&](uint32_t entry) { mark(p, readOrdinal(p, entry)); });
        } else {
            found = tryEach(p, [&](uint32_t code) { return setCameraSetting(setting, code); });
        }
        setNotUsed(p, found);
    }

    uint8_t* record_;
    const Values& kept_;
};

} // namespace
} // namespace tesselink

using namespace tesselink;

extern "C" {

tsResult* tsReleaseGetParams(int32_t* values) {
    return runExport("tsReleaseGetParams", [&] {
        const Values read = readParameters();
        std::copy(read.begin(), read.end(), values);
    });
}

tsResult* tsReleaseSetParams(int32_t compQuality, int32_t imageSize, int32_t strobeSetting,
                             int32_t strobeCompSetting, int32_t imageMode, int32_t mlWeiMode,
                             int32_t afDistance, int32_t whiteBalanceSetting, int32_t contrast,
                             int32_t colorGain, int32_t sharpness, int32_t iso, int32_t av,
                             int32_t tv, int32_t exposureCompensation, int32_t photoEffect,
                             int32_t beep) {
    return runExport("tsReleaseSetParams", [&] {
        writeParameters({compQuality, imageSize, strobeSetting, strobeCompSetting, imageMode,
                         mlWeiMode, afDistance, whiteBalanceSetting, contrast, colorGain, sharpness,
                         iso, av, tv, exposureCompensation, photoEffect, beep});
    });
}

tsResult* tsReleaseGetAvailParams(uint8_t* available) {
    return runExport("tsReleaseGetAvailParams", [&] {
        const Values kept = readParameters();
        std::memset(available, 0, TS_AVAIL_SIZE);
        // A search that fails half-way must not leave the camera with the
        // values it tried; the status keeps the failure's code.
        try {
            AvailabilitySearch(available, kept).run();
        } catch (const CLumvikException&) {
            writeParameters(kept);
            throw;
        }
        writeParameters(kept);
    });
}

tsResult* tsReleaseGetZoomPosition(int32_t* position, int32_t* secondMaximum,
                                   int32_t* firstMaximum) {
    return runExport("tsReleaseGetZoomPosition", [&] {
        uint32_t first = 0;
        uint32_t second = 0;
        uint32_t current = 0;
        check(CDGetMaximumZoomPos(source(), &first, &second));
        check(CDGetZoomPos(source(), &current));
        *position = static_cast<int32_t>(current);
        *secondMaximum = static_cast<int32_t>(second);
        *firstMaximum = static_cast<int32_t>(first);
    });
}

tsResult* tsReleaseSetZoomPosition(int32_t position) {
    return runExport("tsReleaseSetZoomPosition",
                     [&] { check(CDSetZoomPos(source(), static_cast<uint32_t>(position))); });
}

tsResult* tsReleaseDoSupportZoom(uint8_t* supported) {
    return runExport("tsReleaseDoSupportZoom", [&] { readFaculty(supported); });
}

} // extern "C"
