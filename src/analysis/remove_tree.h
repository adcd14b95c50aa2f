// Clears a folder of shot records while keeping the records of chosen shots.
#pragma once

// Deletes every file in folder and every subfolder whose full path (folder joined with its name)
// contains neither keepA nor keepB, with all they hold; a subfolder that matches stays whole.
// A null keep text matches nothing. Symbolic links are removed, never followed. With removeSelf
// folder itself is removed at the end. False, stopping at once, when folder cannot be listed, a
// file or subfolder cannot be removed (a subfolder that holds a kept folder cannot), or, with
// removeSelf, folder cannot be removed.
bool RemoveTree(const char* folder, const char* keepA, const char* keepB, bool removeSelf);
