// RemoteCore: the state the remote control runs on, shared by the window and
// the command line tool: the catalogue, the device shown, the settings and
// the auto-adjust flag, with the adjustments in force derived from them.
// Tests and tools create as many fresh ones as they like.
#pragma once

#include <atomic>

#include "catalogue/device_catalogue.h"
#include "ir/adjustments.h"
#include "storage/ir_settings.h"

namespace zapvane {

struct RemoteCore {
  DeviceCatalogue catalogue;
  CurrentDevice current;
  IrSettings settings;
  std::atomic<bool> autoAdjustActive{false};
  AdjustmentsInForce adjustments{current, settings, autoAdjustActive};

  RemoteCore() = default;
  RemoteCore(const RemoteCore&) = delete;
  RemoteCore& operator=(const RemoteCore&) = delete;
};

// Fills the built-in profiles, resets the user devices and builds the
// catalogue, entry 0 shown.
void startCatalogue(RemoteCore& core);

}  // namespace zapvane
