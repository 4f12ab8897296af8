#pragma once
// The release parameters of the camera client and the remote windows:
// seventeen enumerations whose ordinals cross the bridge as plain integers
// (the bridge's C header does not know these types; 0 always means not used),
// the parameter record, the lists of available values and the zoom position.

#include <QDebug>
#include <QList>
#include <cstdint>

enum tsRemoteFormatQualityType : uint8_t {
    tsRemoteFormatQualityNotUsed,
    tsRemoteFormatQualityNormal,
    tsRemoteFormatQualityFine,
    tsRemoteFormatQualityLossless,
    tsRemoteFormatQualitySuperfine,
    tsRemoteFormatQualityRAW
};

enum tsRemoteFormatSizeType : uint8_t {
    tsRemoteFormatSizeNotUsed,
    tsRemoteFormatSizeLarge,
    tsRemoteFormatSizeMedium,
    tsRemoteFormatSizeSmall,
    tsRemoteFormatSizeMedium2,
    tsRemoteFormatSizeMedium1
};

enum tsRemoteFormatShootingModeType : uint8_t {
    tsRemoteFormatShootingNotUsed,
    tsRemoteFormatShootingModeAuto,
    tsRemoteFormatShootingModeManual,
    tsRemoteFormatShootingModeFarScene,
    tsRemoteFormatShootingModeFastShutter,
    tsRemoteFormatShootingModeSlowShutter,
    tsRemoteFormatShootingModeNightScene,
    tsRemoteFormatShootingModeGrayScene,
    tsRemoteFormatShootingModeSepia,
    tsRemoteFormatShootingModePortrait,
    tsRemoteFormatShootingModeSport,
    tsRemoteFormatShootingModeMacro,
    tsRemoteFormatShootingModeBW,
    tsRemoteFormatShootingModePanFocus,
    tsRemoteFormatShootingModeVivid,
    tsRemoteFormatShootingModeNeutral,
    tsRemoteFormatShootingModeProgram,
    tsRemoteFormatShootingModeTV,
    tsRemoteFormatShootingModeAV
};

enum tsRemoteFormatExposureCompType : uint8_t {
    tsRemoteFormatExposureCompNotUsed,
    tsRemoteFormatExposureComp200Plus,
    tsRemoteFormatExposureComp166Plus,
    tsRemoteFormatExposureComp133Plus,
    tsRemoteFormatExposureComp100Plus,
    tsRemoteFormatExposureComp066Plus,
    tsRemoteFormatExposureComp033Plus,
    tsRemoteFormatExposureComp0,
    tsRemoteFormatExposureComp033Minus,
    tsRemoteFormatExposureComp066Minus,
    tsRemoteFormatExposureComp100Minus,
    tsRemoteFormatExposureComp133Minus,
    tsRemoteFormatExposureComp166Minus,
    tsRemoteFormatExposureComp200Minus
};

enum tsRemoteFormatFlashCompType : uint8_t {
    tsRemoteFormatFlashCompNotUsed,
    tsRemoteFormatFlashComp200Plus,
    tsRemoteFormatFlashComp166Plus,
    tsRemoteFormatFlashComp133Plus,
    tsRemoteFormatFlashComp100Plus,
    tsRemoteFormatFlashComp066Plus,
    tsRemoteFormatFlashComp033Plus,
    tsRemoteFormatFlashComp0,
    tsRemoteFormatFlashComp033Minus,
    tsRemoteFormatFlashComp066Minus,
    tsRemoteFormatFlashComp100Minus,
    tsRemoteFormatFlashComp133Minus,
    tsRemoteFormatFlashComp166Minus,
    tsRemoteFormatFlashComp200Minus
};

enum tsRemoteFormatWBType : uint8_t {
    tsRemoteFormatWBNotUsed,
    tsRemoteFormatWBAuto,
    tsRemoteFormatWBDaylight,
    tsRemoteFormatWBCloudy,
    tsRemoteFormatWBTungsten,
    tsRemoteFormatWBFluorscent,
    tsRemoteFormatWBFlash,
    tsRemoteFormatWBPreset,
    tsRemoteFormatWBFluorescentLight,
    tsRemoteFormatWBCustom
};

enum tsRemoteFormatAFDistType : uint8_t {
    tsRemoteFormatAFDistNotUsed,
    tsRemoteFormatAFDistManual,
    tsRemoteFormatAFDistAuto,
    tsRemoteFormatAFDistUnknown,
    tsRemoteFormatAFDistZFCloseUp,
    tsRemoteFormatAFDistZFShortestDistance,
    tsRemoteFormatAFDistZFShortDistance,
    tsRemoteFormatAFDistZFMediumDistance,
    tsRemoteFormatAFDistZFFarDistance
};

enum tsRemoteFormatFlashType : uint8_t {
    tsRemoteFormatFlashNotUsed,
    tsRemoteFormatFlashOff,
    tsRemoteFormatFlashAuto,
    tsRemoteFormatFlashOn,
    tsRemoteFormatFlashRedEye,
    tsRemoteFormatFlashSlowSync,
    tsRemoteFormatFlashAutoRedEye,
    tsRemoteFormatFlashOnRedEye
};

enum tsRemoteFormatMLWeiType : uint8_t {
    tsRemoteFormatMLWeiNotUsed,
    tsRemoteFormatMLWeiCenterWeighted,
    tsRemoteFormatMLWeiSpot,
    tsRemoteFormatMLWeiAveraging,
    tsRemoteFormatMLWeiEvaluative,
    tsRemoteFormatMLWeiPartial,
    tsRemoteFormatMLWeiCenterwWeightedAveraging
};

enum tsRemoteFormatContrastType : uint8_t {
    tsRemoteFormatContrastNotUsed,
    tsRemoteFormatContrastLow,
    tsRemoteFormatContrastDefault,
    tsRemoteFormatContrastHigh
};

enum tsRemoteFormatColorGainType : uint8_t {
    tsRemoteFormatColorGainNotUsed,
    tsRemoteFormatColorGainLow,
    tsRemoteFormatColorGainDefault,
    tsRemoteFormatColorGainHigh
};

enum tsRemoteFormatSharpnessType : uint8_t {
    tsRemoteFormatSharpnessNotUsed,
    tsRemoteFormatSharpnessLow,
    tsRemoteFormatSharpnessDefault,
    tsRemoteFormatSharpnessHigh
};

enum tsRemoteFormatISOType : uint8_t {
    tsRemoteFormatISONotUsed,
    tsRemoteFormatISOAuto,
    tsRemoteFormatISO50,
    tsRemoteFormatISO100,
    tsRemoteFormatISO200,
    tsRemoteFormatISO400
};

enum tsRemoteFormatTVType : uint8_t {
    tsRemoteFormatTVNotUsed,
    tsRemoteFormatTV30sec,
    tsRemoteFormatTV15sec,
    tsRemoteFormatTV8sec,
    tsRemoteFormatTV4sec,
    tsRemoteFormatTV2sec,
    tsRemoteFormatTV1sec,
    tsRemoteFormatTV0sec5,
    tsRemoteFormatTV1_4,
    tsRemoteFormatTV1_8,
    tsRemoteFormatTV1_15,
    tsRemoteFormatTV1_30,
    tsRemoteFormatTV1_60,
    tsRemoteFormatTV1_125,
    tsRemoteFormatTV1_250,
    tsRemoteFormatTV1_500,
    tsRemoteFormatTV1_1000,
    tsRemoteFormatTV1_2000,
    tsRemoteFormatTV1_4000,
    tsRemoteFormatTV1_8000,
    tsRemoteFormatTV1_16000
};

enum tsRemoteFormatAVType : uint8_t {
    tsRemoteFormatAVNotUsed,
    tsRemoteFormatAV1_0,
    tsRemoteFormatAV1_4,
    tsRemoteFormatAV2_0,
    tsRemoteFormatAV2_8,
    tsRemoteFormatAV4_0,
    tsRemoteFormatAV5_6,
    tsRemoteFormatAV8_0,
    tsRemoteFormatAV11_0,
    tsRemoteFormatAV16_0,
    tsRemoteFormatAV22_0,
    tsRemoteFormatAV32_0,
    tsRemoteFormatAV45_0,
    tsRemoteFormatAV64_0,
    tsRemoteFormatAV91_0
};

enum tsRemoteFormatPhotoEffectType : uint8_t {
    tsRemoteFormatPhotoEffectNotUsed,
    tsRemoteFormatPhotoEffectOff,
    tsRemoteFormatPhotoEffectVivid,
    tsRemoteFormatPhotoEffectNeutral,
    tsRemoteFormatPhotoEffectLowSharpening,
    tsRemoteFormatPhotoEffectSepia,
    tsRemoteFormatPhotoEffectBW
};

enum tsRemoteFormatBeepType : uint8_t {
    tsRemoteFormatBeepNotUsed,
    tsRemoteFormatBeepOn,
    tsRemoteFormatBeepOff
};

// One shooting setting per field, in the order the bridge exchanges them.
struct tsRemoteReleaseParameters {
    tsRemoteFormatQualityType CompQuality = tsRemoteFormatQualityNotUsed;
    tsRemoteFormatSizeType ImageSize = tsRemoteFormatSizeNotUsed;
    tsRemoteFormatFlashType StrobeSetting = tsRemoteFormatFlashNotUsed;
    tsRemoteFormatFlashCompType StrobeCompSetting = tsRemoteFormatFlashCompNotUsed;
    tsRemoteFormatShootingModeType ImageMode = tsRemoteFormatShootingNotUsed;
    tsRemoteFormatMLWeiType MLWeiMode = tsRemoteFormatMLWeiNotUsed;
    tsRemoteFormatAFDistType AFDistance = tsRemoteFormatAFDistNotUsed;
    tsRemoteFormatWBType WhiteBalanceSetting = tsRemoteFormatWBNotUsed;
    tsRemoteFormatContrastType Contrast = tsRemoteFormatContrastNotUsed;
    tsRemoteFormatColorGainType ColorGain = tsRemoteFormatColorGainNotUsed;
    tsRemoteFormatSharpnessType Sharpness = tsRemoteFormatSharpnessNotUsed;
    tsRemoteFormatISOType ISO = tsRemoteFormatISONotUsed;
    tsRemoteFormatAVType Av = tsRemoteFormatAVNotUsed;
    tsRemoteFormatTVType Tv = tsRemoteFormatTVNotUsed;
    tsRemoteFormatExposureCompType ExposureCompensation = tsRemoteFormatExposureCompNotUsed;
    tsRemoteFormatPhotoEffectType PhotoEffect = tsRemoteFormatPhotoEffectNotUsed;
    tsRemoteFormatBeepType Beep = tsRemoteFormatBeepNotUsed;
    bool operator==(const tsRemoteReleaseParameters&) const = default;
};
static_assert(sizeof(tsRemoteReleaseParameters) == 17);

// The ordinals the camera takes, ascending and never 0, one list per
// parameter; exposure compensation comes before Av and Tv here.
struct tsRemoteAvailArrayReleaseParameters {
    QList<uint8_t> CompQuality;
    QList<uint8_t> ImageSize;
    QList<uint8_t> StrobeSetting;
    QList<uint8_t> StrobeCompSetting;
    QList<uint8_t> ImageMode;
    QList<uint8_t> MLWeiMode;
    QList<uint8_t> AFDistance;
    QList<uint8_t> WhiteBalanceSetting;
    QList<uint8_t> Contrast;
    QList<uint8_t> ColorGain;
    QList<uint8_t> Sharpness;
    QList<uint8_t> ISO;
    QList<uint8_t> ExposureCompensation;
    QList<uint8_t> Av;
    QList<uint8_t> Tv;
    QList<uint8_t> PhotoEffect;
    QList<uint8_t> Beep;
    bool operator==(const tsRemoteAvailArrayReleaseParameters&) const = default;
};

// The zoom's position and the two maxima in the order the camera gives them;
// the second is the end of the range the remote window offers.
struct tsRemoteZoomPosition {
    int32_t position = 0;
    int32_t firstMaximum = 0;
    int32_t secondMaximum = 0;
    bool operator==(const tsRemoteZoomPosition&) const = default;
};

QDebug operator<<(QDebug debug, const tsRemoteReleaseParameters& parameters);
QDebug operator<<(QDebug debug, const tsRemoteZoomPosition& zoom);
