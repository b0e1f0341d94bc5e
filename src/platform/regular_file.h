// Reading a file the user names (a pulse file, a code file to import):
// only a regular file of at most a given size, so a FIFO, a terminal or
// /dev/zero named by mistake is refused at once instead of blocking or
// filling the memory.
#pragma once

#include <cstddef>
#include <string>

#include "platform/status.h"

namespace zapvane {

// The whole file into `text`. notFound or ioError when it cannot be read,
// invalidArgument when it is no regular file or longer than maxBytes; every
// message starts with the path.
Status readRegularFile(const std::string& path, size_t maxBytes, std::string& text);

}  // namespace zapvane
