#pragma once
// The remote control window's language section, settings keys and work files,
// in one place for the window, its flows and its tests.

namespace remotekey {

inline constexpr const char* Section = "Form_Remote";

inline constexpr const char* Width = "RemoteWidth";
inline constexpr const char* Height = "RemoteHeight";
inline constexpr const char* Directory = "DirectoryEdit";
inline constexpr const char* ShowHint = "CheckBox_ShowHintRemote";
inline constexpr const char* ShutDown = "CheckBoxShutDown";
inline constexpr const char* EnableParameters = "CheckBoxEnableParameters";
inline constexpr const char* TransferMode = "ComboBox_TransMode";
inline constexpr const char* WebcamName = "Edit_Webcamname";
inline constexpr const char* Compression = "SpinEdit_Compression";
inline constexpr const char* Resize = "ComboBox_Resize";
inline constexpr const char* DeleteCamPic = "CheckBox_DeleteCamPic";
inline constexpr const char* Zoom = "TrackBarZoom";
inline constexpr const char* Beep = "CheckBoxBeep";

// In the program folder.
inline constexpr const char* ThumbnailFile = "thumbnail.jpg";
inline constexpr const char* RequestFile = "take_picture.ini";

} // namespace remotekey
