#include "ScriptedCamera.h"

#include <gphoto2/gphoto2-result.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace scripted {
namespace {

using cdgp::Bytes;
using cdgp::GphotoError;
using cdgp::Widget;

Widget* findMutable(Widget& tree, const std::string& name) {
    if (tree.name == name) {
        return &tree;
    }
    for (auto& child : tree.children) {
        if (Widget* found = findMutable(child, name)) {
            return found;
        }
    }
    return nullptr;
}

Bytes fileOf(const Script& script, const std::string& path) {
    const auto found = script.card.find(path);
    if (found == script.card.end()) {
        throw GphotoError{"gp_camera_file_get", GP_ERROR_FILE_NOT_FOUND, "File not found"};
    }
    return found->second;
}

[[noreturn]] void unsupported() {
    throw GphotoError{"gp_camera_get_config", GP_ERROR_NOT_SUPPORTED, "Unsupported"};
}

} // namespace

std::string Script::value(const std::string& widget) {
    std::lock_guard<std::mutex> lock(mutex);
    const Widget* found = cdgp::findWidget(config, widget);
    return found ? found->value : "";
}

bool Script::holds(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex);
    return card.count(path) != 0;
}

// Every call: the thread is noted, and an unplugged camera fails as its line
// is gone.
Script* ScriptedCamera::touch() {
    std::lock_guard<std::mutex> lock(script_->mutex);
    script_->threads.insert(std::this_thread::get_id());
    if (script_->unplugged) {
        throw script_->lineGone;
    }
    return script_.get();
}

cdgp::Abilities ScriptedCamera::abilities() {
    return touch()->abilities;
}

std::string ScriptedCamera::summary() {
    return touch()->summary;
}

std::vector<cdgp::Storage> ScriptedCamera::storages() {
    touch();
    return {{StoreRoot, "SD", 4096, 1024}};
}

std::vector<std::string> ScriptedCamera::folders(const std::string& folder) {
    std::set<std::string> found;
    for (const auto& [path, bytes] : touch()->card) {
        const std::string prefix = folder == "/" ? "/" : folder + "/";
        if (path.rfind(prefix, 0) == 0 && path.find('/', prefix.size()) != std::string::npos) {
            found.insert(path.substr(prefix.size(), path.find('/', prefix.size()) - prefix.size()));
        }
    }
    return {found.begin(), found.end()};
}

std::vector<cdgp::FileEntry> ScriptedCamera::files(const std::string& folder) {
    std::vector<cdgp::FileEntry> found;
    for (const auto& [path, bytes] : touch()->card) {
        if (path.substr(0, path.rfind('/')) == folder) {
            found.push_back({path.substr(path.rfind('/') + 1), bytes.size(), 0});
        }
    }
    return found;
}

Bytes ScriptedCamera::read(const std::string& path, cdgp::FileKind kind, const cdgp::Progress&) {
    Script& script = *touch();
    if (kind == cdgp::FileKind::Preview) {
        throw GphotoError{"gp_camera_file_get", GP_ERROR_NOT_SUPPORTED, "Unsupported"};
    }
    return fileOf(script, path);
}

// Delivers the file in pieces as a driver does, and stops at the receiver's word.
void ScriptedCamera::receive(const std::string& path, const cdgp::Receiver& receiver,
                             const cdgp::Progress&) {
    Script& script = *touch();
    ++script.receptions;
    const Bytes bytes = fileOf(script, path);
    for (size_t at = 0; at < bytes.size(); at += script.piece) {
        if (!receiver(bytes.data() + at, std::min(script.piece, bytes.size() - at))) {
            throw GphotoError{"gp_camera_file_get", GP_ERROR_CANCEL, "Cancelled"};
        }
    }
}

Bytes ScriptedCamera::readHead(const std::string& path, uint64_t size) {
    Script& script = *touch();
    if (!script.stuckAt.empty()) {
        const int opened = ::open(script.stuckAt.c_str(), O_RDONLY | O_CLOEXEC);
        if (opened < 0) {
            throw GphotoError{"gp_camera_file_read", GP_ERROR_IO_READ, "Interrupted"};
        }
        ::close(opened);
    }
    Bytes bytes = fileOf(script, path);
    bytes.resize(std::min<size_t>(bytes.size(), size));
    return bytes;
}

void ScriptedCamera::remove(const std::string& path) {
    if (touch()->card.erase(path) == 0) {
        throw GphotoError{"gp_camera_file_delete", GP_ERROR_FILE_NOT_FOUND, "File not found"};
    }
}

void ScriptedCamera::makeFolder(const std::string&, const std::string&) {
    unsupported();
}

void ScriptedCamera::put(const std::string&, const Bytes&) {
    unsupported();
}

Widget ScriptedCamera::configuration() {
    Script& script = *touch();
    if (!script.abilities.configuration) {
        unsupported();
    }
    ++script.configurationReads;
    return script.config;
}

// As a PTP camera: a value it refuses, or that is none of the choices, fails
// without changing anything.
void ScriptedCamera::configure(const std::string& name, const std::string& value) {
    Script& script = *touch();
    Widget* widget = findMutable(script.config, name);
    if (!widget || script.refused.count(name) ||
        (!widget->choices.empty() && std::find(widget->choices.begin(), widget->choices.end(),
                                               value) == widget->choices.end())) {
        throw GphotoError{"gp_camera_set_config", GP_ERROR, "Unspecified error"};
    }
    widget->value = value;
}

std::string ScriptedCamera::capture() {
    Script& script = *touch();
    if (script.captureFailure) {
        throw GphotoError{"gp_camera_capture", *script.captureFailure, "Capture failed"};
    }
    const Widget* target = cdgp::findWidget(script.config, "capturetarget");
    script.targetsAtCapture.push_back(target ? target->value : "");
    char name[40];
    std::snprintf(name, sizeof name, "/DCIM/100CANON/IMG_%04d.JPG", ++script.captures);
    script.lastCaptured = StoreRoot + std::string(name);
    script.card[script.lastCaptured] = script.picture;
    return script.lastCaptured;
}

Bytes ScriptedCamera::capturePreview() {
    Script& script = *touch();
    if (script.refusedPreviews.count(script.previewCalls++) ||
        script.framesGiven >= script.framesBeforeFailure) {
        throw GphotoError{"gp_camera_capture_preview", GP_ERROR, "Unspecified error"};
    }
    return script.frames[script.framesGiven++ % script.frames.size()];
}

cdgp::CameraEvent ScriptedCamera::waitForEvent(int) {
    touch();
    return {};
}

} // namespace scripted
