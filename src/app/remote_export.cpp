#include "app/remote_export.h"

#include "app/command_names.h"
#include "ir/frame_light.h"

namespace zapvane {

std::vector<CodeSignal> exportSignals(Remote& remote, int32_t index) {
  DeviceProfile& device = *remote.catalogue.entries[static_cast<size_t>(index)];
  remote.current.device = &device;
  remote.current.catalogueIndex = index;
  // The light at adjustments 0, whatever the files hold; nothing is saved.
  device.spaceAdjust = 0;
  device.markAdjust = 0;
  remote.settings.spaceAdjust = 0;
  remote.settings.markAdjust = 0;
  std::vector<CodeSignal> signals;
  for (int32_t command = 0; command < device.commandCount; ++command) {
    if (!commandExists(command, device)) continue;
    const std::vector<int64_t> light = composeFrameLight(device, command, remote.adjustments).durations;
    CodeSignal signal{commandName(device, command), {}, {}};
    // A label from a hand-edited file may hold a line break that would end
    // the name early in every format.
    for (char& c : signal.name) {
      if (static_cast<unsigned char>(c) < 0x20) c = '_';
    }
    for (const int64_t d : light) signal.durations.push_back(static_cast<int32_t>(d));
    signals.push_back(std::move(signal));
  }
  return signals;
}

}  // namespace zapvane
