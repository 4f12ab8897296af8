#include "GphotoCard.h"

#include "../CardFile.h"
#include "../Log.h"
#include "../ScaledThumbnail.h"
#include "../State.h"
#include "../Transfer.h"
#include "ConfigTables.h"
#include "ReceivedFile.h"
#include "Worker.h"

#include <gphoto2/gphoto2-port-result.h>
#include <gphoto2/gphoto2-result.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;
using cdsim::Failure;

namespace cdgp {
namespace {

// How far a file is read for its metadata: a JPEG picture's EXIF data and
// frame header come before its picture data, a movie's picture size is in its
// first header and its shooting details in its ".THM". RAW files keep their
// EXIF data anywhere: they are read whole, up to the limit of whole reads.
uint64_t metadataBytes(uint32_t format) {
    switch (format) {
    case CD_FORMAT_JPEG:
        return 256 * 1024;
    case CD_FORMAT_MOVIE:
    case CD_FORMAT_SOUND:
        return 64 * 1024;
    default:
        return cdsim::WholeReadLimit;
    }
}

bool startsAsJpeg(const Bytes& bytes) {
    return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

bool isGone(int result) {
    return result == GP_ERROR_IO_USB_FIND || result == GP_ERROR_MODEL_NOT_FOUND;
}

// Waiting for events does nothing but read the camera's line, so any failure
// of the line there means it is broken: drivers such as PTP answer an
// unplugged camera with a plain input/output error.
bool isGoneWhileWaiting(int result) {
    return isGone(result) || result == GP_ERROR_IO || result == GP_ERROR_IO_READ ||
           result == GP_ERROR_IO_WRITE;
}

DeviceMaker& deviceMaker() {
    static DeviceMaker maker = openDevice;
    return maker;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    const auto last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// The value of a "Key: value" line of a camera summary.
std::string summaryValue(const std::string& summary, const std::string& key) {
    size_t at = 0;
    while ((at = summary.find(key + ":", at)) != std::string::npos) {
        if (at == 0 || summary[at - 1] == '\n' || summary[at - 1] == ' ') {
            const size_t begin = at + key.size() + 1;
            return trimmed(summary.substr(begin, summary.find('\n', begin) - begin));
        }
        ++at;
    }
    return {};
}

uint32_t portKind(const std::string& port) {
    if (port.rfind("usb:", 0) == 0) {
        return CD_PORT_USB;
    }
    return port.rfind("ieee1394:", 0) == 0 ? CD_PORT_IEEE1394 : CD_PORT_NONE;
}

uint32_t kilobytes(uint64_t value) {
    return static_cast<uint32_t>(std::min<uint64_t>(value, UINT32_MAX));
}

void writeLocal(const fs::path& file, const Bytes& bytes, int64_t modified) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (modified > 0) {
        const timespec times[2] = {{modified, 0}, {modified, 0}};
        utimensat(AT_FDCWD, file.c_str(), times, 0);
    }
}

// A file arriving from the camera, gathered into large blocks for the
// durable writer: a movie of any size needs one block of memory, and the
// writer's system calls stay few however small the driver's pieces are.
class BlockWriter {
  public:
    explicit BlockWriter(const std::string& path) : file_(path) { block_.reserve(BlockSize); }

    bool append(const unsigned char* bytes, size_t size) {
        received_ += size;
        while (size > 0 && file_.error() == 0) {
            const size_t taken = std::min(size, BlockSize - block_.size());
            block_.insert(block_.end(), bytes, bytes + taken);
            bytes += taken;
            size -= taken;
            if (block_.size() == BlockSize) {
                flush();
            }
        }
        return file_.error() == 0;
    }
    // Writes what is left and gives the file its name; an errno value.
    int commit() {
        flush();
        return file_.error() != 0 ? file_.error() : file_.commit();
    }
    int error() const { return file_.error(); }
    uint64_t received() const { return received_; }

  private:
    static constexpr size_t BlockSize = size_t(4) << 20;

    void flush() {
        if (!block_.empty()) {
            file_.appendBytes(block_.data(), block_.size());
            block_.clear();
        }
    }

    cdfile::NewFile file_;
    Bytes block_;
    uint64_t received_ = 0;
};

// The scratch folders are named after their process, "cdsdk-gphoto2-PID-...",
// so that a later run knows those of a run that was killed.
const std::string ScratchPrefix = "cdsdk-gphoto2-";

// Removes the scratch folders of ended processes (the user's own only).
void removeLeftScratch(const fs::path& folder) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        struct stat status {};
        if (!name.starts_with(ScratchPrefix) || ::lstat(entry.path().c_str(), &status) != 0 ||
            !S_ISDIR(status.st_mode) || status.st_uid != ::getuid()) {
            continue;
        }
        const std::string rest = name.substr(ScratchPrefix.size());
        const auto dash = rest.find('-');
        const std::string digits = rest.substr(0, dash);
        if (dash == std::string::npos || digits.empty() ||
            digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) {
            continue;
        }
        const auto writer = static_cast<pid_t>(std::stol(digits));
        if (writer != ::getpid() && ::kill(writer, 0) != 0 && errno == ESRCH) {
            fs::remove_all(entry.path(), error);
        }
    }
}

void logFailure(const GphotoError& error, const std::string& outcome) {
    cdsim::logLine("cdsdk: " + error.call + ": " + error.text + " (" +
                   std::to_string(error.result) + "), " + outcome);
}

} // namespace

cdError codeOfResult(int result) {
    switch (result) {
    case GP_ERROR_NOT_SUPPORTED:
        return CD_ERR_NOT_SUPPORTED;
    case GP_ERROR_BAD_PARAMETERS:
        return CD_ERR_BAD_PARAMETER;
    case GP_ERROR_FILE_NOT_FOUND:
    case GP_ERROR_DIRECTORY_NOT_FOUND:
        return CD_ERR_FILE_NOT_FOUND;
    case GP_ERROR_CAMERA_BUSY:
        return CD_ERR_BUSY;
    case GP_ERROR_IO_USB_FIND:
    case GP_ERROR_MODEL_NOT_FOUND:
        return CD_ERR_DEVICE_DISCONNECTED;
    case GP_ERROR_NO_SPACE:
        return CD_ERR_DISK_FULL;
    case GP_ERROR_NO_MEMORY:
    case GP_ERROR_LIBRARY:
        return CD_ERR_INTERNAL;
    default:
        return CD_ERR_FILE_IO;
    }
}

Choice choiceOf(const char* setting) {
    if (!setting) {
        return {true, false, std::nullopt};
    }
    const std::string text = setting;
    if (text == "gphoto2") {
        return {true, true, std::nullopt};
    }
    const std::string prefix = "gphoto2:";
    const size_t at = text.find('@');
    if (text.rfind(prefix, 0) != 0 || at == std::string::npos) {
        return {};
    }
    return {true, false,
            Detected{text.substr(prefix.size(), at - prefix.size()), text.substr(at + 1)}};
}

void replaceDevices(DeviceMaker make) {
    onWorker([&] { deviceMaker() = make ? std::move(make) : openDevice; });
}

std::vector<Detected> offeredCameras() {
    const Choice choice = choiceOf(std::getenv("LUMVIK_CAMERA"));
    if (!choice.libgphoto2) {
        return {};
    }
    if (choice.given) {
        return {*choice.given};
    }
    try {
        auto found = onWorker(autodetect);
        if (choice.firstOnly && found.size() > 1) {
            found.resize(1);
        }
        return found;
    } catch (const GphotoError& error) {
        logFailure(error, "no camera found");
        return {};
    }
}

// Runs work on the worker; a libgphoto2 failure is logged and becomes the
// layer's code, and a camera that went away is reported once.
template <class Call> auto GphotoCard::call(Call&& work) {
    try {
        return onWorker(std::forward<Call>(work));
    } catch (const GphotoError& error) {
        const cdError code = codeOfResult(error.result);
        logFailure(error, "answered as code " + std::to_string(code));
        if (isGone(error.result)) {
            disconnected();
        }
        throw Failure{code};
    }
}

GphotoCard::GphotoCard(const Detected& camera, std::function<void(uint32_t eventId)> told,
                       DeviceMaker make)
    : camera_(camera), told_(std::move(told)) {
    // Not yet connected while opening, so that a camera that cannot be
    // opened reports no disconnection.
    call([&] { device_ = make ? make(camera_) : deviceMaker()(camera_); });
    connected_ = true;
    eventTask_ = addIdleTask([this] { return pollEvents(); });
}

GphotoCard::~GphotoCard() {
    removeIdleTask(eventTask_);
    onWorker([this] { device_.reset(); });
    std::error_code error;
    if (!scratch_.empty()) {
        fs::remove_all(scratch_, error);
    }
}

// On the worker while nothing else is asked: reads the camera's events, and
// ends when the driver has none to give.
bool GphotoCard::pollEvents() {
    try {
        noteEvent(device_->waitForEvent(streaming_ ? 0 : 100));
        return true;
    } catch (const GphotoError& error) {
        if (error.result != GP_ERROR_NOT_SUPPORTED) {
            logFailure(error, "events no longer read");
        }
        if (isGoneWhileWaiting(error.result)) {
            disconnected();
        }
        return false;
    }
}

// A file the camera added, changed or removed by itself makes the card's
// folders be listed again, and whoever shows the card is told of a file
// added or removed. On the worker.
void GphotoCard::noteEvent(const CameraEvent& event) {
    using Kind = CameraEvent::Kind;
    if (event.kind == Kind::None || event.kind == Kind::CaptureComplete ||
        event.kind == Kind::Other) {
        return;
    }
    listed_.clear();
    if (event.kind == Kind::FileAdded && collecting_) {
        added_.emplace_back(event.path);
    }
    if (event.kind == Kind::FileAdded || event.kind == Kind::FileRemoved) {
        told_(CD_EVENT_CARD_CHANGED |
              (event.kind == Kind::FileAdded ? CD_EVENT_REASON_FILE_ADDED
                                             : CD_EVENT_REASON_FILE_REMOVED));
    }
}

void GphotoCard::collectAdded(bool on) {
    call([&] {
        collecting_ = on;
        added_.clear();
    });
}

std::vector<fs::path> GphotoCard::takeAdded() {
    // A camera that keeps telling of changed settings is not read forever.
    constexpr int mostEvents = 100;
    return call([this] {
        for (int read = 0; read < mostEvents; ++read) {
            const CameraEvent event = device_->waitForEvent(0);
            if (event.kind == CameraEvent::Kind::None) {
                break;
            }
            noteEvent(event);
        }
        return std::exchange(added_, {});
    });
}

void GphotoCard::disconnected() {
    if (connected_.exchange(false)) {
        told_(CD_EVENT_SHUTDOWN | CD_EVENT_REASON_CONNECTION_LOST);
    }
}

cdsim::CameraDescription GphotoCard::describe() {
    return call([this] {
        cdsim::CameraDescription description;
        description.model = camera_.model;
        description.port = portKind(camera_.port);
        const std::string summary = device_->summary();
        description.serialNumber = summaryValue(summary, "Serial Number");
        const Abilities abilities = device_->abilities();
        cdsim::Capabilities& offers = description.offers;
        offers.flash = false;
        if (abilities.configuration) {
            const Widget tree = device_->configuration();
            for (const char* name : {"ownername", "artist"}) {
                const Widget* owner = findWidget(tree, name);
                if (owner && description.owner.empty()) {
                    description.owner = owner->value;
                }
            }
            if (const auto zoom = zoomOf(tree)) {
                offers.opticalZoomMaximum = offers.zoomMaximum = zoom->maximum;
            }
            offers.flash = offerOf(tree, cdsim::FlashMode).has_value();
        }
        offers.upload = abilities.upload ? 1 : 0;
        offers.remoteRelease = abilities.capture ? 1 : 0;
        offers.viewfinder = abilities.capture && abilities.capturePreview;
        offers.viewfinderControls = false; // libgphoto2 has no call for them
        offers.parameterLists = true;      // every choice widget lists its choices
        offers.uploadSizes = {{1600, 1200}, {1024, 768}, {640, 480}};
        return description;
    });
}

std::vector<cdsim::CardVolume> GphotoCard::volumes() {
    const auto storages = call([this] { return device_->storages(); });
    if (storages.empty()) {
        // A driver that tells no storages, such as a folder's: its one tree,
        // named after the folder.
        const std::string folder = fs::path(camera_.port).filename().string();
        return {{"/", folder.empty() ? camera_.model : folder}};
    }
    std::vector<cdsim::CardVolume> found;
    for (const auto& storage : storages) {
        const std::string name = !storage.description.empty()
                                     ? storage.description
                                     : fs::path(storage.base).filename().string();
        found.push_back(
            {storage.base, name, kilobytes(storage.capacityKBytes), kilobytes(storage.freeKBytes)});
    }
    return found;
}

cdsim::Listing GphotoCard::list(const fs::path& folder) {
    const std::string path = folder.string();
    return call([&] {
        cdsim::Listing listing;
        try {
            listing.folders = device_->folders(path);
            listed_[path] = device_->files(path);
        } catch (const GphotoError& error) {
            if (codeOfResult(error.result) != CD_ERR_FILE_NOT_FOUND) {
                throw;
            }
            return listing; // a card without the folder lists nothing there
        }
        for (const auto& file : listed_[path]) {
            listing.files.push_back(file.name);
        }
        std::sort(listing.files.begin(), listing.files.end());
        std::sort(listing.folders.begin(), listing.folders.end());
        return listing;
    });
}

// The listed entry of a file, listing its folder when it was not yet; on the worker.
const FileEntry* GphotoCard::entry(const std::string& path) {
    const fs::path file(path);
    const std::string folder = file.parent_path().string();
    if (!listed_.count(folder)) {
        listed_[folder] = device_->files(folder);
    }
    for (const auto& found : listed_[folder]) {
        if (found.name == file.filename().string()) {
            return &found;
        }
    }
    return nullptr;
}

uint32_t GphotoCard::size(const fs::path& file) {
    return call([&] {
        const FileEntry* found = entry(file.string());
        return found ? static_cast<uint32_t>(std::min<uint64_t>(found->size, UINT32_MAX)) : 0u;
    });
}

// At most limit bytes from the file's start, with its listed time; on the worker.
std::pair<Bytes, int64_t> GphotoCard::head(const std::string& path, uint64_t limit) {
    const FileEntry* found = entry(path);
    if (found && found->size > 0) {
        limit = std::min(limit, found->size);
    }
    return {device_->readHead(path, limit), found ? found->modified : int64_t(0)};
}

fs::path GphotoCard::scratch() {
    if (scratch_.empty()) {
        removeLeftScratch(fs::temp_directory_path());
        std::string pattern =
            (fs::temp_directory_path() / (ScratchPrefix + std::to_string(::getpid()) + "-XXXXXX"))
                .string();
        if (!mkdtemp(pattern.data())) {
            throw Failure{CD_ERR_FILE_IO};
        }
        scratch_ = pattern;
    }
    return scratch_;
}

// The files are read into a scratch folder under their own folder's name,
// with the camera's file times, so the metadata reader sees what it would on
// a card; they are gone again afterwards. A JPEG picture whose start does not
// read is read further, up to the limit of whole reads.
cdsim::ItemMetadata GphotoCard::metadata(const cdsim::ItemFiles& files,
                                         const cdsim::CameraDescription* camera) {
    bool cutShort = false;
    cdsim::ItemMetadata found = metadataOf(files, camera, metadataBytes(files.format), &cutShort);
    return found.readable || files.format != CD_FORMAT_JPEG || !cutShort
               ? found
               : metadataOf(files, camera, cdsim::WholeReadLimit, nullptr);
}

// cutShort, when given, tells whether the picture's file begins like a JPEG
// picture and goes on past what was read of it.
cdsim::ItemMetadata GphotoCard::metadataOf(const cdsim::ItemFiles& files,
                                           const cdsim::CameraDescription* camera, uint64_t limit,
                                           bool* cutShort) {
    const auto fetch = [&](const fs::path& file, uint64_t most) {
        const fs::path local = scratch() / file.parent_path().filename() / file.filename();
        const auto [bytes, modified] = call([&] { return head(file.string(), most); });
        if (cutShort && file == files.main) {
            *cutShort = bytes.size() == most && startsAsJpeg(bytes);
        }
        writeLocal(local, bytes, modified);
        return local;
    };
    cdsim::ItemFiles local{fetch(files.main, limit), {}, {}, files.format};
    if (!files.thumbnail.empty()) {
        local.thumbnail = fetch(files.thumbnail, cdsim::WholeReadLimit);
    }
    cdsim::ItemMetadata found = readMetadata(local, camera);
    std::error_code error;
    fs::remove(local.main, error);
    fs::remove(local.thumbnail, error);
    return found;
}

// The driver's own preview, else the EXIF thumbnail, else the ".THM"
// companion, else for a JPEG picture a scaled copy of it; a file larger than
// the limit of whole reads gives none.
Bytes GphotoCard::thumbnail(const cdsim::ItemFiles& files, const cdsim::ItemMetadata& metadata) {
    const std::string path = files.main.string();
    const auto preview = call([&] {
        if (!device_->abilities().filePreview) {
            return Bytes();
        }
        try {
            return device_->read(path, FileKind::Preview, {});
        } catch (const GphotoError&) {
            return Bytes(); // no preview of this file: the other sources follow
        }
    });
    if (!preview.empty()) {
        return preview;
    }
    if (!metadata.exifThumbnail.empty()) {
        return metadata.exifThumbnail;
    }
    const auto whole = [&](const fs::path& file) {
        return call([&] {
            const FileEntry* found = entry(file.string());
            return found && found->size > cdsim::WholeReadLimit
                       ? Bytes()
                       : head(file.string(), cdsim::WholeReadLimit).first;
        });
    };
    if (!files.thumbnail.empty()) {
        return whole(files.thumbnail);
    }
    return files.format == CD_FORMAT_JPEG ? cdsim::scaledThumbnail(whole(files.main)) : Bytes();
}

// The file streams from the driver into the durable writer on the worker.
// Progress counts the bytes that arrived against the listed size, or follows
// the driver's own reports when the size is unknown.
cdError GphotoCard::transfer(const fs::path& file, const std::string& path,
                             cdProgressCallbackFunction progress, cdContext context) {
    uint32_t shown = 0;
    bool stopped = false;
    const auto report = [&](double fraction) {
        const auto percent = static_cast<uint32_t>(std::clamp(fraction * 100, 0.0, 99.0));
        if (progress && (percent > shown || fraction == 0)) {
            shown = percent;
            stopped = stopped || progress(percent, CD_PROGRESS_STATUS_TRANSFER, context) != 0;
        }
        return !stopped;
    };
    try {
        report(0);
        BlockWriter writer(path);
        if (writer.error() != 0) {
            return CD_ERR_FILE_IO;
        }
        call([&] {
            const FileEntry* found = entry(file.string());
            const uint64_t size = found ? found->size : 0;
            const Progress relay = [&](double fraction) { return size > 0 || report(fraction); };
            device_->receive(
                file.string(),
                [&](const unsigned char* bytes, size_t count) {
                    return writer.append(bytes, count) &&
                           (size == 0 || report(double(writer.received()) / double(size)));
                },
                relay);
        });
        // A stop is not a failure of the card: the caller ends quietly on it.
        if (stopped) {
            return CD_ERR_CANCELLED;
        }
        if (writer.commit() != 0) {
            return CD_ERR_FILE_IO;
        }
        if (progress) {
            progress(100, CD_PROGRESS_STATUS_TRANSFER, context);
        }
        return CD_OK;
    } catch (const Failure& failure) {
        // Drivers end a refused block with their own cancel error.
        return stopped ? CD_ERR_CANCELLED : failure.code;
    }
}

// A value turned on the camera's own dials shows within this time.
constexpr auto ConfigurationKept = std::chrono::seconds(2);

Widget GphotoCard::configuration() {
    return call([this] {
        const auto now = std::chrono::steady_clock::now();
        if (!configuration_ || now - configurationRead_ > ConfigurationKept) {
            configuration_ = device_->configuration();
            configurationRead_ = now;
        }
        return *configuration_;
    });
}

// Whether the camera takes the value or not, the next reading asks it again.
void GphotoCard::configure(const std::string& name, const std::string& value) {
    call([&] {
        configuration_.reset();
        device_->configure(name, value);
    });
}

// PTP's ptp2 answers a card that runs full during the shot with "out of
// memory", and one found full before it with the camera's "Store Full": both
// are the card's lack of space, not the computer's. On the worker.
fs::path GphotoCard::capturedOrCardFull() {
    try {
        return device_->capture();
    } catch (const GphotoError& error) {
        if (error.result == GP_ERROR_NO_MEMORY ||
            error.text.find("Store Full") != std::string::npos) {
            throw GphotoError{error.call, GP_ERROR_NO_SPACE, error.text};
        }
        throw;
    }
}

// The new file's folder is listed again when next asked, so that the file is
// found; the camera's settings are read again, as a shot may change them.
fs::path GphotoCard::capture() {
    return call([this] {
        configuration_.reset();
        const fs::path file = capturedOrCardFull();
        listed_.erase(file.parent_path().string());
        return file;
    });
}

Bytes GphotoCard::preview() {
    return call([this] { return device_->capturePreview(); });
}

void GphotoCard::remove(const fs::path& file) {
    call([&] {
        device_->remove(file.string());
        listed_.erase(file.parent_path().string());
    });
}

// Makes folder and the folders above it that the card lacks; on the worker.
void GphotoCard::makeFolders(const fs::path& folder) {
    if (folder == folder.root_path() || folder.empty()) {
        return;
    }
    makeFolders(folder.parent_path());
    const auto present = device_->folders(folder.parent_path().string());
    if (std::find(present.begin(), present.end(), folder.filename().string()) == present.end()) {
        device_->makeFolder(folder.parent_path().string(), folder.filename().string());
    }
}

cdError GphotoCard::store(const fs::path& file, const Bytes& bytes,
                          cdProgressCallbackFunction progress, cdContext context) {
    try {
        if (progress) {
            progress(0, CD_PROGRESS_STATUS_TRANSFER, context);
        }
        call([&] {
            makeFolders(file.parent_path());
            device_->put(file.string(), bytes);
            listed_.erase(file.parent_path().string());
        });
        if (progress) {
            progress(100, CD_PROGRESS_STATUS_TRANSFER, context);
        }
        return CD_OK;
    } catch (const Failure& failure) {
        return failure.code;
    }
}

} // namespace cdgp
