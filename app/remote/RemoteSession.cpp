#include "RemoteSession.h"

#include "AppServices.h"
#include "AtomicFile.h"
#include "CameraClient.h"
#include "CameraSession.h"
#include "Clock.h"
#include "Errors.h"
#include "LanguageFile.h"
#include "Log.h"
#include "ParameterTable.h"
#include "ProgramFolder.h"
#include "RemoteKeys.h"
#include "RemoteNaming.h"
#include "Settings.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

// A picture goes to this name beside its own first and gets its own name
// only when whole, so that a reader never sees part of one.
QString temporaryBeside(const QString& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return path.left(slash + 1) + "." + path.mid(slash + 1) + ".lumvik-part";
}

void renameOver(const QString& from, const QString& to) {
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        QFile::remove(from);
        throw EInOutError("Can not write " + to);
    }
}

QByteArray bmpOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "BMP"))
        throw EConvertError("Can not convert the picture to a bitmap");
    return bytes;
}

} // namespace

TRemoteSession::TRemoteSession(TAppServices& services, TCameraSession& camera)
    : services_(services), camera_(camera) {}

TRemoteSession::~TRemoteSession() = default;

void TRemoteSession::CancelShot() {
    if (shot_)
        shot_->cancel();
}

void TRemoteSession::perform(const std::function<void()>& step) {
    camera_.perform(*shot_, step);
}

TRemoteFaculties TRemoteSession::StartReleasePic(int mode, const QString& directory) {
    LogLine("Enters StartReleasePic");
    if (mode != ToCameraOnly && (directory.isEmpty() || !QDir(directory).exists()))
        throw ERangeError(services_.language().read(remotekey::Section, "errormsg_valid_dir",
                                                    "You have to select a valid PC-directory"));
    LogLine("StartReleasePic, ReleaseStart mode=" + QString::number(mode));
    tesselink::ReleaseStart(mode, 2);
    releaseEntered_ = true;
    processActive_ = true;
    TRemoteFaculties faculties;
    faculties.zoom = tesselink::ReleaseDoSupportZoom();
    faculties.viewFinder = tesselink::ReleaseDoSupportViewFinder();
    LogLine(faculties.viewFinder ? "ViewFinder is allowed" : "ViewFinder is not allowed");
    if (tesselink::GetModel().left(3).compare("EOS", Qt::CaseInsensitive) == 0)
        faculties.zoom = false;
    return faculties;
}

void TRemoteSession::StopReleasePic() {
    LogLine("Enters StopReleasePic");
    if (!processActive_)
        return;
    // Between timed shots with "&Disconnect between shots" release control
    // is left already, and leaving it twice would keep the process open.
    if (releaseEntered_)
        tesselink::ReleaseEnd();
    releaseEntered_ = false;
    LogLine("StopReleasePic, ReleaseEnd");
    processActive_ = false;
}

void TRemoteSession::LeaveBetweenShots() {
    tesselink::ReleaseEnd();
    // Left already: a shot that the window starts during the pause enters
    // release control again.
    releaseEntered_ = false;
    Sleep(3000);
}

void TRemoteSession::TakePicture(int mode, const tsRemoteReleaseParameters& parameters,
                                 bool zoomSupported, int zoom, int maxZoom) {
    LogLine("Enters TakePicture");
    timingReference_ = Now();
    logTime("Remote: Request to take a picture");
    if (!releaseEntered_) {
        tesselink::ReleaseStart(mode, 2);
        releaseEntered_ = true;
    }
    LogLine("Sets remote parameters");
    for (const QString& line : ParameterLogLines(parameters))
        LogLine(line);
    tesselink::ReleaseSetParams(parameters);
    logTime("Remote: Remote parameters set");
    StoreParameters(services_.settings(), parameters);
    if (zoomSupported)
        services_.settings().writeInteger(TSettings::Section, remotekey::Zoom, zoom);
    LogLine("Takes a remote pic. Zoom = " + QString::number(zoom) +
            ", maxZoom = " + QString::number(maxZoom));
    shot_ = std::make_unique<TCameraOperation>();
    shot_->onProgress = onProgress;
    perform([] { tesselink::Release(1); });
    logTime("Remote: Request for taking picture done");
    busy_ = true;
}

QString TRemoteSession::TransferPicture(const TShot& shot,
                                        const std::function<void(const QString&)>& showThumbnail) {
    if (shot.mode == ToCameraOnly)
        return {};
    const QString thumbnail = ProgramFile(remotekey::ThumbnailFile);
    logTime("Remote: Thumbnail receive request");
    const QString fetched = temporaryBeside(thumbnail);
    QFile::remove(fetched);
    // Its status is not examined: a failed fetch leaves the last thumbnail.
    perform([path = QFile::encodeName(fetched)] { tsReleaseGetThumbnail(path.constData()); });
    if (QFile::exists(fetched))
        renameOver(fetched, thumbnail);
    logTime("Remote: Thumbnail received");
    showThumbnail(thumbnail);

    const QString path = picturePath(shot);
    logTime("Remote: Picture receive request");
    fetchPicture(path, !shot.requestedName.isEmpty());
    logTime("Remote: Picture received");
    fetchFurtherFiles(path);
    writeCompanions(shot, path, thumbnail);
    if (shot.webcam.active())
        CreateWebCamPic(path, WebcamPath(shot.directory, shot.webcam), shot.webcam);
    return path;
}

QString TRemoteSession::picturePath(const TShot& shot) const {
    if (!shot.requestedName.isEmpty())
        return JoinDirectory(shot.directory, shot.requestedName);
    QStringList companions;
    if (shot.raw)
        companions.append(".thm");
    if (shot.convertToBmp)
        companions.append(".bmp");
    return DefaultPictureName(shot.directory, shot.counter, shot.raw, companions);
}

void TRemoteSession::fetchPicture(const QString& path, bool replace) {
    if (!replace) {
        perform([&] { tesselink::ReleaseGetPicture(path); });
        return;
    }
    // The program that asked for the name owns it: an older file of that
    // name gives way, but only to the whole new picture.
    const QString fetched = temporaryBeside(path);
    QFile::remove(fetched);
    perform([&] { tesselink::ReleaseGetPicture(fetched); });
    renameOver(fetched, path);
}

// A camera that saves one shot as several files (RAW and JPEG) gives the
// others after the picture: each goes beside it under the picture's name
// with the camera's extension, made unique.
void TRemoteSession::fetchFurtherFiles(const QString& path) {
    while (const std::optional<QString> name = tesselink::ReleaseNextName()) {
        const QString extension = QFileInfo(*name).suffix().toLower();
        const QString further =
            UniquePath(extension.isEmpty() ? path : WithExtension(path, "." + extension));
        LogLine("Remote: Further file of the shot " + *name + " received as " + further);
        tesselink::ReleaseGetPicture(further);
    }
}

void TRemoteSession::writeCompanions(const TShot& shot, const QString& path,
                                     const QString& thumbnail) {
    if (shot.convertToBmp) {
        TJPEGImage picture;
        picture.loadFromFile(path);
        logTime("Remote: JPEG loaded to convert to BMP");
        const QByteArray bmp = bmpOf(picture.bitmap());
        logTime("Remote: BMP created in RAM");
        WriteFileAtomically(WithExtension(path, ".bmp"), bmp);
        logTime("Remote: BMP file created");
    }
    if (shot.raw)
        WriteFileAtomically(WithExtension(path, ".thm"), ReadWholeFile(thumbnail));
}

QString TRemoteSession::elapsed() const {
    return QString::number(timingReference_.msecsTo(Now()) / 1000.0);
}

void TRemoteSession::logTime(const QString& what) const {
    LogLine(what + ". Time = " + elapsed());
}
