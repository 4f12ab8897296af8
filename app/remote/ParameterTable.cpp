#include "ParameterTable.h"

#include "LanguageFile.h"
#include "RemoteKeys.h"
#include "Settings.h"

namespace {

using A = tsRemoteAvailArrayReleaseParameters;

// Fields in the order of the record.
enum Field {
    CompQuality,
    ImageSize,
    StrobeSetting,
    StrobeCompSetting,
    ImageMode,
    MLWeiMode,
    AFDistance,
    WhiteBalanceSetting,
    Contrast,
    ColorGain,
    Sharpness,
    ISO,
    Av,
    Tv,
    ExposureCompensation,
    PhotoEffect,
    Beep,
    FieldCount
};

constexpr const char* ImageModeTexts[] = {"-",
                                          "Auto",
                                          "Manual mode",
                                          "Far Scene",
                                          "Fast Shutter",
                                          "Slow Shutter",
                                          "Night Scene",
                                          "Gray Scene",
                                          "Sepia",
                                          "Portrait",
                                          "Sport",
                                          "Macro",
                                          "Black and White",
                                          "Pan Focus",
                                          "Vivid",
                                          "Neutral",
                                          "Program",
                                          "TV",
                                          "AV"};
constexpr const char* TvTexts[] = {"-",      "30\"",   "15\"",   "8\"",   "4\"",    "2\"",
                                   "1\"",    "1/2",    "1/4",    "1/8",   "1/15",   "1/30",
                                   "1/60",   "1/125",  "1/250",  "1/500", "1/1000", "1/2000",
                                   "1/4000", "1/8000", "1/16000"};
constexpr const char* AvTexts[] = {"-",  "1.0", "1.4", "2.0", "2.8", "4.0", "5.6", "8.0",
                                   "11", "16",  "22",  "32",  "45",  "64",  "91"};
// Exposure and flash compensation share their steps.
constexpr const char* CompensationTexts[] = {"-",     "+2.00", "+1.66", "+1.33", "+1.00",
                                             "+0.66", "+0.33", "0",     "-0.33", "-0.66",
                                             "-1.00", "-1.33", "-1.66", "-2.00"};
constexpr const char* FlashTexts[] = {
    "-", "Off", "Auto", "On", "auto+red eye", "auto+slow sync", "auto+red eye", "on+red eye"};
constexpr const char* SizeTexts[] = {"-", "Large", "Medium", "Small", "Medium2", "Medium1"};
constexpr const char* QualityTexts[] = {"-", "Normal", "Fine", "Lossless", "Super Fine", "RAW"};
constexpr const char* WhiteBalanceTexts[] = {
    "-",     "Auto",   "Daylight",          "Cloudy", "Tungsten", "Fluorscent",
    "Flash", "Preset", "Fluorescent light", "Custom"};
constexpr const char* IsoTexts[] = {"-", "Auto", "50", "100", "200", "400"};
constexpr const char* MeteringTexts[] = {
    "-",       "Center-weighted",          "Spot", "Averaging", "Evaluative",
    "Partial", "Center-weighted averaging"};
constexpr const char* AFDistanceTexts[] = {"-",
                                           "Manual",
                                           "Auto",
                                           "Unknown",
                                           "Zone Focus(Close up)",
                                           "Zone Focus(The shortest distance)",
                                           "Zone Focus(Short distance)",
                                           "Zone Focus(Medium distance)",
                                           "Zone Focus(Far distance)"};
constexpr const char* PhotoEffectTexts[] = {
    "-", "Off", "Vivid", "Neutral", "Low Sharpening", "Sepia", "Black and White"};
// Contrast, colour gain and sharpness share their three steps.
constexpr const char* LevelTexts[] = {"-", "Low", "Default", "High"};

// The parameter log's lines: each field's label, photo effect after white balance.
constexpr struct {
    const char* label;
    int field;
} LogLines[FieldCount] = {{"CompQuality          = ", CompQuality},
                          {"ImageSize            = ", ImageSize},
                          {"StrobeSetting        = ", StrobeSetting},
                          {"StrobeCompSetting    = ", StrobeCompSetting},
                          {"ImageMode            = ", ImageMode},
                          {"MLWeiMode            = ", MLWeiMode},
                          {"AFDistance           = ", AFDistance},
                          {"WhiteBalanceSetting  = ", WhiteBalanceSetting},
                          {"PhotoEffect          = ", PhotoEffect},
                          {"Contrast             = ", Contrast},
                          {"ColorGain            = ", ColorGain},
                          {"Sharpness            = ", Sharpness},
                          {"ISO                  = ", ISO},
                          {"Av                   = ", Av},
                          {"Tv                   = ", Tv},
                          {"ExposureCompensation = ", ExposureCompensation},
                          {"Beep                 = ", Beep}};

} // namespace

const std::array<TParameterBox, ParameterBoxCount> ParameterBoxes = {{
    {ImageMode, &A::ImageMode, "ComboBoxImageMode", "LabelImageMode",
     "Image mode:", "image_mode_label", "image_mode_option_", ImageModeTexts},
    {Tv, &A::Tv, "ComboBoxTv", "LabelTV", "Tv:", "tv_label", nullptr, TvTexts},
    {Av, &A::Av, "ComboBoxAv", "LabelAv", "Av:", "av_label", nullptr, AvTexts},
    {ExposureCompensation, &A::ExposureCompensation, "ComboBoxExpComp", "LabelExpComp",
     "Exposure Compensation:", "exposure_compensation_label", nullptr, CompensationTexts},
    {StrobeSetting, &A::StrobeSetting, "ComboBoxFlash", "LabelFlash", "Flash:", "flash_label",
     "strobe_setting_option_", FlashTexts},
    {StrobeCompSetting, &A::StrobeCompSetting, "ComboBoxFlashComp", "LabelFlashComp",
     "Flash Compensation:", "flash_compensation_label", nullptr, CompensationTexts},
    {ImageSize, &A::ImageSize, "ComboBoxSize", "LabelSize", "Size:", "size_label",
     "image_size_array_option_", SizeTexts},
    {CompQuality, &A::CompQuality, "ComboBoxQuality", "LabelQuality", "Quality:", "quality_label",
     "comp_qual_array_option_", QualityTexts},
    {WhiteBalanceSetting, &A::WhiteBalanceSetting, "ComboBoxWhiteBalance", "LabelWhiteBalance",
     "White balance:", "white_balance_label", "white_balance_set_option_", WhiteBalanceTexts},
    {ISO, &A::ISO, "ComboBoxISO", "LabelISO", "ISO:", "iso_label", nullptr, IsoTexts},
    {MLWeiMode, &A::MLWeiMode, "ComboBoxMeteringMode", "LabelMeteringMode",
     "Metering Mode:", "metering_mode_label", "ml_wei_mode_option_", MeteringTexts},
    {AFDistance, &A::AFDistance, "ComboBoxAFDistance", "LabelAFDistance",
     "Range of search for AF:", "af_distance_label", "af_distance_option_", AFDistanceTexts},
    {PhotoEffect, &A::PhotoEffect, "ComboBoxPhotoEffect", "LabelPhotoEffect",
     "Photo Effect:", "photo_effect_label", "photo_effect_option_", PhotoEffectTexts},
    {Contrast, &A::Contrast, "ComboBoxContrast", "LabelContrast", "Contrast:", "constrast_label",
     "contrast_option_", LevelTexts},
    {ColorGain, &A::ColorGain, "ComboBoxColorGain", "LabelColorGain",
     "Color Gain:", "color_gain_label", "color_gain_option_", LevelTexts},
    {Sharpness, &A::Sharpness, "ComboBoxSharpness", "LabelSharpness",
     "Sharpness:", "sharpness_label", "sharpness_option_", LevelTexts},
}};

uint8_t FieldValue(const tsRemoteReleaseParameters& record, int field) {
    return reinterpret_cast<const uint8_t*>(&record)[field];
}

void SetFieldValue(tsRemoteReleaseParameters& record, int field, uint8_t value) {
    reinterpret_cast<uint8_t*>(&record)[field] = value;
}

TParameterTexts::TParameterTexts() {
    for (int b = 0; b < ParameterBoxCount; ++b) {
        for (const char* text : ParameterBoxes[b].texts)
            texts_[b].append(QString::fromUtf8(text));
    }
}

void TParameterTexts::translate(const TLanguageFile& language) {
    for (int b = 0; b < ParameterBoxCount; ++b) {
        const char* prefix = ParameterBoxes[b].optionKey;
        if (!prefix)
            continue;
        for (int i = 0; i < texts_[b].size(); ++i)
            texts_[b][i] =
                language.read(remotekey::Section, prefix + QString::number(i), texts_[b][i]);
    }
}

QString TParameterTexts::text(int box, int ordinal) const {
    return texts_[box].value(ordinal);
}

QStringList TParameterTexts::items(int box, const QList<uint8_t>& list) const {
    QStringList items;
    for (uint8_t value : list)
        items.append(text(box, value));
    return items;
}

int TParameterTexts::itemFor(int box, const QList<uint8_t>& list, uint8_t value) const {
    const QString wanted = text(box, value);
    const QStringList shown = items(box, list);
    for (int i = 0; i < shown.size(); ++i) {
        if (shown[i].compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

uint8_t ValueOfItem(const QList<uint8_t>& list, bool enabled, int item) {
    return enabled && item >= 0 && item < list.size() ? list[item] : 0;
}

tsRemoteReleaseParameters StoredParameters(const TSettings& settings,
                                           const tsRemoteReleaseParameters& record) {
    tsRemoteReleaseParameters stored = record;
    for (const TParameterBox& box : ParameterBoxes)
        SetFieldValue(stored, box.field,
                      uint8_t(settings.readInteger(TSettings::Section, box.box,
                                                   FieldValue(record, box.field))));
    stored.Beep = tsRemoteFormatBeepType(
        settings.readInteger(TSettings::Section, remotekey::Beep, record.Beep));
    return stored;
}

void StoreParameters(TSettings& settings, const tsRemoteReleaseParameters& record) {
    for (const TParameterBox& box : ParameterBoxes)
        settings.writeInteger(TSettings::Section, box.box, FieldValue(record, box.field));
    settings.writeInteger(TSettings::Section, remotekey::Beep, record.Beep);
}

QStringList ParameterLogLines(const tsRemoteReleaseParameters& record) {
    QStringList lines{"Logs remote parameters"};
    for (const auto& line : LogLines)
        lines.append(line.label + QString::number(FieldValue(record, line.field)));
    return lines;
}
