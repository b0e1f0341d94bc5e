#include "app/remote_export.h"

#include "app/command_names.h"
#include "ir/frame_encoder.h"

namespace zapvane {

Status frameLight(Remote& remote, VirtualPlatform& platform, const DeviceProfile& device, int32_t command,
                  std::vector<int64_t>& light) {
  IrPort& port = remote.port;
  if (!port.openForSending() || platform.opened == nullptr) {
    port.closePort();
    return Status::ioError("cannot open the simulated port");
  }
  PortPrimitives primitives(remote.timer, port);
  sendFrame(primitives, device, command);
  light = mode2Durations(platform.opened->pendingBursts(), platform.clock.frequency(), platform.clock.now());
  port.closePort();
  return Status::ok();
}

Status exportSignals(Remote& remote, VirtualPlatform& platform, int32_t index, std::vector<CodeSignal>& signals) {
  DeviceProfile& device = *remote.catalogue.entries[static_cast<size_t>(index)];
  remote.current.device = &device;
  remote.current.catalogueIndex = index;
  // The light at adjustments 0, whatever the files hold; nothing is saved.
  device.spaceAdjust = 0;
  device.markAdjust = 0;
  remote.settings.spaceAdjust = 0;
  remote.settings.markAdjust = 0;
  signals.clear();
  for (int32_t command = 0; command < device.commandCount; ++command) {
    if (!commandExists(command, device)) continue;
    std::vector<int64_t> light;
    const Status sent = frameLight(remote, platform, device, command, light);
    if (!sent.isOk()) return sent;
    CodeSignal signal{commandName(device, command), {}, {}};
    // A label from a hand-edited file may hold a line break that would end
    // the name early in every format.
    for (char& c : signal.name) {
      if (static_cast<unsigned char>(c) < 0x20) c = '_';
    }
    for (const int64_t d : light) signal.durations.push_back(static_cast<int32_t>(d));
    signals.push_back(std::move(signal));
  }
  return Status::ok();
}

}  // namespace zapvane
