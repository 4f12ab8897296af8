#pragma once
// The simulated camera's folder: its description file and its volumes laid out
// like memory cards.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace cdsim {

// What a camera offers for remote control; without its keys, none of it.
struct Capabilities {
    std::optional<uint32_t> remoteRelease; // device property 8, when the camera lists it
    std::optional<uint32_t> upload;        // device property 4, when the camera lists it
    uint32_t opticalZoomMaximum = 0;
    uint32_t zoomMaximum = 0; // 0: no zoom
    bool viewfinder = false;
    // The viewfinder's output choice and its automatic functions on demand.
    bool viewfinderControls = true;
    uint32_t viewfinderFramesPerSecond = 15; // 0: frames only on demand
    bool parameterLists = false;
    bool flash = true;
    std::vector<std::pair<uint32_t, uint32_t>> uploadSizes;
};

// How fast the simulated camera answers, like a real one over its cable:
// every data read (picture, movie, thumbnail, uploaded picture) moves at
// readBytesPerSecond, and every call of the layer first waits callLatencyMs.
// 0 means at once.
struct Pace {
    uint64_t readBytesPerSecond = 0;
    uint32_t callLatencyMs = 0;
};

struct CameraDescription {
    std::string model;
    std::string owner;
    std::string serialNumber;
    uint32_t port = 0;
    Capabilities offers;
    Pace pace;
};

// The files one image item consists of: its own file and its companions.
struct ItemFiles {
    std::filesystem::path main;
    std::filesystem::path thumbnail; // a ".THM" companion, or empty
    std::filesystem::path sound;     // a ".WAV" sound note, or empty
    uint32_t format = 0;
};

// One folder of a card: the names of its files and of its subfolders, each in
// ascending byte order.
struct Listing {
    std::vector<std::string> files;
    std::vector<std::string> folders;
};
using Lister = std::function<Listing(const std::filesystem::path& folder)>;

// A folder of the computer; nothing when it cannot be listed. Only regular
// files and folders are listed; cardListing lists links among them only when
// they stay below root, the card's (see cardEntryKind).
Listing diskListing(const std::filesystem::path& folder);
Listing cardListing(const std::filesystem::path& folder, const std::filesystem::path& root);

// The folder named by LUMVIK_CAMERA=sim:DIR when it holds a camera description.
std::optional<std::filesystem::path> pluggedCameraFolder();

CameraDescription readDescription(const std::filesystem::path& folder);

// The camera's volumes: its immediate subfolders, ordered by name.
std::vector<std::filesystem::path> volumeFolders(const std::filesystem::path& folder);

// The items of a volume up to depth folder levels below its root, folder by
// folder in name order; option is one of the CD_ENUM_... values.
std::vector<ItemFiles> scanVolume(const std::filesystem::path& root, uint32_t depth,
                                  uint32_t option, const Lister& list = diskListing);

// Where the next picture of a volume goes: the folder of the highest number
// below DCIM and one more than the highest file number of the card, in a new
// folder after 9999; DCIM/100CANON/IMG_0001.JPG on an empty card.
std::filesystem::path nextPicturePath(const std::filesystem::path& volumeRoot,
                                      const Lister& list = diskListing);

// The file called name in folder: the exact name, else the same name in any letter case.
std::filesystem::path findNeighbour(const std::filesystem::path& folder, const std::string& name);

std::string upper(std::string text);

// The format code of a file by its extension, in any letter case.
std::optional<uint32_t> formatOfExtension(const std::string& extension);

} // namespace cdsim
