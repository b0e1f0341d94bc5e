#include "platform/pulse_file.h"

#include "platform/regular_file.h"

namespace zapvane {

Status readPulseFile(const std::string& path, RemoteSignal& signal) {
  std::string text;
  const Status status = readRegularFile(path, kMaxPulseFileBytes, text);
  if (!status.isOk()) return status;
  const Status parsed = parseRemoteSignal(text, signal);
  if (!parsed.isOk()) return Status::invalidArgument(path + ": " + parsed.message());
  return Status::ok();
}

}  // namespace zapvane
