// Remote: the running remote control without its window, the one object the
// window, the command line tool, the benchmarks and the tests build. It owns
// the state (the catalogue with the user devices' buffers, the device shown,
// the settings, the selection, the pen, learning and auto adjust), the
// services wired on one Platform (pulse timer, port, idle time-outs, the
// transmit and learn workers), and the workflows that are not drawing:
// start-up, the pen and the menu commands (pen_and_menu.cpp), auto adjust
// (auto_adjust_actions.h), learning (user_device_actions.h,
// learning_actions.h), selection and setup (settings_actions.h).
//
// A window attaches itself for drawing, dialogs and message boxes; until
// then messages go to stderr and drawing requests go nowhere.
//
// Threads: built, started and driven on the window thread; the workers it
// owns run on their own and read the state's atomics.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/data_files.h"
#include "app/menu_command.h"
#include "app/problem_reporter.h"
#include "app/skin_layouts.h"
#include "app/window_services.h"
#include "catalogue/device_catalogue.h"
#include "catalogue/ir_settings.h"
#include "catalogue/user_device_buffers.h"
#include "ir/adjustments.h"
#include "ir/ir_port.h"
#include "ir/pen_state.h"
#include "ir/pulse_timer.h"
#include "ir/transmit_worker.h"
#include "learn/learn_capture.h"
#include "learn/learning_state.h"
#include "platform/platform.h"
#include "platform/ports_config.h"
#include "storage/selection_file.h"

namespace zapvane {

// What the window draws: which picture, and the texts on it.
struct SkinView {
  enum Picture { tv = 0, vcr = 1, shift = 2 } picture;
  const SkinLayout* layout;
  bool showName;
  std::u16string name;
  std::vector<std::pair<int32_t, std::u16string>> labels;  // label slot, text
};

class Remote {
 private:
  // Forwards to the attached window; without one, messages go to the error
  // stream as "caption: text" and the rest does nothing.
  class AttachedWindow final : public WindowServices {
   public:
    explicit AttachedWindow(std::ostream& err) : err_(err) {}
    void attach(WindowServices* window) { window_ = window; }
    void show(const Message& message) override;
    void showWithReason(const Message& message, const std::string& reason) override;
    void invertHotSpot(int32_t result) override;
    void repaintNow() override;
    void updateMenuStates() override;
    void runDialog(DialogId dialog) override;
    void sleepMilliseconds(int32_t milliseconds) override;
    void destroyWindow() override;

   private:
    std::ostream& err_;
    std::atomic<WindowServices*> window_{nullptr};
  };

  // Passes a capture's reports (from the learn worker) to the window.
  class AttachedLearnReports final : public LearnWindow {
   public:
    void attach(LearnWindow* reports) { reports_ = reports; }
    void updateMenuStates() override;
    void repaintNow() override;
    void report(LearnReport report) override;

   private:
    std::atomic<LearnWindow*> reports_{nullptr};
  };

  // The port's "Unable to open COMn:", from the window thread (learning) or
  // a transmit worker: after the box the button the tap drew pressed is
  // drawn released, as the pen-up the box swallowed would have (in learning
  // mode no pen-up repaints at all).
  class PortMessages final : public MessageSink {
   public:
    explicit PortMessages(AttachedWindow& window) : window_(window) {}
    void show(const Message& message) override;
    void showWithReason(const Message& message, const std::string& reason) override;

   private:
    AttachedWindow& window_;
  };

  // Opens ports through the platform as ports.conf says.
  class ConfiguredPorts final : public PortOpener {
   public:
    explicit ConfiguredPorts(Remote& remote) : remote_(remote) {}
    Status open(const std::string& name, std::unique_ptr<SerialDevice>& device) override;

   private:
    Remote& remote_;
  };

  // Before the services that hold references to them.
  std::ostream& err_;
  AttachedWindow attached_{err_};
  AttachedLearnReports learnReports_;
  PortMessages portMessages_{attached_};
  ConfiguredPorts ports_{*this};

 public:
  // `program` prefixes the lines on `err` ("zapvane", "zapvane-cli").
  Remote(Platform& platform, const DataFiles& files, std::ostream& err, std::string program = "zapvane");
  ~Remote();
  Remote(const Remote&) = delete;
  Remote& operator=(const Remote&) = delete;

  // One writer at a time: whoever changes the data files holds the data
  // folder's lock across load, change and save, so it loads what the last
  // writer saved. Creates the folder on first use. Waits at most
  // `waitSeconds` for another holder; busy when it keeps the folder. A
  // command (as opposed to the window, which holds the folder for its whole
  // life) also waits its turn behind another command, which is brief.
  enum class Holder { window, command };
  Status lockDataFolder(Holder holder, double waitSeconds);
  bool holdsDataFolder() const { return folderLock_ != nullptr; }

  // Start-up from the data directory, in the order the program depends on:
  // built-in profiles, user devices (reset, then loaded), timer calibration,
  // ports.conf, settings (loaded, or defaults written while missing), the
  // catalogue, the selection and the device it shows. Creates the directory
  // on first use and fails when it cannot. Without the folder's lock it only
  // reads: no stale temporaries swept, a refused file left where it is.
  Status start();

  // The window's services; nullptr detaches. REQUIRES: no worker running.
  void attachWindow(WindowServices* window, LearnWindow* learnReports);

  // The pen and the menus (pen_and_menu.cpp).
  void penDown(uint16_t x, uint16_t y);
  void penUp();
  void command(MenuCommand id);
  // A capture's report, on the window thread: its command (the Learn
  // function dialog, or Command properties first), after which the capture
  // needs nothing more of the window and the next learning tap may start.
  void handleLearnReport(LearnReport report);
  SkinView skinView() const;
  // Stops a running worker, closes the port, frees the learned signals and
  // pauses before the window goes.
  void shutdown();

  // Shows catalogue entry `index` at selection position `pos`.
  // REQUIRES: 0 <= index < catalogue.catalogueCount.
  void showDevice(int32_t index, int32_t pos);
  // Shows the device at the saved position of the selection; a position
  // outside the list shows position 0 (an empty list, catalogue entry 0).
  // The settings file is not rewritten.
  void showSavedDevice();
  // Each saves its file, reporting a failure; true when it is saved.
  bool saveSettingsFile();
  bool saveUserDevicesFile();
  bool saveSelectionFile();

  Platform& platform;
  const DataFiles files;

  DeviceCatalogue catalogue;
  UserDeviceBuffers buffers;
  CurrentDevice current;
  IrSettings settings;
  SelectionList selection;
  PenState pen;
  LearningState learning;
  std::atomic<bool> autoAdjustActive{false};
  AdjustmentsInForce adjustments{current, settings, autoAdjustActive};
  PortsConfig portsConfig;

  ProblemReporter problems;
  // The window's services, forwarded once it is attached.
  WindowServices& window() { return attached_; }
  MessageSink& messages() { return attached_; }

  PulseTimer timer;
  IrPort port;
  TransmitWorker worker;
  LearnWorker learnWorker;

 private:
  bool selectionEmptyOutsideLearning() const;
  bool saved(const Status& save);
  // What the folder's lock file says of its holder.
  std::string dataFolderHolder();
  void switchDevice(int32_t step);

  std::unique_ptr<FileLock> folderLock_;
};

}  // namespace zapvane
