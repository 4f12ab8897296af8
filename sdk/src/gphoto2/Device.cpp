// The device over libgphoto2: one context and one camera. It is made, used
// and destroyed on the layer's worker thread only.

#include "Device.h"

#include "../CardFile.h"
#include "../Log.h"
#include "Worker.h"

#include <gphoto2/gphoto2.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>
#ifdef LUMVIK_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

namespace cdgp {
namespace {

constexpr std::string_view DiskPort = "disk:";

// Runs a libgphoto2 call that loads the port or camera drivers. The library
// unloads them after it, and what they allocated stays behind out of reach,
// which the leak check of a sanitized build would blame on us.
template <class Call> int loadingDrivers(Call call) {
#ifdef LUMVIK_LEAK_CHECK
    __lsan::ScopedDisabler leftoversUnchecked;
#endif
    return call();
}

void check(const char* call, int result) {
    if (result < GP_OK) {
        throw GphotoError{call, result, gp_result_as_string(result)};
    }
}

template <class T, int (*Free)(T*)> struct Owned {
    T* object = nullptr;
    Owned() = default;
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() {
        if (object) {
            Free(object);
        }
    }
};

struct List : Owned<CameraList, gp_list_free> {
    List() { check("gp_list_new", gp_list_new(&object)); }
    std::vector<std::string> names() const {
        std::vector<std::string> found;
        for (int i = 0; i < gp_list_count(object); ++i) {
            const char* name = nullptr;
            gp_list_get_name(object, i, &name);
            found.emplace_back(name ? name : "");
        }
        return found;
    }
};

struct File : Owned<CameraFile, gp_file_unref> {
    File() { check("gp_file_new", gp_file_new(&object)); }
    Bytes bytes() const {
        const char* data = nullptr;
        unsigned long size = 0;
        check("gp_file_get_data_and_size", gp_file_get_data_and_size(object, &data, &size));
        return Bytes(data, data + size);
    }
};

std::pair<std::string, std::string> split(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    return {folder, path.substr(slash + 1)};
}

std::string joined(const CameraFilePath& path) {
    const std::string folder = path.folder;
    return (folder.empty() || folder.back() != '/' ? folder + "/" : folder) + path.name;
}

// Carries a transfer's progress from the context to the caller.
struct ProgressRelay {
    const Progress* progress = nullptr;
    float target = 1;
    bool stopped = false;

    static unsigned int start(GPContext*, float target, const char*, void* data) {
        static_cast<ProgressRelay*>(data)->target = target > 0 ? target : 1;
        return 1;
    }
    static void update(GPContext*, unsigned int, float current, void* data) {
        stillWorking();
        auto& relay = *static_cast<ProgressRelay*>(data);
        if (relay.progress && *relay.progress && !(*relay.progress)(current / relay.target)) {
            relay.stopped = true;
        }
    }
    static void stop(GPContext*, unsigned int, void*) {}
    static GPContextFeedback cancel(GPContext*, void* data) {
        return static_cast<ProgressRelay*>(data)->stopped ? GP_CONTEXT_FEEDBACK_CANCEL
                                                          : GP_CONTEXT_FEEDBACK_OK;
    }
};

// A CameraFile whose bytes go to a receiver instead of memory: the drivers
// append what they read from the camera block by block. Drivers differ in
// whether they heed a failed append, so a refusal also cancels the context.
struct ReceivingFile : Owned<CameraFile, gp_file_unref> {
    ReceivingFile(const Receiver& receiver, ProgressRelay& relay)
        : receiver(receiver), relay(relay) {
        check("gp_file_new_from_handler", gp_file_new_from_handler(&object, &handler, this));
    }

    static int size(void*, uint64_t*) { return GP_OK; }
    static int read(void*, unsigned char*, uint64_t*) { return GP_ERROR_NOT_SUPPORTED; }
    static int write(void* data, unsigned char* bytes, uint64_t* length) {
        stillWorking();
        auto& file = *static_cast<ReceivingFile*>(data);
        if (!file.receiver(bytes, *length)) {
            file.relay.stopped = true;
            return GP_ERROR_CANCEL;
        }
        return GP_OK;
    }

    static inline CameraFileHandler handler{size, read, write};
    const Receiver& receiver;
    ProgressRelay& relay;
};

Widget widgetOf(CameraWidget* widget) {
    Widget found;
    const char* name = nullptr;
    gp_widget_get_name(widget, &name);
    found.name = name ? name : "";
    int readOnly = 0;
    gp_widget_get_readonly(widget, &readOnly);
    found.readOnly = readOnly != 0;
    CameraWidgetType type;
    gp_widget_get_type(widget, &type);
    if (type == GP_WIDGET_MENU || type == GP_WIDGET_RADIO || type == GP_WIDGET_TEXT) {
        const char* value = nullptr;
        if (gp_widget_get_value(widget, &value) == GP_OK && value) {
            found.value = value;
        }
    }
    if (type == GP_WIDGET_RANGE) {
        float value = 0;
        float minimum = 0;
        float step = 0;
        gp_widget_get_value(widget, &value);
        gp_widget_get_range(widget, &minimum, &found.maximum, &step);
        found.value = std::to_string(static_cast<long>(value));
    }
    if (type == GP_WIDGET_MENU || type == GP_WIDGET_RADIO) {
        for (int i = 0; i < gp_widget_count_choices(widget); ++i) {
            const char* choice = nullptr;
            gp_widget_get_choice(widget, i, &choice);
            found.choices.emplace_back(choice ? choice : "");
        }
    }
    for (int i = 0; i < gp_widget_count_children(widget); ++i) {
        CameraWidget* child = nullptr;
        if (gp_widget_get_child(widget, i, &child) == GP_OK) {
            found.children.push_back(widgetOf(child));
        }
    }
    return found;
}

// A widget's value from its text, as its type holds it.
int setValue(CameraWidget* widget, const std::string& value) {
    CameraWidgetType type;
    gp_widget_get_type(widget, &type);
    switch (type) {
    case GP_WIDGET_RANGE: {
        const float position = std::strtof(value.c_str(), nullptr);
        return gp_widget_set_value(widget, &position);
    }
    case GP_WIDGET_TOGGLE: {
        const int on = std::atoi(value.c_str());
        return gp_widget_set_value(widget, &on);
    }
    case GP_WIDGET_TEXT:
    case GP_WIDGET_MENU:
    case GP_WIDGET_RADIO:
        return gp_widget_set_value(widget, value.c_str());
    default:
        return GP_ERROR_BAD_PARAMETERS;
    }
}

// An event as libgphoto2 gives it: a path with the files and folders added or
// changed, and for PTP's removed objects, which it has no kind for, a text.
CameraEvent eventOf(CameraEventType type, const void* data) {
    using Kind = CameraEvent::Kind;
    const auto pathOf = [data](Kind kind) {
        return CameraEvent{kind, joined(*static_cast<const CameraFilePath*>(data))};
    };
    switch (type) {
    case GP_EVENT_FILE_ADDED:
        return pathOf(Kind::FileAdded);
    case GP_EVENT_FOLDER_ADDED:
        return pathOf(Kind::FolderAdded);
    case GP_EVENT_FILE_CHANGED:
        return pathOf(Kind::FileChanged);
    case GP_EVENT_CAPTURE_COMPLETE:
        return {Kind::CaptureComplete, {}};
    case GP_EVENT_UNKNOWN:
        if (data && std::strstr(static_cast<const char*>(data), "ObjectRemoved")) {
            return {Kind::FileRemoved, {}};
        }
        return {Kind::Other, {}};
    case GP_EVENT_TIMEOUT:
        return {};
    default:
        return {Kind::Other, {}};
    }
}

// libgphoto2's own error lines go to the layer's log; installed once, before
// the first call that could write one.
void forwardLibraryErrors() {
    static const bool installed = [] {
        gp_log_add_func(
            GP_LOG_ERROR,
            [](GPLogLevel, const char* domain, const char* text, void*) {
                cdsim::logLine(std::string("libgphoto2: ") + domain + ": " + text);
            },
            nullptr);
        return true;
    }();
    (void)installed;
}

// Every camera the drivers know, loaded once: loading opens every driver,
// which takes longer than a whole card's listing. On the worker only.
CameraAbilitiesList* knownCameras(GPContext* context) {
    static CameraAbilitiesList* const loaded = [context] {
        CameraAbilitiesList* list = nullptr;
        check("gp_abilities_list_new", gp_abilities_list_new(&list));
        check("gp_abilities_list_load",
              loadingDrivers([&] { return gp_abilities_list_load(list, context); }));
        return list;
    }();
    return loaded;
}

class LibDevice final : public Device {
  public:
    explicit LibDevice(const Detected& camera) {
        if (camera.port.starts_with(DiskPort)) {
            diskRoot_ = camera.port.substr(DiskPort.size());
        }
        forwardLibraryErrors();
        context_ = gp_context_new();
        gp_context_set_error_func(context_, toldError, this);
        gp_context_set_status_func(context_, told, this);
        gp_context_set_message_func(context_, told, this);
        gp_context_set_progress_funcs(context_, ProgressRelay::start, ProgressRelay::update,
                                      ProgressRelay::stop, &relay_);
        gp_context_set_cancel_func(context_, ProgressRelay::cancel, &relay_);
        check("gp_camera_new", gp_camera_new(&camera_));
        try {
            choose(camera);
            check("gp_camera_init", gp_camera_init(camera_, context_));
        } catch (...) {
            release();
            throw;
        }
    }
    ~LibDevice() override {
        gp_camera_exit(camera_, context_);
        release();
    }

    Abilities abilities() override {
        CameraAbilities own;
        check("gp_camera_get_abilities", gp_camera_get_abilities(camera_, &own));
        return {(own.operations & GP_OPERATION_CONFIG) != 0,
                (own.file_operations & GP_FILE_OPERATION_PREVIEW) != 0,
                (own.folder_operations & GP_FOLDER_OPERATION_PUT_FILE) != 0,
                (own.operations & GP_OPERATION_CAPTURE_IMAGE) != 0,
                (own.operations & GP_OPERATION_CAPTURE_PREVIEW) != 0};
    }

    std::string summary() override {
        CameraText text;
        return gp_camera_get_summary(camera_, &text, context_) == GP_OK ? text.text : "";
    }

    std::vector<Storage> storages() override {
        CameraStorageInformation* information = nullptr;
        int count = 0;
        const int result = gp_camera_get_storageinfo(camera_, &information, &count, context_);
        if (result == GP_ERROR_NOT_SUPPORTED) {
            return {};
        }
        check("gp_camera_get_storageinfo", result);
        std::vector<Storage> found;
        for (int i = 0; i < count; ++i) {
            const auto& one = information[i];
            if (!(one.fields & GP_STORAGEINFO_BASE)) {
                continue;
            }
            Storage storage{one.basedir, (one.fields & GP_STORAGEINFO_DESCRIPTION) ? one.description
                                         : (one.fields & GP_STORAGEINFO_LABEL)     ? one.label
                                                                                   : ""};
            storage.capacityKBytes = one.capacitykbytes;
            storage.freeKBytes = one.freekbytes;
            found.push_back(storage);
        }
        free(information);
        return found;
    }

    std::vector<std::string> folders(const std::string& folder) override {
        List list;
        check("gp_camera_folder_list_folders",
              gp_camera_folder_list_folders(camera_, folder.c_str(), list.object, context_));
        return listed(folder, list.names(), cdsim::EntryKind::Folder);
    }

    std::vector<FileEntry> files(const std::string& folder) override {
        List list;
        check("gp_camera_folder_list_files",
              gp_camera_folder_list_files(camera_, folder.c_str(), list.object, context_));
        std::vector<FileEntry> found;
        for (const auto& name : listed(folder, list.names(), cdsim::EntryKind::File)) {
            CameraFileInfo info;
            FileEntry entry{name};
            if (gp_camera_file_get_info(camera_, folder.c_str(), name.c_str(), &info, context_) ==
                GP_OK) {
                entry.size = (info.file.fields & GP_FILE_INFO_SIZE) ? info.file.size : 0;
                entry.modified = (info.file.fields & GP_FILE_INFO_MTIME) ? info.file.mtime : 0;
            }
            found.push_back(entry);
        }
        return found;
    }

    Bytes read(const std::string& path, FileKind kind, const Progress& progress) override {
        const auto [folder, name] = split(path);
        File file;
        relay_ = ProgressRelay{&progress};
        const int result = gp_camera_file_get(camera_, folder.c_str(), name.c_str(),
                                              kind == FileKind::Preview ? GP_FILE_TYPE_PREVIEW
                                                                        : GP_FILE_TYPE_NORMAL,
                                              file.object, context_);
        relay_ = ProgressRelay{};
        check("gp_camera_file_get", result);
        return file.bytes();
    }

    void receive(const std::string& path, const Receiver& receiver,
                 const Progress& progress) override {
        const auto [folder, name] = split(path);
        relay_ = ProgressRelay{&progress};
        ReceivingFile file(receiver, relay_);
        const int result = gp_camera_file_get(camera_, folder.c_str(), name.c_str(),
                                              GP_FILE_TYPE_NORMAL, file.object, context_);
        relay_ = ProgressRelay{};
        check("gp_camera_file_get", result);
    }

    Bytes readHead(const std::string& path, uint64_t size) override {
        // A folder's driver reads no parts and would hand over whole files
        // for their first bytes: the folder is read directly instead.
        if (!diskRoot_.empty()) {
            if (std::optional<Bytes> head = cdsim::readFileHead(diskRoot_ + path, size)) {
                return std::move(*head);
            }
            throw GphotoError{"readFileHead", GP_ERROR_FILE_NOT_FOUND, path + " cannot be read"};
        }
        const auto [folder, name] = split(path);
        Bytes head(size);
        uint64_t read = size;
        const int result =
            gp_camera_file_read(camera_, folder.c_str(), name.c_str(), GP_FILE_TYPE_NORMAL, 0,
                                reinterpret_cast<char*>(head.data()), &read, context_);
        if (result == GP_ERROR_NOT_SUPPORTED) {
            said_.clear();
            return headReceived(path, size);
        }
        check("gp_camera_file_read", result);
        head.resize(std::min(read, size));
        return head;
    }

    void remove(const std::string& path) override {
        const auto [folder, name] = split(path);
        check("gp_camera_file_delete",
              gp_camera_file_delete(camera_, folder.c_str(), name.c_str(), context_));
    }

    void makeFolder(const std::string& folder, const std::string& name) override {
        check("gp_camera_folder_make_dir",
              gp_camera_folder_make_dir(camera_, folder.c_str(), name.c_str(), context_));
    }

    void put(const std::string& path, const Bytes& bytes) override {
        const auto [folder, name] = split(path);
        File file;
        check(
            "gp_file_append",
            gp_file_append(file.object, reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        check("gp_camera_folder_put_file",
              gp_camera_folder_put_file(camera_, folder.c_str(), name.c_str(), GP_FILE_TYPE_NORMAL,
                                        file.object, context_));
    }

    Widget configuration() override {
        CameraWidget* root = nullptr;
        check("gp_camera_get_config", gp_camera_get_config(camera_, &root, context_));
        Widget tree = widgetOf(root);
        gp_widget_free(root);
        return tree;
    }

    void configure(const std::string& name, const std::string& value) override {
        Owned<CameraWidget, gp_widget_free> root;
        check("gp_camera_get_config", gp_camera_get_config(camera_, &root.object, context_));
        CameraWidget* widget = nullptr;
        check("gp_widget_get_child_by_name",
              gp_widget_get_child_by_name(root.object, name.c_str(), &widget));
        check("gp_widget_set_value", setValue(widget, value));
        check("gp_camera_set_config", gp_camera_set_config(camera_, root.object, context_));
    }

    std::string capture() override {
        CameraFilePath path{};
        check("gp_camera_capture", gp_camera_capture(camera_, GP_CAPTURE_IMAGE, &path, context_));
        return joined(path);
    }

    Bytes capturePreview() override {
        File file;
        check("gp_camera_capture_preview",
              gp_camera_capture_preview(camera_, file.object, context_));
        return file.bytes();
    }

    CameraEvent waitForEvent(int milliseconds) override {
        CameraEventType type = GP_EVENT_TIMEOUT;
        void* data = nullptr;
        const int result = gp_camera_wait_for_event(camera_, milliseconds, &type, &data, context_);
        const CameraEvent event = result >= GP_OK ? eventOf(type, data) : CameraEvent{};
        free(data);
        check("gp_camera_wait_for_event", result);
        return event;
    }

  private:
    // A folder's driver follows links and opens FIFOs, where opening blocks
    // for good: what the folder holds is looked at before the driver opens it.
    std::vector<std::string> listed(const std::string& folder, std::vector<std::string> names,
                                    cdsim::EntryKind kind) const {
        if (diskRoot_.empty()) {
            return names;
        }
        std::erase_if(names, [&](const std::string& name) {
            return cdsim::cardEntryKind(diskRoot_, diskRoot_ + folder + "/" + name) != kind;
        });
        return names;
    }

    // A driver that reads no parts: the file's start as it arrives, stopping
    // there, so a movie's header does not cost the whole movie in memory.
    // A folder can be left in the middle of a file; a camera cannot: a PTP
    // transfer broken off in its data phase leaves the next operation reading
    // the rest of it, so from a camera the file is read to its end and only
    // its head is kept.
    Bytes headReceived(const std::string& path, uint64_t size) {
        Bytes head;
        const bool mayStop = !diskRoot_.empty();
        const Receiver keep = [&](const unsigned char* bytes, size_t count) {
            const size_t taken = static_cast<size_t>(std::min<uint64_t>(count, size - head.size()));
            head.insert(head.end(), bytes, bytes + taken);
            return !mayStop || head.size() < size;
        };
        try {
            receive(path, keep, {});
        } catch (const GphotoError&) {
            if (head.size() < size) {
                throw;
            }
        }
        return head;
    }

    // What the context says goes to the log; an error is also kept for the
    // failure of the call that said it.
    static void told(GPContext*, const char* text, void*) {
        cdsim::logLine(std::string("libgphoto2: ") + text);
    }
    static void toldError(GPContext* context, const char* text, void* data) {
        told(context, text, data);
        auto& device = *static_cast<LibDevice*>(data);
        device.said_ += (device.said_.empty() ? "" : "; ") + std::string(text);
    }

    // Hides the plain check: a failure carries libgphoto2's own words.
    void check(const char* call, int result) {
        const std::string said = std::exchange(said_, {});
        if (result < GP_OK) {
            const std::string text = gp_result_as_string(result);
            throw GphotoError{call, result, said.empty() ? text : text + ": " + said};
        }
    }

    void choose(const Detected& camera) {
        CameraAbilitiesList* abilitiesList = knownCameras(context_);
        const int model = gp_abilities_list_lookup_model(abilitiesList, camera.model.c_str());
        CameraAbilities abilities;
        int result = GP_OK;
        if (model >= GP_OK) {
            result = gp_abilities_list_get_abilities(abilitiesList, model, &abilities);
        }
        check("gp_abilities_list_lookup_model", model);
        check("gp_abilities_list_get_abilities", result);
        check("gp_camera_set_abilities", gp_camera_set_abilities(camera_, abilities));

        GPPortInfoList* ports = nullptr;
        check("gp_port_info_list_new", gp_port_info_list_new(&ports));
        result = loadingDrivers([&] { return gp_port_info_list_load(ports); });
        const int port =
            result < GP_OK ? result : gp_port_info_list_lookup_path(ports, camera.port.c_str());
        GPPortInfo info;
        if (port >= GP_OK) {
            result = gp_port_info_list_get_info(ports, port, &info);
            if (result >= GP_OK) {
                result = gp_camera_set_port_info(camera_, info);
            }
        }
        gp_port_info_list_free(ports);
        check("gp_port_info_list_lookup_path", port);
        check("gp_camera_set_port_info", result);
    }

    void release() {
        gp_camera_unref(camera_);
        gp_context_unref(context_);
    }

    std::string diskRoot_; // the folder of a "disk:" port, else empty
    GPContext* context_ = nullptr;
    Camera* camera_ = nullptr;
    ProgressRelay relay_;
    std::string said_; // since the last checked call
};

} // namespace

std::vector<Detected> autodetect() {
    forwardLibraryErrors();
    GPContext* context = gp_context_new();
    List list;
    const int result = loadingDrivers([&] { return gp_camera_autodetect(list.object, context); });
    gp_context_unref(context);
    check("gp_camera_autodetect", result);
    std::vector<Detected> found;
    for (int i = 0; i < gp_list_count(list.object); ++i) {
        const char* model = nullptr;
        const char* port = nullptr;
        gp_list_get_name(list.object, i, &model);
        gp_list_get_value(list.object, i, &port);
        found.push_back({model ? model : "", port ? port : ""});
    }
    return found;
}

std::unique_ptr<Device> openDevice(const Detected& camera) {
    return std::make_unique<LibDevice>(camera);
}

} // namespace cdgp
