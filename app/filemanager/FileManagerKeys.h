#pragma once
// The names the file manager window and the classes below it share: the
// language file section, the settings keys (all in TSettings::Section) and the
// language keys read in more than one place, each with its built-in text.

#include "LanguageFile.h"

namespace fmkeys {

inline constexpr const char* Section = "Form_filemanager";

// A language key with the text used when the language file lacks it.
struct TText {
    const char* key;
    const char* def;
};

// Settings.
inline constexpr const char* DirOnPC = "DirOnPC";
inline constexpr const char* UserCustomProgram = "UserCustomProgram";
inline constexpr const char* ShowHint = "ShowHint1";
inline constexpr const char* OnlyNewFiles = "Selectonlynewfiles1";
// Options menu items the transfer follows, stored under their names.
inline constexpr const char* AddTransformationToComment = "Addtranformationtocomment1";
inline constexpr const char* SetReadOnly = "Setreadonlytotransferedfiles1";
inline constexpr const char* MoviesToDirectory = "Downloadmoviestodirectory1";
inline constexpr const char* CreateExifText = "CreateTXTfilewithEXIFinfo1";
inline constexpr const char* BurnCD = "CheckBoxBurnCD";
inline constexpr const char* RawOption = "ComboBox_Raw";
inline constexpr const char* FileNamePattern = "LabelFileNameData";
inline constexpr const char* SubDirPattern = "LabelSubDirData";
inline constexpr const char* MoviesDir = "MoviesDir";
inline constexpr const char* RawJpegMaxSize = "RawJpegMaxSizeName";
inline constexpr const char* RawJpegCompression = "RawJpegCompressionName";
inline constexpr const char* Width = "BrowserWidth";
inline constexpr const char* Height = "BrowserHeight";

// Texts.
inline constexpr TText GettingPictureInfo{"statusbar_gets_pic_info", "Getting picture information"};
inline constexpr TText PictureDataReceived{"statusbar_pic_data_received", "Picture data received"};
inline constexpr TText TotalToReceive{"statusbar_tot_kB_to_receive",
                                      "Picture data received, total filesize %s kB"};
inline constexpr TText RotateLabel{"rotate_label", "Rotate:"};
inline constexpr TText ResizeLabel{"resize_label", "Resize:"};
inline constexpr TText CompressionLabel{"compression_label", "Compression:"};
inline constexpr TText GrayLabel{"gray_label", "Gray:"};
inline constexpr TText Degrees{"text_degrees", "degrees"};
inline constexpr TText DateAndTimeLabel{"date_and_time_label", "Date and time:"};
inline constexpr TText FileSizeLabel{"filesize_label", "Filesize:"};
inline constexpr TText SizeLabel{"size_label", "Size:"};
inline constexpr TText SizeHalf{"autocomment_size_half", "Resize: half"};
inline constexpr TText SizeQuarter{"autocomment_size_quarter", "Resize: quarter"};
inline constexpr TText SizeEighth{"autocomment_size_eighth", "Resize: eighth"};
inline constexpr TText TransferCaption{"transfer_button", "&Transfer"};
inline constexpr TText StopCaption{"stop_transfer_button", "S&top transfer"};

inline QString Read(const TLanguageFile& language, TText text) {
    return language.read(Section, text.key, text.def);
}

inline QString ReadFormatted(const TLanguageFile& language, TText text, const QStringList& args) {
    return language.readFormatted(Section, text.key, text.def, args);
}

} // namespace fmkeys
