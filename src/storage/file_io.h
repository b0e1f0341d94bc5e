// What the data files need beyond reading and saving, which the FileSystem
// does: sweeping the temporaries that killed saves left behind, and keeping
// a refused file aside so no later save can destroy it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"
#include "platform/status.h"

namespace zapvane {

// Removes the temporary files that saves of `path` left behind when they
// were killed before their rename: the hidden, marked names of
// temporaryPrefixFor() and nothing else, last written more than
// `minimumAgeSeconds` ago (a younger one may be another process's save in
// progress). Returns how many went.
int removeStaleTemporaries(FileSystem& fs, const std::string& path, int64_t minimumAgeSeconds);

// Renames path to path + ".bad" (or ".bad.2", ".bad.3" ... when taken), so
// that a file the program cannot use survives later saves; `aside` receives
// the new name.
Status keepAside(FileSystem& fs, const std::string& path, std::string& aside);

}  // namespace zapvane
