// The shooting parameters: what the simulated camera takes and which
// parameters list their values, a real camera's through its release control,
// and the getters and setters.

#include "State.h"
#include "gphoto2/Control.h"

#include <algorithm>
#include <cstring>

using namespace cdsim;

namespace {

// The codes a parameter takes, and whether a camera with parameter lists
// offers a list of them.
struct Values {
    std::vector<uint16_t> codes;
    bool listed;
};

const Values& valuesOf(Setting setting) {
    static const std::array<Values, SettingCount> table = [] {
        std::array<Values, SettingCount> t;
        t[Quality] = {{2, 3, 5, 4}, true};
        t[ImageSize] = {{0, 1, 2}, true};
        t[ShootingMode] = {{0, 1, 2, 3, 4, 102, 105, 108, 109, 110}, true};
        t[Av] = {{24, 32, 40, 48, 56, 64}, false}; // f/2 to f/11
        t[Tv] = {{}, false};
        for (uint16_t tv = 32; tv <= 152; tv += 8) { // 8 s to 1/4000 s
            t[Tv].codes.push_back(tv);
        }
        t[ExposureComp] = {{8, 11, 13, 16, 19, 21, 24, 27, 29, 32, 35, 37, 40}, false};
        t[WhiteBalance] = {{0, 1, 2, 3, 4, 5, 6}, true};
        t[AFDistance] = {{0, 1, 3, 7}, false};
        t[FlashMode] = {{0, 1, 2, 3, 5}, true};
        t[FlashComp] = {{16, 19, 21, 24, 27, 29, 32}, false};
        t[Metering] = {{0, 2, 3}, true};
        t[Iso] = {{0, 0x48, 0x50, 0x58}, true};
        t[Contrast] = {{0xFF, 0, 1}, false};
        t[ColorGain] = {{0xFF, 0, 1}, false};
        t[Sharpness] = {{0xFF, 0, 1}, false};
        t[PhotoEffect] = {{0, 1, 2, 3}, false};
        t[Beep] = {{0, 1}, false};
        return t;
    }();
    return table[setting];
}

bool isFlash(Setting setting) {
    return setting == FlashMode || setting == FlashComp;
}

void requireAvailable(const Source& source, Setting setting) {
    if (isFlash(setting) && !source.description.offers.flash) {
        throw Failure{CD_ERR_NOT_SUPPORTED};
    }
}

// Av and Tv count only in the shooting modes that use them.
bool takenInMode(Setting setting, uint16_t mode) {
    if (setting == Av) {
        return mode == 3 || mode == CD_SHOOTING_MODE_MANUAL;
    }
    if (setting == Tv) {
        return mode == 2 || mode == CD_SHOOTING_MODE_MANUAL;
    }
    return true;
}

bool takes(const Source& source, Setting setting, uint16_t code) {
    const auto& codes = valuesOf(setting).codes;
    return (!isFlash(setting) || source.description.offers.flash) &&
           std::find(codes.begin(), codes.end(), code) != codes.end() &&
           takenInMode(setting, source.remote.settings[ShootingMode]);
}

uint16_t value(const Source& source, Setting setting) {
    if (source.gphoto) {
        return source.gphoto->value(setting);
    }
    requireAvailable(source, setting);
    return source.remote.settings[setting];
}

void setValue(Source& source, Setting setting, uint16_t code) {
    if (source.gphoto) {
        source.gphoto->set(setting, code);
        return;
    }
    if (!takes(source, setting, code)) {
        throw Failure{CD_ERR_BAD_PARAMETER};
    }
    source.remote.settings[setting] = code;
}

cdHEnum newList(State& state, Source& source, std::vector<uint32_t> entries, uint32_t entrySize) {
    const cdHEnum list = state.newEnumeration(EnumKind::ReleaseParam, std::move(entries), &source);
    state.enumeration(list, EnumKind::ReleaseParam).entrySize = entrySize;
    return list;
}

// A list of codes of the parameter, when the simulated camera offers one.
cdHEnum listOf(State& state, Source& source, Setting setting, std::vector<uint32_t> entries,
               uint32_t entrySize) {
    requireAvailable(source, setting);
    if (!source.description.offers.parameterLists || !valuesOf(setting).listed) {
        throw Failure{CD_ERR_NOT_SUPPORTED};
    }
    return newList(state, source, std::move(entries), entrySize);
}

// The codes the camera lists for the parameter, entrySize bytes each.
cdHEnum codeList(State& state, Source& source, Setting setting, uint32_t entrySize = 2) {
    if (source.gphoto) {
        const auto codes = source.gphoto->codes(setting);
        return newList(state, source, std::vector<uint32_t>(codes.begin(), codes.end()),
                       entrySize);
    }
    const auto& codes = valuesOf(setting).codes;
    return listOf(state, source, setting, std::vector<uint32_t>(codes.begin(), codes.end()),
                  entrySize);
}

// A cdImageFormat as a list's entry.
uint32_t entryOf(uint16_t quality, uint16_t size) {
    return quality | uint32_t(size) << 16;
}

bool takesFormat(const Source& source, uint16_t quality, uint16_t size) {
    const uint16_t raw = 4;
    return takes(source, Quality, quality) && takes(source, ImageSize, size) &&
           (quality != raw || size == 0);
}

template <class Body> cdError onSettings(const char* operation, cdHSource handle, Body&& body) {
    return run(operation, [&](State& state, auto&) { body(state, releaseControl(state, handle)); });
}

cdError get(const char* operation, cdHSource handle, Setting setting, uint16_t* code) {
    return onSettings(operation, handle,
                      [&](State&, Source& source) { *code = value(source, setting); });
}

cdError set(const char* operation, cdHSource handle, Setting setting, uint16_t code) {
    return onSettings(operation, handle,
                      [&](State&, Source& source) { setValue(source, setting, code); });
}

cdError list(const char* operation, cdHSource handle, Setting setting, cdHEnum* enumeration) {
    return onSettings(operation, handle, [&](State& state, Source& source) {
        *enumeration = codeList(state, source, setting);
    });
}

struct CameraSetting {
    uint32_t id;
    Setting setting;
    uint32_t bytes;
};

const CameraSetting& cameraSetting(uint32_t id) {
    static const CameraSetting settings[] = {{CD_RELCAM_BEEP, Beep, 1},
                                             {CD_RELCAM_METERING, Metering, 1},
                                             {CD_RELCAM_CONTRAST, Contrast, 1},
                                             {CD_RELCAM_COLOR_GAIN, ColorGain, 1},
                                             {CD_RELCAM_SHARPNESS, Sharpness, 1},
                                             {CD_RELCAM_ISO, Iso, 1},
                                             {CD_RELCAM_PHOTO_EFFECT, PhotoEffect, 2}};
    for (const auto& setting : settings) {
        if (setting.id == id) {
            return setting;
        }
    }
    throw Failure{CD_ERR_PROPERTY_UNAVAILABLE};
}

} // namespace

extern "C" {

cdError CDGetImageFormatAttribute(cdHSource handle, uint16_t* quality, uint16_t* size) {
    return onSettings("CDGetImageFormatAttribute", handle, [&](State&, Source& source) {
        *quality = value(source, Quality);
        *size = value(source, ImageSize);
    });
}

cdError CDSetImageFormatAttribute(cdHSource handle, uint16_t quality, uint16_t size) {
    return onSettings("CDSetImageFormatAttribute", handle, [&](State&, Source& source) {
        if (source.gphoto) {
            source.gphoto->setFormat(quality, size);
            return;
        }
        if (!takesFormat(source, quality, size)) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        source.remote.settings[Quality] = quality;
        source.remote.settings[ImageSize] = size;
    });
}

cdError CDGetShootingMode(cdHSource handle, uint16_t* mode) {
    return get("CDGetShootingMode", handle, ShootingMode, mode);
}

cdError CDSetShootingMode(cdHSource handle, uint16_t mode) {
    return set("CDSetShootingMode", handle, ShootingMode, mode);
}

cdError CDGetAvValue(cdHSource handle, uint16_t* av) {
    return get("CDGetAvValue", handle, Av, av);
}

cdError CDSetAvValue(cdHSource handle, uint16_t av) {
    return set("CDSetAvValue", handle, Av, av);
}

cdError CDGetTvValue(cdHSource handle, uint16_t* tv) {
    return get("CDGetTvValue", handle, Tv, tv);
}

cdError CDSetTvValue(cdHSource handle, uint16_t tv) {
    return set("CDSetTvValue", handle, Tv, tv);
}

cdError CDGetExposureComp(cdHSource handle, uint16_t* compensation) {
    return get("CDGetExposureComp", handle, ExposureComp, compensation);
}

cdError CDSetExposureComp(cdHSource handle, uint16_t compensation) {
    return set("CDSetExposureComp", handle, ExposureComp, compensation);
}

cdError CDGetWBSetting(cdHSource handle, uint16_t* whiteBalance) {
    return get("CDGetWBSetting", handle, WhiteBalance, whiteBalance);
}

cdError CDSetWBSetting(cdHSource handle, uint16_t whiteBalance) {
    return set("CDSetWBSetting", handle, WhiteBalance, whiteBalance);
}

cdError CDGetAFDistanceSetting(cdHSource handle, uint16_t* distance) {
    return get("CDGetAFDistanceSetting", handle, AFDistance, distance);
}

cdError CDSetAFDistanceSetting(cdHSource handle, uint16_t distance) {
    return set("CDSetAFDistanceSetting", handle, AFDistance, distance);
}

cdError CDGetFlashSetting(cdHSource handle, uint16_t* mode, uint16_t* compensation) {
    return onSettings("CDGetFlashSetting", handle, [&](State&, Source& source) {
        *mode = value(source, FlashMode);
        *compensation = value(source, FlashComp);
    });
}

cdError CDSetFlashSetting(cdHSource handle, uint16_t mode, uint16_t compensation) {
    return onSettings("CDSetFlashSetting", handle, [&](State&, Source& source) {
        const uint16_t keep = 0xFF;
        if (source.gphoto) {
            // The compensation first: a refused one leaves the mode as it was.
            if (compensation != keep) {
                setValue(source, FlashComp, compensation);
            }
            if (mode != keep) {
                setValue(source, FlashMode, mode);
            }
            return;
        }
        Settings& settings = source.remote.settings;
        const uint16_t newMode = mode == keep ? settings[FlashMode] : mode;
        const uint16_t newCompensation = compensation == keep ? settings[FlashComp] : compensation;
        if (!takes(source, FlashMode, newMode) || !takes(source, FlashComp, newCompensation)) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        settings[FlashMode] = newMode;
        settings[FlashComp] = newCompensation;
    });
}

cdError CDGetRelCamSettingData(cdHSource handle, uint32_t settingId, uint32_t* size, void* buffer) {
    return onSettings("CDGetRelCamSettingData", handle, [&](State&, Source& source) {
        const CameraSetting& setting = cameraSetting(settingId);
        if (*size < setting.bytes) {
            throw Failure{CD_ERR_BUFFER_TOO_SMALL};
        }
        const uint16_t code = value(source, setting.setting);
        std::memcpy(buffer, &code, setting.bytes);
        *size = setting.bytes;
    });
}

cdError CDSetRelCamSettingData(cdHSource handle, uint32_t settingId, uint32_t size,
                               const void* buffer) {
    return onSettings("CDSetRelCamSettingData", handle, [&](State&, Source& source) {
        const CameraSetting& setting = cameraSetting(settingId);
        if (size != setting.bytes || !buffer) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        uint16_t code = 0;
        std::memcpy(&code, buffer, setting.bytes);
        setValue(source, setting.setting, code);
    });
}

cdError CDEnumImageFormatAttributeReset(cdHSource handle, cdHEnum* enumeration) {
    return onSettings("CDEnumImageFormatAttributeReset", handle, [&](State& state, Source& source) {
        std::vector<uint32_t> pairs;
        if (source.gphoto) {
            for (const cdImageFormat& format : source.gphoto->formats()) {
                pairs.push_back(entryOf(format.quality, format.size));
            }
            *enumeration = newList(state, source, pairs, sizeof(cdImageFormat));
            return;
        }
        for (const uint16_t quality : valuesOf(Quality).codes) {
            for (const uint16_t size : valuesOf(ImageSize).codes) {
                if (takesFormat(source, quality, size)) {
                    pairs.push_back(entryOf(quality, size));
                }
            }
        }
        *enumeration = listOf(state, source, Quality, pairs, sizeof(cdImageFormat));
    });
}

cdError CDEnumShootingModeReset(cdHSource handle, cdHEnum* enumeration) {
    return list("CDEnumShootingModeReset", handle, ShootingMode, enumeration);
}

cdError CDEnumAvValueReset(cdHSource handle, cdHEnum* enumeration) {
    return list("CDEnumAvValueReset", handle, Av, enumeration);
}

cdError CDEnumTvValueReset(cdHSource handle, cdHEnum* enumeration) {
    return list("CDEnumTvValueReset", handle, Tv, enumeration);
}

cdError CDEnumExposureCompReset(cdHSource handle, cdHEnum* enumeration) {
    return list("CDEnumExposureCompReset", handle, ExposureComp, enumeration);
}

cdError CDEnumWBSettingReset(cdHSource handle, cdHEnum* enumeration) {
    return list("CDEnumWBSettingReset", handle, WhiteBalance, enumeration);
}

cdError CDEnumAFDistanceSettingReset(cdHSource handle, cdHEnum* enumeration) {
    return list("CDEnumAFDistanceSettingReset", handle, AFDistance, enumeration);
}

cdError CDEnumFlashSettingReset(cdHSource handle, cdHEnum* enumeration) {
    return list("CDEnumFlashSettingReset", handle, FlashMode, enumeration);
}

cdError CDEnumRelCamSettingReset(cdHSource handle, uint32_t settingId, cdHEnum* enumeration,
                                 uint32_t* entrySize) {
    return onSettings("CDEnumRelCamSettingReset", handle, [&](State& state, Source& source) {
        const CameraSetting& setting = cameraSetting(settingId);
        *enumeration = codeList(state, source, setting.setting, setting.bytes);
        *entrySize = setting.bytes;
    });
}

cdError CDGetReleaseParamCount(cdHEnum handle, uint32_t* count) {
    return run("CDGetReleaseParamCount", [&](State& state, auto&) {
        *count =
            static_cast<uint32_t>(state.enumeration(handle, EnumKind::ReleaseParam).entries.size());
    });
}

cdError CDEnumReleaseParamNext(cdHEnum handle, uint32_t* size, void* entry) {
    return run("CDEnumReleaseParamNext", [&](State& state, auto&) {
        const uint32_t entrySize = state.enumeration(handle, EnumKind::ReleaseParam).entrySize;
        if (*size < entrySize) {
            throw Failure{CD_ERR_BUFFER_TOO_SMALL};
        }
        const uint32_t code = state.nextEntry(handle, EnumKind::ReleaseParam);
        std::memcpy(entry, &code, entrySize);
        *size = entrySize;
    });
}

cdError CDEnumReleaseParamRelease(cdHEnum handle) {
    return run("CDEnumReleaseParamRelease", [&](State& state, auto&) {
        state.releaseEnumeration(handle, EnumKind::ReleaseParam);
    });
}

} // extern "C"
