#include "MCDBurner.h"

#include "Clock.h"
#include "DiscSessions.h"
#include "Errors.h"
#include "PseudoDrives.h"

#include <QFileInfo>
#include <QObject>
#include <atomic>
#include <chrono>
#include <cstring>
#include <libburn/libburn.h>
#include <libisofs/libisofs.h>
#include <thread>
#include <vector>

// libburn declares its C interface inside a namespace of its own in C++.
using namespace burn;

namespace {

QStringList& pseudoDrives() {
    static QStringList drives;
    return drives;
}

qint64& pseudoDriveCapacity() {
    static qint64 blocks = -1;
    return blocks;
}

bool& accessInitialised() {
    static bool initialised = false;
    return initialised;
}

constexpr int DriveRoleMmc = 1;
constexpr int DriveRoleRandomAccessFile = 2;
constexpr int MinimumTrackBlocks = 300; // a CD track is never shorter
constexpr int OverwriteBufferSize = 32 * DiscBlockSize;
constexpr int WriteThreadEnded = 0x00020178; // libburn's message code
constexpr int PollMs = 100;
constexpr int ThreadEndTimeoutMs = 10000;

// libburn's profile numbers and the medium types they are.
constexpr std::pair<int, int> ProfileMediumTypes[] = {{0x08, 1}, {0x09, 2}, {0x0a, 3}, {0x10, 4},
                                                      {0x11, 5}, {0x15, 5}, {0x16, 5}, {0x12, 6},
                                                      {0x13, 7}, {0x14, 8}, {0x1a, 9}};

int mediumTypeOfProfile(int profile) {
    for (const auto& [number, type] : ProfileMediumTypes)
        if (number == profile)
            return type;
    return 0;
}

// Media without a table of contents of sessions: disc files, DVD-RAM,
// DVD-RW in restricted overwrite, DVD+RW, BD-RE.
bool isOverwritableProfile(int profile) {
    return profile == 0xffff || profile == 0x12 || profile == 0x13 || profile == 0x1a ||
           profile == 0x43;
}

QString isoError(int code) {
    return QString::fromLocal8Bit(iso_error_to_msg(code));
}

void check(int isoResult, const QString& what) {
    if (isoResult < 0)
        throw EInOutError(what + ": " + isoError(isoResult));
}

// Blocks of the medium read through libburn, for the session chain and the
// import of a session.
bool readBlock(burn_drive* drive, quint32 block, unsigned char* data) {
    off_t count = 0;
    const int quiet = 2; // no message for a block past the end
    return burn_read_data(drive, off_t(block) * DiscBlockSize, reinterpret_cast<char*>(data),
                          DiscBlockSize, &count, quiet) > 0 &&
           count == DiscBlockSize;
}

int sourceOpen(IsoDataSource*) {
    return 1;
}
int sourceClose(IsoDataSource*) {
    return 1;
}
void sourceFree(IsoDataSource*) {}
int sourceRead(IsoDataSource* source, uint32_t block, uint8_t* data) {
    return readBlock(static_cast<burn_drive*>(source->data), block, data)
               ? 1
               : int(ISO_DATA_SOURCE_MISHAP);
}

// libisofs frees the source with free() when the last image lets go of it.
IsoDataSource* newDriveSource(burn_drive* drive) {
    auto* source = static_cast<IsoDataSource*>(calloc(1, sizeof(IsoDataSource)));
    source->refcount = 1;
    source->open = sourceOpen;
    source->close = sourceClose;
    source->read_block = sourceRead;
    source->free_data = sourceFree;
    source->data = drive;
    return source;
}

// A libburn message as a sentence of an error text, with the system's
// error when there is one.
QString sentence(QString message, int osError) {
    if (message.endsWith('.'))
        message.chop(1);
    if (osError)
        message += " (" + QString::fromLocal8Bit(std::strerror(osError)) + ")";
    return message + ". ";
}

// The name a file gets in a disc directory that already holds its own name
// from an earlier session: the older file stays, the new one is renamed.
QString freeName(IsoDir* directory, const QString& name) {
    const int dot = int(name.indexOf('.', 1));
    const QString base = dot < 0 ? name : name.left(dot);
    const QString extension = dot < 0 ? QString() : name.mid(dot);
    QString candidate = name;
    for (int n = 1; iso_dir_get_node(directory, candidate.toUtf8().constData(), nullptr) == 1; ++n)
        candidate = QString("%1_%2%3").arg(base).arg(n).arg(extension);
    return candidate;
}

} // namespace

void SetPseudoDrives(const QStringList& addresses) {
    pseudoDrives() = addresses;
}

void SetPseudoDriveCapacity(qint64 blocks) {
    pseudoDriveCapacity() = blocks;
}

const QStringList TMCDBurner::MediumTypeNames = {
    "UNKNOWN", "CD-ROM", "CD-R",   "CD-RW",    "DVD-ROM", "DVD-R",  "DVD-RAM",
    "DVD-RW",  "DVD-RW", "DVD+RW", "DDCD-ROM", "DDCD-R",  "DDCD-RW"};

struct TMCDBurner::TState {
    QObject context; // queued calls to the engine's thread arrive here
    burn_drive_info* info = nullptr;
    burn_drive* drive = nullptr;
    bool loaded = false;
    TCDLayout layout;

    IsoImage* image = nullptr; // the imported session, then the new tree
    IsoWriteOpts* writeOptions = nullptr;
    burn::burn_source* source = nullptr;
    std::vector<unsigned char> overwrite; // blocks 0 to 31 of a grown medium
    quint32 startBlock = 0;
    qint64 blocks = 0;

    std::thread worker;
    std::atomic<bool> writing{false};
    std::atomic<bool> cancelled{false};
    std::atomic<qint64> written{0};

    ~TState() {
        if (worker.joinable()) {
            cancel();
            worker.join();
        }
        dropSession();
        if (image)
            iso_image_unref(image);
        releaseDrive();
    }

    void releaseDrive() {
        if (!info)
            return;
        if (loaded)
            burn_drive_release(drive, 0);
        burn_drive_info_free(info);
        info = nullptr;
        drive = nullptr;
        loaded = false;
    }

    void dropSession() {
        if (source) {
            source->cancel(source);
            burn_source_free(source);
            source = nullptr;
        }
        if (writeOptions)
            iso_write_opts_free(writeOptions);
        writeOptions = nullptr;
    }

    // The worker passes the cancel on to libburn.
    void cancel() { cancelled = true; }

    void requireMedium() const {
        if (!drive || !loaded)
            throw EInOutError("No CD writer is selected");
    }

    int profile() const {
        int number = 0;
        char name[80];
        if (!drive || !loaded || burn_disc_get_profile(drive, &number, name) <= 0)
            return 0;
        return number;
    }

    bool grown() const {
        return burn_drive_get_drive_role(drive) != DriveRoleMmc || isOverwritableProfile(profile());
    }

    bool hasMedium() const {
        if (!drive || !loaded)
            return false;
        const burn_disc_status status = burn_disc_get_status(drive);
        return status == BURN_DISC_BLANK || status == BURN_DISC_APPENDABLE ||
               status == BURN_DISC_FULL;
    }

    TGrownSessions grownSessions() const {
        return ReadGrownSessions(
            [this](quint32 block, unsigned char* data) { return readBlock(drive, block, data); });
    }

    // Where the next session starts on the medium.
    quint32 nextWritableBlock() const {
        if (grown())
            return NextSessionStart(grownSessions().end);
        burn_write_opts* options = burn_write_opts_new(drive);
        int start = 0, next = 0;
        const int result = burn_disc_track_lba_nwa(drive, options, 0, &start, &next);
        burn_write_opts_free(options);
        if (result <= 0)
            throw EInOutError("The disc in the CD writer takes no more sessions");
        return quint32(next);
    }

    quint32 sessionStart(int number) const {
        if (grown()) {
            const TGrownSessions sessions = grownSessions();
            if (number < 1 || number > sessions.starts.size())
                throw EInOutError(QString("The disc has no session %1").arg(number));
            return sessions.starts[number - 1];
        }
        burn_disc* disc = burn_drive_get_disc(drive);
        int count = 0;
        burn_session** sessions = disc ? burn_disc_get_sessions(disc, &count) : nullptr;
        int tracks = 0;
        burn_track** first = number >= 1 && number <= count
                                 ? burn_session_get_tracks(sessions[number - 1], &tracks)
                                 : nullptr;
        burn_toc_entry entry{};
        if (first && tracks > 0)
            burn_track_get_entry(first[0], &entry);
        if (disc)
            burn_disc_free(disc);
        if (!first || tracks == 0)
            throw EInOutError(QString("The disc has no session %1").arg(number));
        return quint32(burn_msf_to_lba(entry.pmin, entry.psec, entry.pframe));
    }

    void post(std::function<void()> call) {
        QMetaObject::invokeMethod(&context, std::move(call), Qt::QueuedConnection);
    }

    IsoDir* directoryOf(const QString& path) {
        IsoDir* directory = iso_image_get_root(image);
        for (const QString& part : path.split('/', Qt::SkipEmptyParts)) {
            const QByteArray name = part.toUtf8();
            IsoNode* node = nullptr;
            if (iso_dir_get_node(directory, name.constData(), &node) == 1 &&
                iso_node_get_type(node) == LIBISO_DIR) {
                directory = reinterpret_cast<IsoDir*>(node);
                continue;
            }
            const QString free = freeName(directory, part);
            check(iso_tree_add_new_dir(directory, free.toUtf8().constData(), &directory),
                  "Cannot create the disc directory " + path);
        }
        return directory;
    }

    void buildTree() {
        if (!image)
            check(iso_image_new("LUMVIK", &image), "Cannot start a disc layout");
        iso_tree_set_follow_symlinks(image, 1);
        for (const QString& path : layout.directories())
            directoryOf(path);
        for (const TCDLayoutFile& file : layout.files()) {
            IsoDir* directory = directoryOf(file.directory);
            const QString name = freeName(directory, QFileInfo(file.diskPath).fileName());
            check(iso_tree_add_new_node(image, directory, name.toUtf8().constData(),
                                        QFile::encodeName(file.diskPath).constData(), nullptr),
                  "Cannot put " + file.diskPath + " on the disc");
        }
    }

    // Runs on the worker: follows libburn's write to its end. A cancelled
    // write never gets the copy of its descriptors that makes a grown
    // medium's readers see it.
    QString followWrite(burn_disc* disc, burn_write_opts* options, bool growing,
                        const std::function<void()>& finalizing) {
        QString failure, problems;
        bool finalizingSeen = false;
        threadEnded = false;
        burn_progress progress{};
        for (burn_drive_status status = burn_drive_get_status(drive, &progress);
             status != BURN_DRIVE_IDLE; status = burn_drive_get_status(drive, &progress)) {
            if (progress.sectors > 0)
                written = qint64(progress.sector) * DiscBlockSize;
            const bool closing =
                status == BURN_DRIVE_CLOSING_TRACK || status == BURN_DRIVE_CLOSING_SESSION;
            if (closing && !finalizingSeen) {
                finalizingSeen = true;
                post(finalizing);
            }
            drainMessages(failure, problems);
            // libburn loses a cancel that comes while its write thread is
            // still starting.
            if (cancelled && status != BURN_DRIVE_SPAWNING)
                burn_drive_cancel(drive);
            // libburn reports its state only when asked; a tenth of a second
            // keeps the progress current without spinning.
            std::this_thread::sleep_for(std::chrono::milliseconds(PollMs));
        }
        // A write that fails reports the drive idle while libburn's write
        // thread still winds down, and the drive takes no other write until
        // it has. (startWriting has checked what libburn would refuse to
        // start, so there is a thread.)
        for (int waited = 0; !threadEnded && waited < ThreadEndTimeoutMs; waited += PollMs) {
            drainMessages(failure, problems);
            if (!threadEnded)
                std::this_thread::sleep_for(std::chrono::milliseconds(PollMs));
        }
        const bool well = burn_drive_wrote_well(drive) && !cancelled;
        if (well && growing &&
            burn_random_access_write(drive, 0, reinterpret_cast<char*>(overwrite.data()),
                                     OverwriteBufferSize, 1) <= 0)
            failure += "Cannot write the disc's volume descriptors. ";
        drainMessages(failure, problems);
        // What libburn says of a cancelled write follows from the cancel.
        if (cancelled)
            failure = "The write was cancelled.";
        else if (!well)
            failure = problems + failure;
        if (!well && failure.isEmpty())
            failure = "The write did not complete";
        if (well && failure.isEmpty())
            written = blocks * DiscBlockSize;
        burn_disc_free(disc);
        burn_write_opts_free(options);
        return failure.trimmed();
    }

    // libburn's messages go to the debug message event; its failures also
    // make up the write's error text. Its problems (a write(2) that failed on
    // a disc file, for one) name the cause when a write breaks off without a
    // failure.
    void drainMessages(QString& failures, QString& problems) {
        int code = 0, osError = 0;
        char text[BURN_MSGS_MESSAGE_LEN], severity[80];
        while (burn_msgs_obtain(const_cast<char*>("ALL"), &code, text, &osError, severity) == 1) {
            const QString message = QString::fromLocal8Bit(text);
            if (!std::strcmp(severity, "FAILURE") || !std::strcmp(severity, "FATAL") ||
                !std::strcmp(severity, "ABORT"))
                failures += sentence(message, osError);
            else if (!std::strcmp(severity, "SORRY"))
                problems += sentence(message, osError);
            threadEnded = threadEnded || code == WriteThreadEnded;
            post([this, message, code] { debug(message, code); });
        }
    }

    std::function<void(const QString&, int)> debug;
    bool threadEnded = false; // of the worker: libburn's write thread has ended
};

TMCDBurner::TMCDBurner() : s_(std::make_unique<TState>()) {
    s_->debug = [this](const QString& text, int type) {
        if (events.debugMessage)
            events.debugMessage(text, type);
    };
}

TMCDBurner::~TMCDBurner() = default;

bool TMCDBurner::accessReady() const {
    return accessInitialised();
}

void TMCDBurner::initialiseAccess() {
    if (accessInitialised())
        return;
    if (burn_initialize() != 1 || iso_init() < 0)
        return;
    // Messages are read by the engine, never printed.
    burn_msgs_set_severities(const_cast<char*>("ALL"), const_cast<char*>("NEVER"),
                             const_cast<char*>("libburn: "));
    iso_set_msgs_severities(const_cast<char*>("NEVER"), const_cast<char*>("NEVER"),
                            const_cast<char*>("libisofs: "));
    accessInitialised() = true;
}

QStringList TMCDBurner::deviceList() {
    initialiseAccess();
    if (s_->writing)
        return {};
    // A scan invalidates every drive libburn handed out, and refuses to run
    // while one is held.
    s_->releaseDrive();
    QStringList addresses;
    burn_drive_info* infos = nullptr;
    unsigned int count = 0;
    int scanned = 0;
    while ((scanned = burn_drive_scan(&infos, &count)) == 0) {
    }
    if (scanned > 0) {
        for (unsigned int i = 0; i < count; ++i) {
            char address[BURN_DRIVE_ADR_LEN];
            if (burn_drive_d_get_adr(infos[i].drive, address) > 0)
                addresses << QString::fromLocal8Bit(address);
        }
        burn_drive_info_free(infos);
    }
    return addresses + pseudoDrives();
}

bool TMCDBurner::selectDevice(const QString& address) {
    initialiseAccess();
    if (s_->writing)
        return false;
    s_->releaseDrive();
    QByteArray name = QFile::encodeName(address);
    if (burn_drive_scan_and_grab(&s_->info, name.data(), 1) != 1 || !s_->info)
        return false;
    s_->drive = s_->info[0].drive;
    s_->loaded = true;
    return true;
}

QString TMCDBurner::deviceName() const {
    if (!s_->info)
        return {};
    return (QString::fromLatin1(s_->info->vendor).trimmed() + " " +
            QString::fromLatin1(s_->info->product).trimmed())
        .trimmed();
}

bool TMCDBurner::canWriteCDR() const {
    if (!s_->info)
        return false;
    // A pseudo-drive on a file takes whatever a CD-R would.
    const int role = burn_drive_get_drive_role(s_->drive);
    return role == DriveRoleRandomAccessFile || (role == DriveRoleMmc && s_->info->write_cdr);
}

void TMCDBurner::newLayout() {
    s_->layout.clear();
    if (s_->image && !s_->writing)
        iso_image_unref(s_->image);
    if (!s_->writing)
        s_->image = nullptr;
}

void TMCDBurner::createDirectory(const QString& path) {
    for (const QString& created : s_->layout.createDirectory(path)) {
        const QString name = created.section('/', -1);
        if (events.addDirectory)
            events.addDirectory(name, ShortName(name, true));
    }
}

void TMCDBurner::addFile(const QString& directory, const QString& diskPath) {
    createDirectory(directory);
    s_->layout.addFile(directory, diskPath);
    const QString name = QFileInfo(diskPath).fileName();
    if (events.addFile)
        events.addFile(diskPath, name, ShortName(name, false));
}

const TCDLayout& TMCDBurner::layout() const {
    return s_->layout;
}

int TMCDBurner::mediumType() const {
    return mediumTypeOfProfile(s_->profile());
}

qint64 TMCDBurner::freeBlocks() const {
    if (!s_->hasMedium())
        return 0;
    burn_write_opts* options = burn_write_opts_new(s_->drive);
    burn_write_opts_set_multi(options, 1);
    const off_t bytes = burn_disc_available_space(s_->drive, options);
    burn_write_opts_free(options);
    qint64 blocks = qint64(bytes / DiscBlockSize);
    if (burn_drive_get_drive_role(s_->drive) != DriveRoleMmc && pseudoDriveCapacity() >= 0)
        blocks = pseudoDriveCapacity();
    // A disc file reports the room from its start, whatever it holds.
    if (s_->grown())
        blocks -= s_->nextWritableBlock();
    return std::max<qint64>(blocks, 0);
}

int TMCDBurner::sessionCount() const {
    if (!s_->hasMedium() || burn_disc_get_status(s_->drive) == BURN_DISC_BLANK)
        return s_->hasMedium() && s_->grown() ? int(s_->grownSessions().starts.size()) : 0;
    if (s_->grown())
        return int(s_->grownSessions().starts.size());
    burn_disc* disc = burn_drive_get_disc(s_->drive);
    int count = 0;
    if (disc) {
        burn_disc_get_sessions(disc, &count);
        burn_disc_free(disc);
    }
    return count;
}

void TMCDBurner::eject(bool eject) {
    if (!s_->drive || s_->writing)
        return;
    if (eject && s_->loaded) {
        burn_drive_release(s_->drive, 1);
        s_->loaded = false;
    } else if (!eject && !s_->loaded) {
        s_->loaded = burn_drive_grab(s_->drive, 1) == 1;
    }
}

bool TMCDBurner::waitUntilReady(int timeoutMs, int pollMs) {
    for (int waited = 0;; waited += pollMs) {
        if (s_->hasMedium())
            return true;
        if (waited >= timeoutMs)
            return false;
        Sleep(pollMs);
    }
}

void TMCDBurner::importSession(int number) {
    s_->requireMedium();
    const quint32 start = s_->sessionStart(number);
    IsoImage* image = nullptr;
    check(iso_image_new("LUMVIK", &image), "Cannot start a disc layout");
    IsoReadOpts* options = nullptr;
    iso_read_opts_new(&options, 0);
    iso_read_opts_set_start_block(options, start);
    IsoDataSource* source = newDriveSource(s_->drive);
    IsoReadImageFeatures* features = nullptr;
    const int result = iso_image_import(image, source, options, &features);
    iso_data_source_unref(source);
    iso_read_opts_free(options);
    if (features)
        iso_read_image_features_destroy(features);
    if (result < 0) {
        iso_image_unref(image);
        throw EInOutError(QString("Cannot read session %1 of the disc: ").arg(number) +
                          isoError(result));
    }
    if (s_->image)
        iso_image_unref(s_->image);
    s_->image = image;
}

void TMCDBurner::prepare() {
    s_->requireMedium();
    if (s_->writing)
        throw EInOutError("The CD writer is still writing");
    s_->dropSession();
    const bool growing = s_->grown();
    s_->startBlock = s_->nextWritableBlock();
    s_->buildTree();

    IsoWriteOpts* options = nullptr;
    check(iso_write_opts_new(&options, 0), "Cannot lay out the disc");
    s_->writeOptions = options;
    iso_write_opts_set_rockridge(options, 1);
    iso_write_opts_set_joliet(options, 1);
    iso_write_opts_set_appendable(options, s_->startBlock > 0 ? 1 : 0);
    iso_write_opts_set_ms_block(options, s_->startBlock);
    if (growing) {
        s_->overwrite.assign(OverwriteBufferSize, 0);
        iso_write_opts_set_overwrite_buf(options, s_->overwrite.data());
    }
    // libisofs names libburn's source structure outside libburn's namespace.
    ::burn_source* source = nullptr;
    check(iso_image_create_burn_source(s_->image, options, &source), "Cannot lay out the disc");
    s_->source = reinterpret_cast<burn::burn_source*>(source);
    s_->blocks =
        std::max<qint64>(s_->source->get_size(s_->source) / DiscBlockSize, MinimumTrackBlocks);
    const qint64 room = freeBlocks();
    if (s_->blocks > room) {
        s_->dropSession();
        throw EInOutError(QString("The disc has room for %1 blocks, the session needs %2")
                              .arg(room)
                              .arg(s_->blocks));
    }
}

void TMCDBurner::startWriting() {
    if (!s_->source)
        throw EInOutError("The disc layout is not prepared");
    if (s_->worker.joinable())
        s_->worker.join();
    burn_disc* disc = burn_disc_create();
    burn_session* session = burn_session_create();
    burn_track* track = burn_track_create();
    burn_track_define_data(track, 0, 0, 1, BURN_MODE1);
    burn_track_set_source(track, s_->source);
    burn_session_add_track(session, track, BURN_POS_END);
    burn_disc_add_session(disc, session, BURN_POS_END);
    burn_track_free(track);
    burn_session_free(session);

    burn_write_opts* options = burn_write_opts_new(s_->drive);
    burn_write_opts_set_perform_opc(options, 0);
    // A CD stays open for more sessions; a grown medium has no closing to skip.
    const bool growing = s_->grown();
    burn_write_opts_set_multi(options, growing ? 0 : 1);
    burn_write_opts_set_simulate(options, 0);
    burn_write_opts_set_underrun_proof(options, 1);
    if (growing)
        burn_write_opts_set_start_byte(options, off_t(s_->startBlock) * DiscBlockSize);
    burn_drive_set_speed(s_->drive, 0, 0);
    char reasons[BURN_REASONS_LEN];
    if (burn_write_opts_auto_write_type(options, disc, reasons, 0) == BURN_WRITE_NONE) {
        burn_disc_free(disc);
        burn_write_opts_free(options);
        throw EInOutError("The CD writer cannot write this disc: " + QString(reasons));
    }
    s_->written = 0;
    s_->cancelled = false;
    s_->writing = true;
    burn_disc_write(options, disc);
    const auto finalizing = [this] {
        if (events.finalizingTrack)
            events.finalizingTrack();
    };
    s_->worker = std::thread([this, disc, options, growing, finalizing] {
        const QString error = s_->followWrite(disc, options, growing, finalizing);
        s_->post([this, error] {
            s_->worker.join();
            s_->dropSession();
            s_->writing = false;
            if (events.writeDone)
                events.writeDone(error);
        });
    });
}

void TMCDBurner::cancelWrite() {
    if (s_->writing)
        s_->cancel();
}

bool TMCDBurner::writing() const {
    return s_->writing;
}

qint64 TMCDBurner::imageBlocks() const {
    return s_->blocks;
}

qint64 TMCDBurner::bytesWritten() const {
    return s_->written;
}
