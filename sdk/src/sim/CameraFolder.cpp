// A simulated camera is a folder DIR:
//
//   DIR/camera.ini      [Camera] with the keys Model ("Canon PowerShot G5"),
//                       Owner (the owner name), Port (1 USB, 2 IEEE 1394) and,
//                       optionally, SerialNumber. Other keys are ignored.
//                       What the camera offers for remote control is set by
//                       further keys; a camera without them offers none of it:
//     RemoteRelease=1   release control (0: listed as not offered; absent:
//                       the camera does not list the device property at all)
//     Upload=1          adding pictures, listed like RemoteRelease
//     UploadSizes=1600x1200,640x480   the sizes it takes (default 1600x1200,
//                       1024x768, 640x480)
//     ZoomMaximum=12    the zoom's last position, digital zoom included
//                       (0: no zoom)
//     OpticalZoomMaximum=8   the optical zoom's last position
//     Viewfinder=1      the live viewfinder
//     ViewfinderFramesPerSecond=15   0 sends frames only on demand (tests)
//     ViewfinderControls=0   the camera neither chooses where it shows the
//                       live picture nor runs its automatic functions on demand
//     ParameterLists=1  lists the values of the image format, shooting mode,
//                       white balance, flash mode, metering and ISO; no other
//                       parameter ever has a list, so they are found by trying
//     Flash=0           the camera has no flash
//     ReadBytesPerSecond=20000000   data reads move at this rate (absent:
//                       at once), like a camera over USB 2
//     CallLatencyMs=15  every call of the layer first waits this long
//   The remote faculties need RemoteRelease=1.
//   DIR/<volume>/       every immediate subfolder is a volume, in name order;
//                       the folder's name is the volume's name (for example CF).
//
// Inside a volume the files are laid out like a card:
//   DCIM/100CANON/IMG_0001.JPG   a picture, with its sound note IMG_0001.WAV
//   DCIM/100CANON/MVI_0002.AVI   a movie, with its thumbnail MVI_0002.THM
//   DCIM/101CANON/CRW_0003.CRW   a RAW picture, with its thumbnail CRW_0003.THM
// Companions are matched by name in any letter case.

#include "CameraFolder.h"

#include "../CardFile.h"
#include "cdsdk.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace cdsim {

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    std::string value = text.substr(first, last - first + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// The keys of one section of an INI file, upper-cased.
std::map<std::string, std::string> readSection(const fs::path& file, const std::string& section) {
    std::map<std::string, std::string> keys;
    std::ifstream in(file);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        const std::string text = trimmed(line);
        if (text.empty() || text[0] == ';' || text[0] == '#') {
            continue;
        }
        if (text.front() == '[' && text.back() == ']') {
            inSection = upper(trimmed(text.substr(1, text.size() - 2))) == upper(section);
            continue;
        }
        const auto equals = text.find('=');
        if (inSection && equals != std::string::npos) {
            keys[upper(trimmed(text.substr(0, equals)))] = trimmed(text.substr(equals + 1));
        }
    }
    return keys;
}

std::vector<fs::directory_entry> sortedEntries(const fs::path& folder) {
    std::vector<fs::directory_entry> entries;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        entries.push_back(entry);
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.path().filename().string() < b.path().filename().string();
    });
    return entries;
}

bool listed(uint32_t format, uint32_t option) {
    switch (option) {
    case CD_ENUM_PICTURES:
        return format != CD_FORMAT_MOVIE && format != CD_FORMAT_SOUND;
    case CD_ENUM_IMAGES_AND_MOVIES:
        return format != CD_FORMAT_SOUND;
    default:
        return true;
    }
}

// The name in names equal to name, else equal in any letter case, else empty.
std::string neighbourIn(const std::vector<std::string>& names, const std::string& name) {
    if (std::find(names.begin(), names.end(), name) != names.end()) {
        return name;
    }
    const auto found = std::find_if(names.begin(), names.end(),
                                    [&](const std::string& other) { return upper(other) == upper(name); });
    return found == names.end() ? std::string() : *found;
}

fs::path pathOfNeighbour(const fs::path& folder, const std::vector<std::string>& names,
                         const std::string& name) {
    const std::string found = neighbourIn(names, name);
    return found.empty() ? fs::path() : folder / found;
}

// The items of one folder's files, in name order. A sound file is an item of
// its own only when no picture or movie of the same name carries it as its note.
std::vector<ItemFiles> folderItems(const fs::path& folder, const std::vector<std::string>& files) {
    std::map<std::string, bool> carriesNote;
    for (const auto& file : files) {
        const auto format = formatOfExtension(fs::path(file).extension().string());
        if (format && *format != CD_FORMAT_SOUND) {
            carriesNote[upper(fs::path(file).stem().string())] = true;
        }
    }
    std::vector<ItemFiles> items;
    for (const auto& file : files) {
        const auto format = formatOfExtension(fs::path(file).extension().string());
        const std::string stem = fs::path(file).stem().string();
        if (!format || (*format == CD_FORMAT_SOUND && carriesNote.count(upper(stem)))) {
            continue;
        }
        ItemFiles item{folder / file, {}, {}, *format};
        if (*format != CD_FORMAT_SOUND && *format != CD_FORMAT_JPEG) {
            item.thumbnail = pathOfNeighbour(folder, files, stem + ".THM");
        }
        if (*format != CD_FORMAT_SOUND && *format != CD_FORMAT_MOVIE) {
            item.sound = pathOfNeighbour(folder, files, stem + ".WAV");
        }
        items.push_back(item);
    }
    return items;
}

void scanFolder(const fs::path& folder, uint32_t level, uint32_t depth, uint32_t option,
                const Lister& list, std::vector<ItemFiles>& items) {
    const Listing entries = list(folder);
    for (const auto& item : folderItems(folder, entries.files)) {
        if (listed(item.format, option)) {
            items.push_back(item);
        }
    }
    if (level + 1 >= depth) {
        return;
    }
    for (const auto& subfolder : entries.folders) {
        scanFolder(folder / subfolder, level + 1, depth, option, list, items);
    }
}

} // namespace

std::optional<uint32_t> formatOfExtension(const std::string& extension) {
    static const std::map<std::string, uint32_t> formats = {
        {".JPG", CD_FORMAT_JPEG},  {".JPEG", CD_FORMAT_JPEG}, {".CRW", CD_FORMAT_CRW},
        {".CR2", CD_FORMAT_CR2},   {".TIF", CD_FORMAT_TIFF},  {".TIFF", CD_FORMAT_TIFF},
        {".AVI", CD_FORMAT_MOVIE}, {".WAV", CD_FORMAT_SOUND}};
    const auto found = formats.find(upper(extension));
    if (found == formats.end()) {
        return std::nullopt;
    }
    return found->second;
}

Listing cardListing(const fs::path& folder, const fs::path& root) {
    Listing listing;
    for (const auto& entry : sortedEntries(folder)) {
        const std::string name = entry.path().filename().string();
        switch (cardEntryKind(root, entry.path())) {
        case EntryKind::File:
            listing.files.push_back(name);
            break;
        case EntryKind::Folder:
            listing.folders.push_back(name);
            break;
        case EntryKind::Skipped:
            break;
        }
    }
    return listing;
}

Listing diskListing(const fs::path& folder) {
    return cardListing(folder, "/");
}

fs::path findNeighbour(const fs::path& folder, const std::string& name) {
    std::error_code error;
    if (fs::is_regular_file(folder / name, error)) {
        return folder / name;
    }
    return pathOfNeighbour(folder, diskListing(folder).files, name);
}

std::optional<fs::path> pluggedCameraFolder() {
    const char* setting = std::getenv("LUMVIK_CAMERA");
    const std::string prefix = "sim:";
    if (!setting || std::string(setting).rfind(prefix, 0) != 0) {
        return std::nullopt;
    }
    const fs::path folder = std::string(setting).substr(prefix.size());
    std::error_code error;
    if (!fs::is_regular_file(folder / "camera.ini", error)) {
        return std::nullopt;
    }
    return folder;
}

namespace {

uint32_t number(const std::string& text) {
    return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
}

std::optional<uint32_t> optionalNumber(const std::map<std::string, std::string>& keys,
                                       const std::string& key) {
    const auto found = keys.find(key);
    if (found == keys.end()) {
        return std::nullopt;
    }
    return number(found->second);
}

// "1600x1200,640x480"; entries that are not two numbers are skipped.
std::vector<std::pair<uint32_t, uint32_t>> sizesOf(const std::string& text) {
    std::vector<std::pair<uint32_t, uint32_t>> sizes;
    size_t begin = 0;
    while (begin < text.size()) {
        const size_t end = std::min(text.find(',', begin), text.size());
        const std::string entry = text.substr(begin, end - begin);
        const size_t x = entry.find_first_of("xX");
        if (x != std::string::npos && number(entry) > 0 && number(entry.substr(x + 1)) > 0) {
            sizes.emplace_back(number(entry), number(entry.substr(x + 1)));
        }
        begin = end + 1;
    }
    return sizes;
}

Capabilities capabilitiesOf(const std::map<std::string, std::string>& keys) {
    Capabilities offers;
    offers.remoteRelease = optionalNumber(keys, "REMOTERELEASE");
    offers.upload = optionalNumber(keys, "UPLOAD");
    offers.zoomMaximum = optionalNumber(keys, "ZOOMMAXIMUM").value_or(0);
    offers.opticalZoomMaximum =
        std::min(offers.zoomMaximum, optionalNumber(keys, "OPTICALZOOMMAXIMUM").value_or(0));
    offers.viewfinder = optionalNumber(keys, "VIEWFINDER").value_or(0) != 0;
    offers.viewfinderFramesPerSecond =
        optionalNumber(keys, "VIEWFINDERFRAMESPERSECOND").value_or(15);
    offers.viewfinderControls = optionalNumber(keys, "VIEWFINDERCONTROLS").value_or(1) != 0;
    offers.parameterLists = optionalNumber(keys, "PARAMETERLISTS").value_or(0) != 0;
    offers.flash = optionalNumber(keys, "FLASH").value_or(1) != 0;
    const auto sizes = keys.find("UPLOADSIZES");
    offers.uploadSizes =
        sizes != keys.end()
            ? sizesOf(sizes->second)
            : std::vector<std::pair<uint32_t, uint32_t>>{{1600, 1200}, {1024, 768}, {640, 480}};
    return offers;
}

std::optional<uint32_t> leadingNumber(const std::string& text, size_t digits) {
    if (text.size() < digits ||
        !std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(digits),
                     [](unsigned char c) { return std::isdigit(c); })) {
        return std::nullopt;
    }
    return number(text.substr(0, digits));
}

std::optional<uint32_t> trailingNumber(const std::string& stem) {
    if (stem.size() < 4) {
        return std::nullopt;
    }
    return leadingNumber(stem.substr(stem.size() - 4), 4);
}

std::string padded(uint32_t value, int digits) {
    std::string text = std::to_string(value);
    return std::string(static_cast<size_t>(std::max(0, digits - int(text.size()))), '0') + text;
}

} // namespace

CameraDescription readDescription(const fs::path& folder) {
    auto keys = readSection(folder / "camera.ini", "Camera");
    const Pace pace{optionalNumber(keys, "READBYTESPERSECOND").value_or(0),
                    optionalNumber(keys, "CALLLATENCYMS").value_or(0)};
    CameraDescription camera{keys["MODEL"], keys["OWNER"], keys["SERIALNUMBER"], 0, {}, pace};
    camera.port = number(keys["PORT"]);
    camera.offers = capabilitiesOf(keys);
    return camera;
}

fs::path nextPicturePath(const fs::path& volumeRoot, const Lister& list) {
    const fs::path dcim = volumeRoot / "DCIM";
    fs::path folder;
    uint32_t folderNumber = 0;
    uint32_t fileNumber = 0;
    for (const auto& name : list(dcim).folders) {
        const auto numbered = leadingNumber(name, 3);
        if (!numbered || *numbered < 100) {
            continue;
        }
        if (*numbered >= folderNumber) {
            folderNumber = *numbered;
            folder = dcim / name;
        }
        for (const auto& file : list(dcim / name).files) {
            fileNumber = std::max(fileNumber, trailingNumber(fs::path(file).stem().string()).value_or(0));
        }
    }
    if (folder.empty() || fileNumber >= 9999) {
        folderNumber = std::max<uint32_t>(100, folder.empty() ? 100 : folderNumber + 1);
        folder = dcim / (padded(folderNumber, 3) + "CANON");
        fileNumber = fileNumber >= 9999 ? 0 : fileNumber;
    }
    return folder / ("IMG_" + padded(fileNumber + 1, 4) + ".JPG");
}

std::vector<fs::path> volumeFolders(const fs::path& folder) {
    std::vector<fs::path> volumes;
    for (const auto& entry : sortedEntries(folder)) {
        if (entry.is_directory()) {
            volumes.push_back(entry.path());
        }
    }
    return volumes;
}

std::vector<ItemFiles> scanVolume(const fs::path& root, uint32_t depth, uint32_t option,
                                  const Lister& list) {
    std::vector<ItemFiles> items;
    if (depth > 0) {
        scanFolder(root, 0, depth, option, list, items);
    }
    return items;
}

} // namespace cdsim
