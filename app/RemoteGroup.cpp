#include "RemoteGroup.h"

#include "Dlg_Remote.h"
#include "Dlg_ViewFinder.h"

void JoinViewFinder(TForm_Remote& remote, const TMainContext& main) {
    // A child of the remote window: usable beside it while it is modal, and
    // gone with it. Closing it stops the viewfinder and ends a recording,
    // which destroying it alone would not.
    auto* viewFinder = new TFormViewFinder(main.services, main.session, &remote);
    QObject::connect(viewFinder, &TFormViewFinder::closed, &remote,
                     [&remote] { remote.setViewFinderOpen(false); });
    remote.startViewFinder = [viewFinder] {
        viewFinder->show();
        viewFinder->raise();
    };
    remote.closeViewFinder = [viewFinder] {
        if (viewFinder->isVisible())
            viewFinder->close();
    };
}
