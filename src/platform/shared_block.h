// A named block of memory shared with another process of the same user. It persists under its
// name until removed, so a reader that maps it keeps seeing what the creator writes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// The name a block is really created under: KESTRIX_SHM_NAME, when set, replaces the given name so
// that parallel test runs each get their own block.
void SharedBlockName(const char* name, char* out, size_t outSize);

// Creates (or reuses) the block with mode 0600, sizes it and maps it whole for reading and writing.
// nullptr with a debug line on any failure, also when an existing block belongs to another user.
uint8_t* CreateSharedBlock(const char* name, size_t size);

// Maps an existing block of at least size bytes; nullptr (silently) while it does not exist yet.
uint8_t* OpenSharedBlock(const char* name, size_t size);

// Removes the name; mappings stay valid until unmapped.
void RemoveSharedBlock(const char* name);

}  // namespace platform
