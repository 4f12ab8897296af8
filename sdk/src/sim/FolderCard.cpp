#include "../Card.h"

#include "../CardFile.h"
#include "../ScaledThumbnail.h"
#include "../State.h"
#include "../Transfer.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace cdsim {
namespace {

uint32_t kilobytes(uintmax_t bytes) {
    return static_cast<uint32_t>(std::min<uintmax_t>(bytes / 1024, UINT32_MAX));
}

class FolderCard final : public Card {
  public:
    FolderCard(fs::path folder, Pace pace) : folder_(std::move(folder)), pace_(pace) {}

    std::vector<CardVolume> volumes() override {
        std::vector<CardVolume> found;
        const auto roots = folder_.empty() ? std::vector<fs::path>{"/"} : volumeFolders(folder_);
        for (const auto& root : roots) {
            CardVolume volume{root, folder_.empty() ? root.string() : root.filename().string()};
            std::error_code error;
            const auto space = fs::space(root, error);
            if (!error) {
                volume.totalKBytes = kilobytes(space.capacity);
                volume.freeKBytes = kilobytes(space.available);
            }
            found.push_back(volume);
        }
        return found;
    }

    Listing list(const fs::path& folder) override { return cardListing(folder, cardOf(folder)); }

    ItemMetadata metadata(const ItemFiles& files, const CameraDescription* camera) override {
        return readMetadata(files, camera);
    }

    // The EXIF thumbnail, else the ".THM" companion, else for a JPEG picture a
    // scaled copy of it.
    Bytes thumbnail(const ItemFiles& files, const ItemMetadata& metadata) override {
        if (!metadata.exifThumbnail.empty()) {
            return metadata.exifThumbnail;
        }
        if (!files.thumbnail.empty()) {
            return readBoundedFile(files.thumbnail, WholeReadLimit).value_or(Bytes());
        }
        return files.format == CD_FORMAT_JPEG ? scaledThumbnail(files.main) : Bytes();
    }

    uint32_t size(const fs::path& file) override {
        std::error_code error;
        const auto size = fs::file_size(file, error);
        // A file of 4 GB or more shows as the largest size the record holds,
        // as libgphoto2's cameras show it, not as what is left over.
        return error ? 0 : static_cast<uint32_t>(std::min<uintmax_t>(size, UINT32_MAX));
    }

    cdError transfer(const fs::path& file, const std::string& path,
                     cdProgressCallbackFunction progress, cdContext context) override {
        std::error_code error;
        if (!fs::is_regular_file(file, error)) {
            return CD_ERR_FILE_NOT_FOUND;
        }
        return copyFile(file.string(), path, {progress, context, pace_});
    }

    void remove(const fs::path& file) override {
        std::error_code error;
        if (!fs::remove(file, error)) {
            throw Failure{CD_ERR_FILE_IO};
        }
    }

    cdError store(const fs::path& file, const Bytes& bytes, cdProgressCallbackFunction progress,
                  cdContext context) override {
        std::error_code error;
        fs::create_directories(file.parent_path(), error);
        return writeBytes(bytes, file.string(), {progress, context, pace_});
    }

    Pace pace() const override { return pace_; }

  private:
    // The volume holding folder: what its links may lead to.
    fs::path cardOf(const fs::path& folder) const {
        if (folder_.empty()) {
            return "/";
        }
        const fs::path below = folder.lexically_relative(folder_);
        const fs::path volume = below.empty() ? fs::path() : *below.begin();
        return volume.empty() || volume == "." || volume == ".." ? folder : folder_ / volume;
    }

    fs::path folder_;
    Pace pace_;
};

} // namespace

std::shared_ptr<Card> folderCard(const fs::path& folder, Pace pace) {
    return std::make_shared<FolderCard>(folder, pace);
}

} // namespace cdsim
