// RemoteController: everything the main window does that is not drawing. It
// turns pen taps into actions (switch device, toggle the shift page, send a
// command while the pen is held, end auto adjust), runs the menu commands
// with their refusals, chooses what the window shows, and shuts down.
//
// Threads: window thread only. It starts the transmit worker and afterwards
// changes only buttonHeld, which the worker polls.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/data_files.h"
#include "core/problem_reporter.h"
#include "core/remote_core.h"
#include "ir/ir_port.h"
#include "ir/transmit_worker.h"
#include "learn/learn_capture.h"
#include "platform/idle_timeouts.h"
#include "ui/skin_layouts.h"
#include "ui/window_services.h"

namespace zapvane {

// Command identifiers of the menus and of the workers' reports.
enum Command : int32_t {
  cmdLearnDialog = kReportLearnDialog,
  cmdNameCommand = kReportNameCommand,
  cmdAbout = 40010,
  cmdExit = 40011,
  cmdSelectDevices = 40013,
  cmdSetupIrPort = 40014,
  cmdSound = 40026,
  cmdStartLearn = 40032,
  cmdStopLearn = 40046,
};

inline constexpr int32_t kSpecialButtonPauseMs = 200;
inline constexpr int32_t kAfterStartPauseMs = 10;
inline constexpr int32_t kShutdownPauseMs = 500;

Message learningRefusal();

// What the window draws: which picture, and the texts on it.
struct SkinView {
  enum Picture { tv = 0, vcr = 1, shift = 2 } picture;
  const SkinLayout* layout;
  bool showName;
  std::u16string name;
  std::vector<std::pair<int32_t, std::u16string>> labels;  // label slot, text
};

// The text rectangle of shift-page label slot k, in window coordinates.
WindowRect labelRect(int32_t slot);

struct ControllerParts {
  RemoteCore& core;
  IrPort& port;
  TransmitWorker& worker;
  LearnWorker& learnWorker;
  IdleTimeouts& idle;
  const DataFiles& files;
  ProblemReporter& problems;
  WindowServices& window;
};

class RemoteController {
 public:
  explicit RemoteController(const ControllerParts& parts) : parts_(parts) {}

  void penDown(uint16_t x, uint16_t y);
  void penUp();
  void command(int32_t id);
  SkinView skinView() const;
  // Stops a running worker, closes the port, frees the learned signals and
  // pauses before the window goes.
  void shutdown();

  // The user devices dialog's Add new / Modify, the Learn function dialog's
  // buttons and Command properties' OK run in the learning dialogs; the
  // capture's own reports arrive as commands 20 and 21.

 private:
  bool selectionEmptyOutsideLearning() const;
  void switchDevice(int32_t step);

  ControllerParts parts_;
};

}  // namespace zapvane
