#pragma once
// The movie recompression window: the video and audio encoders to recompress
// received movies with, chosen from FFmpeg's encoders an AVI file can hold;
// clicking one opens its settings. The recompression itself is
// TMovieRecompression's.

#include "MovieRecompressor.h"

#include <QDialog>
#include <memory>

class QListWidget;
class QListWidgetItem;
class TAppServices;
class TWindowLocaliser;

class TFormMovieRecomp : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* Section = "FormMovieRecomp";

    TFormMovieRecomp(TAppServices& services, QWidget* parent = nullptr);
    // Writes the choices and the size.
    ~TFormMovieRecomp() override;

    // Chooses the stored encoders; raises ERangeError for one not installed,
    // leaving the rest unrestored.
    void RestoreChoices();
    // Recompresses a received movie with the chosen encoders and their
    // stored settings; false when it stays as received (see
    // TMovieRecompression::Recompress).
    bool Recompress(const QString& movie, const TMovieWatch& watch = {});
    // Opens the settings of the encoder clicked.
    void ListBoxClick(QListWidgetItem* item);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    TAppServices& services_;
    std::unique_ptr<TWindowLocaliser> texts_;
    QListWidget* ListBoxVideo;
    QListWidget* ListBoxAudio;
    TMovieRecompression recompression_;
    bool firstShow_ = true;
};
