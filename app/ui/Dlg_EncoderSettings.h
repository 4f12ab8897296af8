#pragma once
// The settings window of one FFmpeg encoder, shared by the movie recompression
// and the viewfinder's recording: constant quality or bit rate, speed preset
// and key-frame distance, each shown only as far as the encoder offers it.

#include "EncoderSettings.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QRadioButton;
class QSpinBox;
class TAppServices;
class TLanguageFile;
class TWindowLocaliser;

class TFormEncoderSettings : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* Section = "FormEncoderSettings";

    TFormEncoderSettings(const TLanguageFile& language, const QString& encoder,
                         const TEncoderSettings& settings, QWidget* parent = nullptr);
    ~TFormEncoderSettings() override;

    // What the controls hold now.
    TEncoderSettings settings() const;

  private:
    void display(const TEncoderSettings& settings);
    void enableRate();

    TEncoderOffer offer_;
    QString encoder_;
    std::unique_ptr<TWindowLocaliser> texts_;
    QRadioButton* RadioQuality;
    QRadioButton* RadioBitRate;
    QSpinBox* SpinQuality;
    QSpinBox* SpinBitRate;
    QComboBox* ComboPreset;
    QSpinBox* SpinKeyFrames;
};

// Shows the stored settings of `encoder` and stores them when OK is pressed;
// true then.
bool EditEncoderSettings(TAppServices& services, const QString& encoder, QWidget* parent);
