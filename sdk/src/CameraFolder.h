#pragma once
// The simulated camera's folder: its description file and its volumes laid out
// like memory cards.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cdsim {

struct CameraDescription {
    std::string model;
    std::string owner;
    std::string serialNumber;
    uint32_t port = 0;
};

// The files one image item consists of: its own file and its companions.
struct ItemFiles {
    std::filesystem::path main;
    std::filesystem::path thumbnail; // a ".THM" companion, or empty
    std::filesystem::path sound;     // a ".WAV" sound note, or empty
    uint32_t format = 0;
};

// The folder named by LUMVIK_CAMERA=sim:DIR when it holds a camera description.
std::optional<std::filesystem::path> pluggedCameraFolder();

CameraDescription readDescription(const std::filesystem::path& folder);

// The camera's volumes: its immediate subfolders, ordered by name.
std::vector<std::filesystem::path> volumeFolders(const std::filesystem::path& folder);

// The items of a volume up to depth folder levels below its root, folder by
// folder in name order; option is one of the CD_ENUM_... values.
std::vector<ItemFiles> scanVolume(const std::filesystem::path& root, uint32_t depth,
                                  uint32_t option);

// The file called name in folder: the exact name, else the same name in any letter case.
std::filesystem::path findNeighbour(const std::filesystem::path& folder, const std::string& name);

std::string upper(std::string text);

} // namespace cdsim
