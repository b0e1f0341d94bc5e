// A remote's signal from a pulse file (mode2 text, "pulse N" / "space N"),
// as learning without hardware reads it: from the command line or from
// ports.conf's SimRemote=. Only a regular file of at most kMaxPulseFileBytes
// is read (readRegularFile).
#pragma once

#include <cstddef>
#include <string>

#include "platform/sim_receiver.h"
#include "platform/status.h"

namespace zapvane {

inline constexpr size_t kMaxPulseFileBytes = 1 << 20;

// notFound or ioError when the file cannot be read, invalidArgument when it
// is no regular file, is longer than kMaxPulseFileBytes or holds no signal
// (parseRemoteSignal); every message starts with the path.
Status readPulseFile(const std::string& path, RemoteSignal& signal);

}  // namespace zapvane
