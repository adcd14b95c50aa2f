// Writes every byte to a descriptor, going on after partial writes and interrupted calls.
#pragma once

#include <string_view>

namespace platform {

// False at the first write the system refuses; what was written before stays written.
bool WriteAll(int fd, std::string_view bytes);

}  // namespace platform
