#pragma once
// Completes a new file manager with the rest of its group: the preview window
// that its preview button shows, the movie recompression window that
// recompresses received movies, and the send-mail window that takes the
// received pictures. Given to the file manager flows as their setup.

#include "FileManagerFlows.h"

#include <memory>

class TForm_filemanager;
class TMailWindows;

void JoinFileManagerGroup(TForm_filemanager& fileManager);

// The same, with the transfer's "Email pictures" going to a send-mail window
// of `mail`: a new mail at the start, each received file attached, the window
// shown after the transfer.
TFileManagerSetup FileManagerGroupWithMail(std::shared_ptr<TMailWindows> mail);
