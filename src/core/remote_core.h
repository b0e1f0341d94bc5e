// RemoteCore: the state the remote control runs on, shared by the window and
// the command line tool: the catalogue with the user devices' buffers, the
// device shown, the settings, the selection and the auto-adjust flag, with
// the adjustments in force derived from them. Tests and tools create as many
// fresh ones as they like; nothing here is global.
#pragma once

#include <atomic>

#include "catalogue/device_catalogue.h"
#include "core/data_files.h"
#include "core/problem_reporter.h"
#include "ir/adjustments.h"
#include "ir/pulse_timer.h"
#include "platform/messages.h"
#include "storage/ir_settings.h"
#include "storage/selection_file.h"
#include "storage/user_device_buffers.h"

namespace zapvane {

// The skin's shared words: which page is shown, what the pen pressed, and
// whether it is still down. The window writes them before it starts a
// worker and afterwards changes only buttonHeld, which the worker polls.
struct PenState {
  std::atomic<bool> shiftPage{false};
  std::atomic<int32_t> pressedButton{0};
  std::atomic<int32_t> shiftCommand{0};
  std::atomic<bool> buttonHeld{false};
};

// The learning workflow's words. learningMode and captureRunning are read by
// the window while the learn worker runs.
struct LearningState {
  std::atomic<bool> learningMode{false};
  std::atomic<bool> captureRunning{false};
  std::atomic<int32_t> editedUserDevice{0};
  std::atomic<bool> editingExisting{false};
  std::atomic<int32_t> learnSlot{0};
  std::atomic<int32_t> labelSlot{0};
};

struct RemoteCore {
  DeviceCatalogue catalogue;
  UserDeviceBuffers buffers;
  CurrentDevice current;
  IrSettings settings;
  SelectionList selection;
  PenState pen;
  LearningState learning;
  std::atomic<bool> autoAdjustActive{false};
  AdjustmentsInForce adjustments{current, settings, autoAdjustActive};

  RemoteCore() = default;
  RemoteCore(const RemoteCore&) = delete;
  RemoteCore& operator=(const RemoteCore&) = delete;
};

// The catalogue alone, with no files: built-in profiles filled, user devices
// reset, entry 0 shown.
void startCatalogue(RemoteCore& core);

// Start-up from a data directory, in the order the program depends on:
// built-in profiles, user devices (reset, then loaded), timer calibration
// (when a timer is given), settings (loaded, or defaults written), the
// catalogue, the selection and the device it shows. Creates the directory
// on first use. Problems with the files go to `problems`; allocation
// failure is shown through `messages`.
void startRemote(RemoteCore& core, const DataFiles& files, PulseTimer* timer, MessageSink& messages,
                 ProblemReporter& problems);

}  // namespace zapvane
