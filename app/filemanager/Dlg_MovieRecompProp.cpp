#include "Dlg_MovieRecompProp.h"

#include "AppServices.h"
#include "Dlg_EncoderSettings.h"
#include "Errors.h"
#include "LanguageFile.h"
#include "Log.h"
#include "Settings.h"
#include "WindowLocaliser.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>

namespace {

constexpr int DesignWidth = 276;
constexpr int DesignHeight = 326;
constexpr const char* VideoKey = "ListBoxVideo";
constexpr const char* AudioKey = "ListBoxAudio";

QString chosen(const QListWidget* list) {
    const QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

} // namespace

TFormMovieRecomp::TFormMovieRecomp(TAppServices& services, QWidget* parent)
    : QDialog(parent), services_(services),
      texts_(std::make_unique<TWindowLocaliser>(*this, Section)),
      recompression_(services.language()) {
    setObjectName(Section);
    setWindowTitle("Recompress movies properties");
    texts_->rememberSize("MovieCompPropWidth", "MovieCompPropHeight");
    auto* selected = new QLabel("Selected Compression filters:", this);
    auto* video = new QLabel("Video", this);
    auto* audio = new QLabel("Audio", this);
    ListBoxVideo = new QListWidget(this);
    ListBoxAudio = new QListWidget(this);
    ListBoxVideo->setObjectName(VideoKey);
    ListBoxAudio->setObjectName(AudioKey);
    ListBoxVideo->addItems(VideoCompressors());
    ListBoxAudio->addItems(AudioCompressors());
    for (QListWidget* list : {ListBoxVideo, ListBoxAudio})
        connect(list, &QListWidget::itemClicked, this, &TFormMovieRecomp::ListBoxClick);
    texts_->text(this, "form")
        .text(selected, "selected_comp_filters_label")
        .text(video, "video_label")
        .text(audio, "audio_label");
    auto* grid = new QGridLayout(this);
    grid->addWidget(selected, 0, 0);
    grid->addWidget(video, 1, 0);
    grid->addWidget(ListBoxVideo, 2, 0);
    grid->addWidget(audio, 3, 0);
    grid->addWidget(ListBoxAudio, 4, 0);
    resize(DesignWidth, DesignHeight);
}

TFormMovieRecomp::~TFormMovieRecomp() {
    TSettings& settings = services_.settings();
    for (const QListWidget* list : {ListBoxVideo, ListBoxAudio})
        if (const QString choice = chosen(list); !choice.isEmpty())
            settings.writeString(TSettings::Section, list->objectName(), choice);
    texts_->storeSize(settings);
}

void TFormMovieRecomp::RestoreChoices() {
    const TLanguageFile& language = services_.language();
    const std::pair<QListWidget*, const char*> lists[] = {
        {ListBoxVideo, "errormsg_video_filter_not_exist"},
        {ListBoxAudio, "errormsg_audio_filter_not_exist"}};
    const char* defaults[] = {"Selected video filter for movies recompress function do not exist",
                              "Selected audio filter for movies recompress function do not exist"};
    // Nothing stored yet: the encoders that keep a camera's movie as it looks.
    const QString preferred[] = {DefaultVideoEncoder(), DefaultAudioEncoder()};
    for (int i = 0; i < 2; ++i) {
        QListWidget* list = lists[i].first;
        const QString stored =
            services_.settings().readString(TSettings::Section, list->objectName(), "");
        if (stored.isEmpty()) {
            const QList<QListWidgetItem*> found = list->findItems(preferred[i], Qt::MatchExactly);
            if (!found.isEmpty())
                list->setCurrentItem(found.first());
            continue;
        }
        const QList<QListWidgetItem*> found = list->findItems(stored, Qt::MatchExactly);
        if (found.isEmpty())
            throw ERangeError(language.read(Section, lists[i].second, defaults[i]));
        list->setCurrentItem(found.first());
    }
}

bool TFormMovieRecomp::Recompress(const QString& movie, const TMovieWatch& watch) {
    recompression_.videoEncoder = chosen(ListBoxVideo);
    recompression_.audioEncoder = chosen(ListBoxAudio);
    const TSettings& settings = services_.settings();
    recompression_.videoSettings = LoadEncoderSettings(settings, recompression_.videoEncoder);
    recompression_.audioSettings = LoadEncoderSettings(settings, recompression_.audioEncoder);
    return recompression_.Recompress(movie, watch);
}

void TFormMovieRecomp::ListBoxClick(QListWidgetItem* item) {
    if (item && item->isSelected())
        EditEncoderSettings(services_, item->text(), this);
}

void TFormMovieRecomp::showEvent(QShowEvent* event) {
    if (firstShow_) {
        firstShow_ = false;
        texts_->restoreSize(services_.settings());
    }
    texts_->localise(services_.language());
    QDialog::showEvent(event);
}
