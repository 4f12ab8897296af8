#pragma once
// Where a camera source's files are and how they are reached: the folders of
// the simulated camera or of the computer, or a camera behind libgphoto2.
// Paths are the card's own; a failure throws Failure with the layer's code.

#include "ItemMetadata.h"
#include "cdsdk.h"
#include "sim/CameraFolder.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace cdsim {

struct CardVolume {
    std::filesystem::path root;
    std::string name;
    uint32_t totalKBytes = 0;
    uint32_t freeKBytes = 0;
};

class Card {
  public:
    virtual ~Card() = default;

    virtual std::vector<CardVolume> volumes() = 0;
    virtual Listing list(const std::filesystem::path& folder) = 0;
    // camera: the description of the camera holding the item, or null.
    virtual ItemMetadata metadata(const ItemFiles& files, const CameraDescription* camera) = 0;
    // The item's thumbnail as JPEG bytes, empty when it has none.
    virtual Bytes thumbnail(const ItemFiles& files, const ItemMetadata& metadata) = 0;
    virtual uint32_t size(const std::filesystem::path& file) = 0;
    // Writes the card's file to the computer's file at path, with progress
    // reports when progress is given. Runs on a transfer thread: it answers
    // with a code and throws nothing.
    virtual cdError transfer(const std::filesystem::path& file, const std::string& path,
                             cdProgressCallbackFunction progress, cdContext context) = 0;
    virtual void remove(const std::filesystem::path& file) = 0;
    // Stores bytes as a new file of the card, making its folder when missing;
    // throws nothing, like transfer.
    virtual cdError store(const std::filesystem::path& file, const Bytes& bytes,
                          cdProgressCallbackFunction progress, cdContext context) = 0;
    Lister lister() {
        return [this](const std::filesystem::path& folder) { return list(folder); };
    }
    // How fast the card's data moves.
    virtual Pace pace() const { return {}; }
    // false once the camera went away.
    virtual bool connected() const { return true; }
};

// The files of a folder of the computer: the simulated camera's, whose
// volumes are its immediate subfolders, or with an empty folder the computer's
// own, whose one volume is "/". Its data moves at pace.
std::shared_ptr<Card> folderCard(const std::filesystem::path& folder, Pace pace = {});

} // namespace cdsim
