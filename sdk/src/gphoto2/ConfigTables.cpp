#include "ConfigTables.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>

namespace cdgp {
namespace {

using cdsim::Setting;

// Lower-case letters and digits only: "Red-eye" and "red eye" read alike.
std::string folded(const std::string& text) {
    std::string result;
    for (const unsigned char c : text) {
        if (std::isalnum(c)) {
            result += static_cast<char>(std::tolower(c));
        }
    }
    return result;
}

std::optional<uint16_t> fromTable(const std::map<std::string, uint16_t>& table,
                                  const std::string& choice) {
    const auto found = table.find(folded(choice));
    return found == table.end() ? std::nullopt : std::optional<uint16_t>(found->second);
}

// A number as the cameras write it: "5.6", "1/250", "+1 2/3", "-0.3".
std::optional<double> numberOf(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    double value = std::strtod(begin, &end);
    if (end == begin) {
        return std::nullopt;
    }
    const double sign = value < 0 || text.find('-') == 0 ? -1 : 1;
    std::string rest = end;
    rest.erase(0, rest.find_first_not_of(' '));
    if (!rest.empty() && rest[0] == '/') { // 1/250
        const double denominator = std::strtod(rest.c_str() + 1, &end);
        if (denominator <= 0 || *end != '\0') {
            return std::nullopt;
        }
        return value / denominator;
    }
    if (!rest.empty()) { // +1 2/3
        const char* fraction = rest.c_str();
        const double numerator = std::strtod(fraction, &end);
        if (*end != '/') {
            return std::nullopt;
        }
        const double denominator = std::strtod(end + 1, &end);
        if (denominator <= 0 || *end != '\0') {
            return std::nullopt;
        }
        value += sign * numerator / denominator;
    }
    return value;
}

std::optional<uint16_t> isoCode(const std::string& choice) {
    static const std::map<std::string, uint16_t> table = {
        {"auto", 0}, {"50", 0x40}, {"100", 0x48}, {"200", 0x50}, {"400", 0x58}};
    return fromTable(table, choice);
}

// Canon's codes count 8 to the stop from a zero point, in thirds of a stop:
// nominal values such as f/11 or 30 s sit on the nearest third.
uint16_t codeOfApex(double apex, int zero) {
    return static_cast<uint16_t>(zero + std::lround(std::lround(apex * 3) * 8 / 3.0));
}

// Av: (APEX + 1) * 8, APEX being 2 log2 f.
std::optional<uint16_t> apertureCode(const std::string& choice) {
    std::string text = choice.rfind("f/", 0) == 0 ? choice.substr(2) : choice;
    const auto fNumber = numberOf(text);
    if (!fNumber || *fNumber <= 0) {
        return std::nullopt;
    }
    return codeOfApex(2 * std::log2(*fNumber), 8);
}

// Tv: (APEX + 7) * 8, APEX being -log2 of the seconds. PTP cameras without
// a maker's table write the seconds with a unit: "0.0100s".
std::optional<uint16_t> shutterCode(const std::string& choice) {
    const bool unit = choice.size() > 1 && choice.back() == 's';
    const auto seconds = numberOf(unit ? choice.substr(0, choice.size() - 1) : choice);
    if (!seconds || *seconds <= 0) {
        return std::nullopt;
    }
    return codeOfApex(-std::log2(*seconds), 56);
}

// 24 is 0 EV, 8 codes to the stop, counted down; in thirds of a stop, so
// "-0.3" and "-1/3" are the same step.
std::optional<uint16_t> compensationCode(const std::string& choice) {
    const auto ev = numberOf(choice);
    if (!ev || std::abs(*ev) > 2.01) {
        return std::nullopt;
    }
    return codeOfApex(-*ev, 24);
}

std::optional<uint16_t> whiteBalanceCode(const std::string& choice) {
    static const std::map<std::string, uint16_t> table = {
        {"auto", 0},  {"daylight", 1}, {"cloudy", 2}, {"tungsten", 3},      {"fluorescent", 4},
        {"flash", 5}, {"custom", 6},   {"manual", 6}, {"fluorescenth", 14}, {"automatic", 0}};
    return fromTable(table, choice);
}

std::optional<uint16_t> flashCode(const std::string& choice) {
    static const std::map<std::string, uint16_t> table = {{"off", 0},
                                                          {"auto", 1},
                                                          {"on", 2},
                                                          {"redeye", 3},
                                                          {"slowsync", 4},
                                                          {"autoredeye", 5},
                                                          {"onredeye", 6},
                                                          {"redeyeauto", 5},
                                                          {"redeyeon", 6},
                                                          {"flashoff", 0},
                                                          {"flashon", 2},
                                                          {"autoflash", 1},
                                                          // the names of PTP's own flash modes
                                                          {"automaticflash", 1},
                                                          {"fillflash", 2},
                                                          {"redeyeautomatic", 5},
                                                          {"redeyefill", 6}};
    return fromTable(table, choice);
}

std::optional<uint16_t> shootingModeCode(const std::string& choice) {
    static const std::map<std::string, uint16_t> table = {
        {"auto", 0},
        {"p", 1},
        {"program", 1},
        {"tv", 2},
        {"av", 3},
        {"m", 4},
        {"manual", 4},
        // PTP's exposure programs: shutter and aperture priority
        {"s", 2},
        {"a", 3}};
    return fromTable(table, choice);
}

std::optional<uint16_t> afDistanceCode(const std::string& choice) {
    static const std::map<std::string, uint16_t> table = {
        {"manual", 0}, {"auto", 1}, {"automatic", 1}};
    return fromTable(table, choice);
}

std::optional<uint16_t> meteringCode(const std::string& choice) {
    static const std::map<std::string, uint16_t> table = {
        {"centerweighted", 0}, {"centreweighted", 0}, {"spot", 1},
        {"centerspot", 1},     {"average", 2},        {"averaging", 2},
        {"evaluative", 3},     {"multispot", 3},      {"partial", 4}};
    return fromTable(table, choice);
}

} // namespace

Family familyOf(const Widget& tree) {
    return findWidget(tree, "eosremoterelease") || findWidget(tree, "autoexposuremode")
               ? Family::Eos
               : Family::PowerShot;
}

std::vector<std::string> widgetNames(Family family, Setting setting) {
    switch (setting) {
    case cdsim::Quality:
    case cdsim::ImageSize:
        return {"imageformat"};
    case cdsim::ShootingMode:
        return {family == Family::Eos ? "autoexposuremode" : "shootingmode", "expprogram"};
    case cdsim::Av:
        return {"aperture", "f-number"};
    case cdsim::Tv:
        return {"shutterspeed"};
    case cdsim::ExposureComp:
        return {"exposurecompensation"};
    case cdsim::WhiteBalance:
        return {"whitebalance"};
    case cdsim::AFDistance:
        return {"focusmode"};
    case cdsim::FlashMode:
        if (family == Family::Eos) {
            return {};
        }
        return {"flashmode"};
    case cdsim::Metering:
        return {"meteringmode", "exposuremetermode"};
    case cdsim::Iso:
        return {"iso"};
    default:
        return {};
    }
}

const Widget* parameterWidget(const Widget& tree, Setting setting) {
    for (const auto& name : widgetNames(familyOf(tree), setting)) {
        if (const Widget* widget = findWidget(tree, name)) {
            return widget;
        }
    }
    return nullptr;
}

std::optional<std::pair<uint16_t, uint16_t>> formatOfChoice(const std::string& choice) {
    const std::string text = folded(choice);
    if (text == "raw") {
        return std::pair<uint16_t, uint16_t>(4, 0);
    }
    static const std::vector<std::pair<std::string, uint16_t>> sizes = {
        {"large", 0}, {"medium1", 5}, {"medium2", 6}, {"medium", 1}, {"small", 2}};
    static const std::vector<std::pair<std::string, uint16_t>> qualities = {
        {"superfine", 5}, {"fine", 3}, {"normal", 2}};
    for (const auto& [size, sizeCode] : sizes) {
        for (const auto& [quality, qualityCode] : qualities) {
            if (text == size + quality + "jpeg") {
                return std::pair(qualityCode, sizeCode);
            }
        }
    }
    return std::nullopt;
}

std::optional<uint16_t> codeOfChoice(Setting setting, const std::string& choice) {
    switch (setting) {
    case cdsim::Quality:
    case cdsim::ImageSize: {
        const auto format = formatOfChoice(choice);
        if (!format) {
            return std::nullopt;
        }
        return setting == cdsim::Quality ? format->first : format->second;
    }
    case cdsim::ShootingMode:
        return shootingModeCode(choice);
    case cdsim::Av:
        return apertureCode(choice);
    case cdsim::Tv:
        return shutterCode(choice);
    case cdsim::ExposureComp:
        return compensationCode(choice);
    case cdsim::WhiteBalance:
        return whiteBalanceCode(choice);
    case cdsim::FlashMode:
        return flashCode(choice);
    case cdsim::AFDistance:
        return afDistanceCode(choice);
    case cdsim::Metering:
        return meteringCode(choice);
    case cdsim::Iso:
        return isoCode(choice);
    default:
        return std::nullopt;
    }
}

std::optional<Offer> offerOf(const Widget& tree, Setting setting) {
    const Widget* widget = parameterWidget(tree, setting);
    if (!widget || widget->choices.empty()) {
        return std::nullopt;
    }
    Offer offer{widget->name, codeOfChoice(setting, widget->value), {}};
    for (const auto& choice : widget->choices) {
        const auto code = codeOfChoice(setting, choice);
        if (code && std::find(offer.codes.begin(), offer.codes.end(), *code) == offer.codes.end()) {
            offer.codes.push_back(*code);
        }
    }
    return offer;
}

std::optional<std::string> choiceFor(const Widget& tree, Setting setting, uint16_t code) {
    const Widget* widget = parameterWidget(tree, setting);
    if (!widget || widget->readOnly) {
        return std::nullopt;
    }
    for (const auto& choice : widget->choices) {
        if (codeOfChoice(setting, choice) == code) {
            return choice;
        }
    }
    return std::nullopt;
}

std::optional<std::string> formatChoiceFor(const Widget& tree, uint16_t quality, uint16_t size) {
    const Widget* widget = findWidget(tree, "imageformat");
    if (!widget || widget->readOnly) {
        return std::nullopt;
    }
    for (const auto& choice : widget->choices) {
        if (formatOfChoice(choice) == std::pair(quality, size)) {
            return choice;
        }
    }
    return std::nullopt;
}

std::optional<Zoom> zoomOf(const Widget& tree) {
    for (const char* name : {"zoom", "d02a"}) {
        const Widget* widget = findWidget(tree, name);
        if (widget && widget->maximum > 0) {
            return Zoom{name, static_cast<uint32_t>(std::strtoul(widget->value.c_str(), nullptr, 10)),
                        static_cast<uint32_t>(widget->maximum)};
        }
    }
    return std::nullopt;
}

std::optional<std::string> cardTargetChoice(const Widget& tree) {
    const Widget* target = findWidget(tree, "capturetarget");
    if (!target || target->readOnly) {
        return std::nullopt;
    }
    for (const auto& choice : target->choices) {
        if (folded(choice) == "memorycard" && choice != target->value) {
            return choice;
        }
    }
    return std::nullopt;
}

} // namespace cdgp
