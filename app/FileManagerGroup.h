#pragma once
// Completes a new file manager with the rest of its group: the preview window
// that its preview button shows. Given to the file manager flows as their setup.

class TForm_filemanager;

void JoinFileManagerGroup(TForm_filemanager& fileManager);
