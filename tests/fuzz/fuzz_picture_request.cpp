// The request file another program leaves for a picture: the input is the
// file. A name it asks for is used only when it is a plain file name, and
// then the picture's files stay in the picture folder.

#include "Errors.h"
#include "FuzzSupport.h"
#include "RemoteNaming.h"
#include "RequestFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPictureRequest request;
    try {
        request = ReadPictureRequest(fuzz::writeInput("take_picture.ini", fuzz::bytesOf(data, size)));
    } catch (const ELumvikError&) {
        return 0;
    }
    if (!IsPlainFileName(request.fileName))
        return 0;
    const QString folder = "/pictures";
    int asked = 0;
    const QString path =
        UniquePath(JoinDirectory(folder, request.fileName), [&](const QString&) { return ++asked < 3; });
    for (const QString& file : {path, WithExtension(path, ".bmp"), WithExtension(path, ".thm")})
        if (!file.startsWith(folder + "/") || file.indexOf('/', folder.size() + 1) >= 0)
            __builtin_trap();
    return 0;
}
