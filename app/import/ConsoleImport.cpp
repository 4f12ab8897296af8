#include "ConsoleImport.h"

#include "AppServices.h"
#include "FileManagerKeys.h"
#include "Format.h"
#include "LanguageFile.h"
#include "NamePattern.h"
#include "Settings.h"
#include "TransferPlan.h"
#include "TransferRecord.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr const char* Section = "lumvik_import";

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

// What the user sees of an import: one line (or JSON object) per file, and on
// a terminal a progress bar below them.
class TConsoleOutput {
  public:
    TConsoleOutput(bool json, QString rotatedText)
        : json_(json), bar_(!json && ::isatty(STDOUT_FILENO)),
          rotatedText_(std::move(rotatedText)) {}

    void file(const QString& source, const QString& destination, int rotation, const char* status) {
        if (json_) {
            const QJsonObject object{{"source", source},
                                     {"destination", destination},
                                     {"rotation", rotation},
                                     {"status", status}};
            print(stdout,
                  QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) + "\n");
            return;
        }
        QString line = source + " -> " + destination;
        if (rotation != 0)
            line += " (" + Format(rotatedText_, {QString::number(rotation)}) + ")";
        print(stdout, clearedBar() + line + "\n");
        drawBar();
    }

    void progress(int done, int total, int percent) {
        done_ = done;
        total_ = total;
        percent_ = percent;
        drawBar();
    }

    // A closing word of the transfer: beside the JSON objects it would be no JSON.
    void message(const QString& text) {
        print(json_ ? stderr : stdout, clearedBar() + text + "\n");
    }

    void finish() { print(stdout, clearedBar()); }

  private:
    QString clearedBar() {
        return std::exchange(barShown_, false) ? QString("\r\033[K") : QString();
    }

    void drawBar() {
        if (!bar_ || total_ == 0)
            return;
        constexpr int Width = 30;
        const double share = (done_ + percent_ / 100.0) / total_;
        const int filled = std::clamp(int(share * Width), 0, Width);
        print(stdout, QString("\r\033[K[%1%2] %3/%4")
                          .arg(QString(filled, '#'), QString(Width - filled, '-'))
                          .arg(done_)
                          .arg(total_));
        barShown_ = true;
    }

    const bool json_;
    const bool bar_;
    const QString rotatedText_;
    bool barShown_ = false;
    int done_ = 0, total_ = 0, percent_ = 0;
};

TConsoleImport::TConsoleImport(TAppServices& services, TCameraSession& session,
                               const TImportRequest& request)
    : services_(services), request_(request),
      output_(std::make_unique<TConsoleOutput>(
          request.json,
          services.language().read(Section, "text_rotated", "turned %s degrees clockwise"))),
      record_(std::make_unique<TTransferRecord>(ConnectedCameraKey())),
      model_(std::make_unique<TFileManagerModel>(services.language(), *this, session)) {
    const TSettings& s = services.settings();
    const QString section = TSettings::Section;
    using namespace fmkeys;
    options_.addTransformationToComment = s.readBool(section, AddTransformationToComment, false);
    options_.setReadOnly = s.readBool(section, SetReadOnly, false);
    options_.downloadMoviesToDirectory = s.readBool(section, MoviesToDirectory, false);
    options_.createExifText = s.readBool(section, CreateExifText, false);
    options_.rawOption = std::clamp(s.readInteger(section, RawOption, 1), 0, 2);
    const char* const rawOptions[] = {"TIFF Format", "Raw format", "BMP Format"};
    options_.rawOptionText = services.language().read(
        fmkeys::Section, "raw_download_option_" + QString::number(options_.rawOption + 1),
        rawOptions[options_.rawOption]);

    model_->targetDirectory = QDir(request.target).absolutePath() + "/";
    model_->fileNamePattern =
        request.fileNamePattern.value_or(s.readString(section, FileNamePattern, "$CAM"));
    model_->subDirPattern =
        request.subDirPattern.value_or(s.readString(section, SubDirPattern, ""));
    model_->moviesDirectory = s.readString(section, MoviesDir, "");
    options_.targetDirectory = model_->targetDirectory;
    options_.moviesDirectory = model_->moviesDirectory;
    options_.patterns = {model_->subDirPattern, model_->fileNamePattern};
    if (!request.all)
        model_->transferredBefore = [this](const TCameraItem& item) {
            return record_->contains(item);
        };
    transfer_ = std::make_unique<TTransfer>(*model_, *this, *this, session, services.language(),
                                            receivedFiles_);
    transfer_->hooks.received = [this](int itemNumber) { received(itemNumber); };
    // The console shows files, not rates.
    transfer_->firstRateWaitMilliseconds = 0;
}

TConsoleImport::~TConsoleImport() = default;

int TConsoleImport::run() {
    // Nothing is written before the whole card is known.
    model_->GetAllThumnails();
    if (!model_->WaitForLoading() || stopped_)
        return 0;
    if (request_.all)
        for (size_t i = 0; i < selected_.size(); ++i)
            selected_[i] = model_->entries()[qsizetype(i)] != "-";
    if (request_.dryRun)
        return plan();
    if (selectedIndexes().isEmpty() && !request_.all) {
        output_->message(services_.language().read(
            fmkeys::Section, "infomsg_no_new_pictures",
            "No new pictures: every file on the camera was transferred before."));
        return 0;
    }
    chosen_ = int(selectedIndexes().size());
    transfer_->Button_StartTransferClick();
    output_->finish();
    return done_;
}

// Where each chosen file would go, as the transfer names it; nothing is written.
int TConsoleImport::plan() {
    const TTransferPlan plan =
        PlanTransfer(*model_, selectedIndexes(), options_, [] { return QString(); });
    for (const TPlannedEntry& entry : plan.entries) {
        if (stopped_)
            return done_;
        output_->file(entry.item.name, entry.destination.freePath, entry.rotation(), "planned");
        ++done_;
    }
    return done_;
}

// The turn the transfer gives a picture: the camera's tag, for JPEG and RAW pictures.
int TConsoleImport::rotationOf(int itemNumber) const {
    const std::optional<TPictureChoices> choices = model_->choices(itemNumber);
    return choices ? choices->rotation : 0;
}

void TConsoleImport::received(int itemNumber) {
    record_->add(model_->item(itemNumber));
    ++done_;
    output_->file(model_->entries()[itemNumber - 1], receivedFiles_.last(), rotationOf(itemNumber),
                  "received");
    output_->progress(done_, chosen_, 0);
}

void TConsoleImport::stop() {
    stopped_ = true;
    model_->StopLoading();
    transfer_->Stop();
}

void TConsoleImport::ClearEntries() {
    selected_.clear();
}

void TConsoleImport::AddEntry(const QString&) {
    selected_.push_back(false);
}

void TConsoleImport::SetEntrySelected(int index, bool selected) {
    if (index >= 0 && size_t(index) < selected_.size())
        selected_[size_t(index)] = selected;
}

void TConsoleImport::SelectEntries(const QList<int>& indexes) {
    for (int index : indexes)
        SetEntrySelected(index, true);
}

void TConsoleImport::LetMessagesRun() {
    QCoreApplication::processEvents();
}

QList<int> TConsoleImport::selectedIndexes() const {
    QList<int> indexes;
    for (size_t i = 0; i < selected_.size(); ++i)
        if (selected_[i])
            indexes << int(i);
    return indexes;
}

TTransferOptions TConsoleImport::transferOptions() const {
    return options_;
}

void TConsoleImport::setProgress(int percent) {
    output_->progress(done_, chosen_, percent);
}

void TConsoleImport::notify(const QString& text, TNotice kind) {
    // A stop is told by the program with the count of files received.
    if (kind == TNotice::Information)
        output_->message(text);
}
