#include "FileManagerGroup.h"

#include "Dialogs.h"
#include "Dlg_Filemanager.h"
#include "Dlg_Preview.h"

void JoinFileManagerGroup(TForm_filemanager& fileManager) {
    fileManager.showPreview =
        [preview = static_cast<TForm_Preview*>(nullptr)](TForm_filemanager& window) mutable {
            // Made at the first showing and destroyed with the file manager.
            if (!preview)
                preview = new TForm_Preview(
                    window.services(), window.model().records,
                    [&window](int item) { window.model().GetPictureData(item, true); }, &window);
            ExecModal(*preview);
        };
}
