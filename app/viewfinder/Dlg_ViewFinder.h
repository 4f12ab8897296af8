#pragma once
// The viewfinder window: the camera's live picture, where the camera shows
// its own viewfinder, its automatic exposure, focus and white balance, the
// recording of the live picture to an AVI file with sound, and the sound
// test. Shown without waiting by the remote window; it starts the
// viewfinder when shown and stops it when closed, and says so by closed().
// The recording itself lives in TViewFinderRecording and TSoundRecorder.

#include "CameraSession.h"
#include "SoundRecorder.h"
#include "ViewFinderRecording.h"

#include <QDialog>
#include <functional>
#include <initializer_list>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class TAppServices;
class TWindowLocaliser;

class TFormViewFinder : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* Section = "FormViewFinder";

    // FormCreate: the window is made hidden; frames come once it is shown.
    TFormViewFinder(TAppServices& services, TCameraSession& session, QWidget* parent = nullptr);
    // Ends a running recording and stores the size and the recording settings.
    ~TFormViewFinder() override;

    TRecordingState recordingState() const { return recording_.state(); }

    void FormShow();
    void FormClose();
    // One viewfinder frame, on the window's thread.
    void FrameReceived(const QByteArray& jpeg);
    void ComboBoxViewFinderModeChange();
    void ButtonSetAEClick();
    void ButtonStartAviClick();
    void ButtonStopAviClick();
    void ButtonBrowseAviClick();
    void ComboBoxCompressionChange();
    void ComboBoxQualityChange();
    void ButtonCompressOptionsClick();
    void CheckBoxWAVClick();
    void EditVideoDelayExit();
    void ButtonCalcDelayClick();
    void ButtonStartTestWavClick();
    void ButtonStopRecordingClick();
    void ButtonPlayWAVClick();
    void ButtonStopPlayClick();

  signals:
    // The window closed: the viewfinder is stopped.
    void closed();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QWidget* viewfinderGroup();
    QWidget* videoGroup();
    QWidget* soundGroup();
    QHBoxLayout* columns(std::initializer_list<QWidget*> left,
                         std::initializer_list<QWidget*> right);
    QPushButton* button(const char* name, const char* caption, const char* key,
                        void (TFormViewFinder::*handler)());
    QButtonGroup* radioGroup(QWidget* box, const char* prefix, const QStringList& items);
    void readSettings();
    void storeSettings() const;
    void writerCreated(TAviWriter& writer);
    void chooseCompressor();
    void progress(int done);
    void record(const QImage& picture);
    void endRecording();
    void enableButtons(bool on);
    void soundTestIdle();
    void startSound(const std::function<void()>& start);
    TSoundFormat soundFormat() const;
    double delayPercent();
    QString wavName() const;
    QString text(const char* key, const char* def) const;

    TAppServices& services_;
    TCameraSession& session_;
    std::unique_ptr<TWindowLocaliser> texts_;
    TWatchHandle frames_;
    bool handlingFrame_ = false;
    bool settingsRead_ = false;
    TViewFinderRecording recording_;
    TSoundRecorder sound_;
    QByteArray testLeft_, testRight_;

    QLabel* Image;
    QComboBox* ComboBoxViewFinderMode;
    QPushButton* ButtonSetAE;
    QStatusBar* StatusBar;
    QLineEdit* EditWidth;
    QLineEdit* EditHeight;
    QComboBox* ComboBoxCompression;
    QComboBox* ComboBoxQuality;
    QCheckBox* CheckBoxOnTheFly;
    QCheckBox* CheckBoxWAV;
    QCheckBox* CheckBoxRecordSound;
    QLineEdit* EditVideoDelay;
    QLineEdit* EditAviFileName;
    QPushButton* ButtonStopAvi;
    QButtonGroup* RadioGroupResoltion;
    QButtonGroup* RadioGroupFreq;
    QButtonGroup* RadioGroupChannels;
    QPushButton* ButtonStartTestWav;
    QPushButton* ButtonStopRecording;
    QPushButton* ButtonPlayWAV;
    QPushButton* ButtonStopPlay;
};
