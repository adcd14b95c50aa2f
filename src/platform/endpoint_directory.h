// Where message endpoints live: one socket per receiving program, named after its window title,
// in a directory only this user can enter.
#pragma once

#include <cstddef>

namespace platform {

// KESTRIX_ENDPOINT_DIR when set (tests run side by side), else $XDG_RUNTIME_DIR/kestrix, else
// /tmp/kestrix-<uid>. Never allocates.
void EndpointDirectory(char* out, size_t outSize);

// The socket path of a window title; false when it does not fit a socket address.
bool EndpointPath(const char* window, char* out, size_t outSize);

// Creates the directory with mode 0700 when missing and refuses one that another user owns or
// others can enter; false with a debug line then.
bool PrepareEndpointDirectory();

}  // namespace platform
