// One Zapvane window for an offscreen test: a fresh data folder, the remote
// started on a virtual counter and a recording simulated port, the window
// made after the core as the program does, and its message boxes recorded.
// The sleeper type says how the transmit worker pauses: really (the test
// thread acts meanwhile) or on the virtual clock (whole timelines at once).
#pragma once

#include <QPoint>
#include <QTest>
#include <QWidget>
#include <filesystem>
#include <initializer_list>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "learn/user_devices.h"
#include "support/fakes.h"
#include "ui/main_window.h"

namespace zapvane::testing {

// The child of `parent` named `name`; without it no check can go on.
template <class T>
T* child(QObject* parent, const char* name) {
  T* found = parent == nullptr ? nullptr : parent->findChild<T*>(QString::fromUtf8(name));
  if (found == nullptr) qFatal("no child %s", name);
  return found;
}

// Saves a picture of `widget`, shown, when ZAPVANE_SCREENSHOTS names a
// folder: the README's pictures come from here.
inline void screenshot(QWidget& widget, const char* name) {
  const QByteArray dir = qgetenv("ZAPVANE_SCREENSHOTS");
  if (dir.isEmpty()) return;
  if (!widget.isVisible()) {
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
  }
  QVERIFY(widget.grab().save(QString::fromUtf8(dir) + QLatin1Char('/') + QLatin1String(name)));
}

template <class WorkerSleeper>
struct WindowRig {
  // `folder` names the test's own data folder under the temporary directory.
  explicit WindowRig(const std::string& folder) : files(freshDataFiles(folder)) {
    window.presentMessage = [this](const Message& m) { messages.push_back(m); };
  }
  ~WindowRig() {
    window.close();
    std::filesystem::remove_all(files.dir);
  }
  WindowRig(const WindowRig&) = delete;
  WindowRig& operator=(const WindowRig&) = delete;

  static DataFiles freshDataFiles(const std::string& folder) {
    const auto dir = std::filesystem::temp_directory_path() / folder;
    std::filesystem::remove_all(dir);
    return DataFiles::in(dir.string());
  }
  // The program starts the core before it makes the window.
  static bool started(RemoteApp& app) {
    app.start();
    return true;
  }

  // A user device as an earlier learning left it: in the catalogue, not in
  // learning mode.
  void addUserDevice(const char16_t* name, int32_t skin = kTvSkin) {
    QCOMPARE(createUserDevice(app.core, name, skin), CreateResult::created);
    appendUserDevice(app.core.catalogue, app.core.catalogue.userCount - 1);
    app.core.learning.learningMode = false;
  }
  // Replaces the selection and shows the device at `pos`, as a start-up would.
  void select(std::initializer_list<int32_t> entries, int32_t pos = 0) {
    app.core.selection = {};
    for (int32_t e : entries) app.core.selection.entries[static_cast<size_t>(app.core.selection.selectionCount++)] = e;
    app.core.settings.savedSelectionPos = pos;
    restoreCurrentDevice(app.core.settings, app.core.selection, app.core.catalogue, app.core.current);
    window.repaintNow();
  }
  static QPoint centreOf(const SkinLayout& layout, int32_t result) {
    const HotSpot& spot = layout.spotFor(result);
    return QPoint(spot.centreX, spot.centreY + kYOffset);
  }
  void press(QPoint at) { QTest::mousePress(&window.skin(), Qt::LeftButton, {}, at); }
  void release(QPoint at) { QTest::mouseRelease(&window.skin(), Qt::LeftButton, {}, at); }
  void tap(const SkinLayout& layout, int32_t result) {
    press(centreOf(layout, result));
    release(centreOf(layout, result));
  }

  DataFiles files;
  VirtualCounter clock;
  RecordingSimOpener opener{clock};
  WorkerSleeper sleeper = makeSleeper();
  NoThreadPriority priority;
  CountingBeeper beeper;
  std::ostringstream err;
  RemoteApp app{files, {clock, opener, sleeper, priority, beeper}, err};
  bool appStarted = started(app);
  MainWindow window{app};
  std::vector<Message> messages;

 private:
  WorkerSleeper makeSleeper() {
    if constexpr (std::is_constructible_v<WorkerSleeper, VirtualCounter&>) {
      return WorkerSleeper(clock);
    } else {
      return WorkerSleeper();
    }
  }
};

}  // namespace zapvane::testing
