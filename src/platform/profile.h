// Profile (INI) files: the reader and writer the settings of every camera go through.
//
// Sections and keys match case-insensitively, blanks around keys and values are trimmed and one
// pair of surrounding quotes is dropped on read. Files are read with LF or CRLF line ends and
// written with CRLF, so a file edited on either platform moves freely.
#pragma once

#include <cstdint>

namespace platform {

// Copies the value of section/key (or defaultValue when the file, section or key is missing)
// into out, cut to size - 1 characters and NUL-terminated. Returns the characters copied; size 0
// or a null out copies nothing. The default loses its trailing blanks and keeps any quotes; a
// null default is empty. Only the first section of a name and in it the first line of a key
// count; lines starting with ';' or '#' are comments, and a key line without '=' reads as missing.
uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                                  char* out, uint32_t size, const char* path);

// Replaces key in section in place, or appends it (creating section and file when missing),
// keeping every other line. Returns false when the file cannot be written.
// The line written is key=value with CRLF (an existing key keeps its spelling in the file); it
// goes after the section's last key line, a new section at the end of the file. A last line
// without its line end gets one first: LF alone after a CR, which the reader already took as
// the line's end, else CRLF. The file is
// replaced through a temporary file and a rename, so it is never left cut. Null arguments, line
// breaks anywhere, '=' in the key or ']' in the section are refused with a debug line, as is a
// file that exists but cannot be read (it would otherwise be replaced by this one key).
bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* path);

}  // namespace platform
