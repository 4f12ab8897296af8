#include "FileManagerGroup.h"

#include "AppException.h"
#include "Dialogs.h"
#include "Dlg_Filemanager.h"
#include "Dlg_MovieRecompProp.h"
#include "Dlg_Preview.h"
#include "Dlg_SendEmail.h"
#include "MailFlows.h"
#include "TransferRecord.h"

namespace {

// The record of what was taken from the camera, kept while Select only new
// files is on and read at its first use, when the camera is connected. A
// computer folder has none.
void keepTransferRecord(TForm_filemanager& fileManager) {
    const auto record = std::make_shared<std::unique_ptr<TTransferRecord>>();
    const auto recordOf = [&fileManager, record]() -> TTransferRecord* {
        if (fileManager.model().computerDirectory || !fileManager.onlyNewFiles())
            return nullptr;
        if (!*record)
            *record = std::make_unique<TTransferRecord>(ConnectedCameraKey());
        return record->get();
    };
    fileManager.transferredBefore = [recordOf](const TCameraItem& item) {
        const TTransferRecord* record = recordOf();
        return record && record->contains(item);
    };
    fileManager.transfer().hooks.received = [&fileManager, recordOf](int itemNumber) {
        if (TTransferRecord* record = recordOf())
            record->add(fileManager.model().item(itemNumber));
    };
}

} // namespace

void JoinFileManagerGroup(TForm_filemanager& fileManager) {
    keepTransferRecord(fileManager);
    fileManager.showPreview =
        [preview = static_cast<TForm_Preview*>(nullptr)](TForm_filemanager& window) mutable {
            // Made at the first showing and destroyed with the file manager.
            if (!preview)
                preview = new TForm_Preview(
                    window.services(), window.model().records,
                    [&window](int item) { window.model().GetPictureData(item, true); }, &window);
            ExecModal(*preview);
        };
    // Made and restored with the group; a stored encoder that is gone is
    // reported at once and leaves the choice empty.
    auto* movies = new TFormMovieRecomp(fileManager.services(), &fileManager);
    RunGuarded([movies] { movies->RestoreChoices(); });
    fileManager.showMovieOptions = [movies] { ExecModal(*movies); };
    fileManager.transfer().hooks.recompressMovie =
        [movies](const QString& movie, const std::function<void(int)>& progress,
                 const std::function<bool()>& stopped) {
            return movies->Recompress(movie, {progress, stopped});
        };
}

TFileManagerSetup FileManagerGroupWithMail(std::shared_ptr<TMailWindows> mail) {
    return [mail](TForm_filemanager& fileManager) {
        JoinFileManagerGroup(fileManager);
        TTransferHooks& hooks = fileManager.transfer().hooks;
        TAppServices& services = fileManager.services();
        hooks.startMail = [mail, &services] { mail->newMail(services); };
        hooks.attachToMail = [mail](const QString& path) {
            if (TForm_SendEmail* window = mail->mail())
                window->addAttachment(path);
        };
        hooks.showMail = [mail] { mail->showMail(); };
    };
}
