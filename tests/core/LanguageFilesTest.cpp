#include "IniFile.h"
#include "LanguageCheck.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using languagecheck::LanguageFileFaults;
using languagecheck::ShippedFolder;
using languagecheck::TMenuKeys;

namespace {

// Each menu, menu bar and tab bar of the program, by the keys of its items. The
// main window's Quit button shares the window's Alt keys with its menu bar.
const QList<TMenuKeys> Menus = {
    {"Form_main",
     {"camera_menu", "pictures_menu", "USB_menu", "email_menu", "about_menu", "camera_quit_menu"}},
    {"Form_main",
     {"camera_connect_menu", "camera_disconnect_menu", "camera_select_language_menu",
      "camera_properties_menu", "camera_quit_menu"}},
    {"Form_main",
     {"pictures_get_pic_from_cam_menu", "pictures_get_pic_from_computer_drive",
      "pictures_take_pic_remote_menu", "pictures_upload_pictures"}},
    {"Form_main", {"USB_add_usb_auto_menu", "USB_delete_USB_auto_menu"}},
    {"Form_main",
     {"email_pictures_menu", "email_send_a_request_menu", "email_send_an_errorreport_menu",
      "email_send_a_question_menu"}},
    {"Form_main",
     {"about_debug_menu", "about_autowebupdate_menu", "about_searchwebupdate_menu",
      "about_about_menu"}},
    {"Form_filemanager", {"options_menu"}},
    {"Form_filemanager",
     {"use_ZB_filenames", "create_subdir_with_date_menu", "use_date_time_as_filename_menu",
      "email_pics_menu", "show_hint_menu", "add_transformation_to_comment_menu",
      "open_explorer_after_transfer_menu", "open_custom_prg_after_transfer_menu",
      "recompress_movies_menu", "set_read_only_menu", "movies_download_menu",
      "raw_jpeg_preview_menu", "create_EXIF_text_menu"}},
    {"Form_Preview",
     {"rotate_right_90", "rotate_left_90", "rotate_180", "convert_to_gray", "compression",
      "resize_to_full", "resize_to_half", "resize_to_quarter", "resize_to_eighth", "add_comment",
      "clear_transformations"}},
    {"Form_Remote",
     {"remote_tab_sheet", "webcam_tab_sheet", "timing_tab_sheet", "release_parameters_tab_sheet"}},
    {"FormProperties", {"internet_tabsheet_label", "email_tabsheet_label"}},
};

TIniFile iniFile(const QString& content) {
    return TIniFile(
        testfiles::Write(testenv::newFolder("language") + "/file.ini", content.toUtf8()));
}

} // namespace

TEST(LanguageFiles, EveryShippedLanguageIsSoundAndListed) {
    const TIniFile english(ShippedFolder() + "/english.ini");
    QStringList shipped;
    for (const QFileInfo& file : QDir(ShippedFolder()).entryInfoList({"*.ini"}, QDir::Files)) {
        if (file.fileName() == "languages.ini")
            continue;
        shipped << file.completeBaseName();
        const QStringList faults = LanguageFileFaults(english, TIniFile(file.filePath()), Menus);
        EXPECT_TRUE(faults.isEmpty()) << file.fileName().toStdString() << ":\n"
                                      << faults.join('\n').toStdString();
    }
    EXPECT_TRUE(shipped.contains("deutsch"));

    languagecheck::InstallShippedLanguages();
    QStringList listed = ListedLanguages();
    listed.sort();
    shipped.sort();
    EXPECT_EQ(listed.join(' ').toStdString(), shipped.join(' ').toStdString())
        << "languages.ini lists other languages than there are files";
}

TEST(LanguageFiles, CheckFindsEachFault) {
    const TIniFile english = iniFile("[VERSION]\nversion=1\n"
                                     "[Form_main]\n"
                                     "camera_menu=&Camera\n"
                                     "pictures_menu=&Pictures\n"
                                     "infomsg_x=Reason = %s, file %s\n"
                                     "hint_two=one%stwo\n");
    const QList<TMenuKeys> menus = {{"Form_main", {"camera_menu", "pictures_menu"}}};
    struct Case {
        const char* what;
        QString texts;
        QStringList faults;
    };
    const QString version = "[VERSION]\nversion=1\n";
    const QString menuTexts = "camera_menu=&Kamera\npictures_menu=&Bilder\n";
    const QString hint = "hint_two=eins%szwei\n";
    const Case cases[] = {
        {"sound", "[Form_main]\n" + menuTexts + "infomsg_x=Grund = %s, Datei %s\n" + hint, {}},
        {"arguments by position, percent sign, other letter case",
         "[FORM_MAIN]\n" + menuTexts + "INFOMSG_X=Datei %1:s (100%%), Grund = %0:s\n" + hint,
         {}},
        {"missing key", "[Form_main]\n" + menuTexts + hint, {"[form_main] infomsg_x: missing"}},
        {"unknown key",
         "[Form_main]\n" + menuTexts + "infomsg_x=Grund = %s, Datei %s\n" + hint +
             "[Form_other]\nform=Andere\n",
         {"[form_other] form: unknown key"}},
        {"extra %s",
         "[Form_main]\n" + menuTexts + "infomsg_x=Grund = %s, Datei %s\nhint_two=eins%szwei%s\n",
         {"[form_main] hint_two: uses %0:s %1:s where English uses %0:s"}},
        {"one argument twice, the other never",
         "[Form_main]\n" + menuTexts + "infomsg_x=Grund = %0:s, Datei %0:s\n" + hint,
         {"[form_main] infomsg_x: uses %0:s %0:s where English uses %0:s %1:s"}},
        {"%d and a stray %",
         "[Form_main]\n" + menuTexts + "infomsg_x=Grund = %d, Datei %s\nhint_two=100% eins%szwei\n",
         {"[form_main] hint_two: uses invalid where English uses %0:s",
          "[form_main] infomsg_x: uses invalid where English uses %0:s %1:s"}},
        {"duplicate accelerator in other letter case",
         "[Form_main]\ncamera_menu=&Kamera\npictures_menu=&kopien\n"
         "infomsg_x=Grund = %s, Datei %s\n" +
             hint,
         {"[form_main] pictures_menu: accelerator 'k' also in camera_menu"}},
        {"&& is no accelerator",
         "[Form_main]\ncamera_menu=&&Kamera\npictures_menu=&Bilder\n"
         "infomsg_x=Grund = %s, Datei %s\n" +
             hint,
         {"[form_main] camera_menu: no accelerator"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LanguageFileFaults(english, iniFile(version + c.texts), menus), c.faults)
            << c.what;
}
