// One Zapvane window for an offscreen test: a fresh data folder, the remote
// started on a virtual platform (clock, recording simulated port), the window
// made after the remote as the program does, and its message boxes recorded.
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

#include "app/user_device_actions.h"
#include "platform/virtual_platform.h"
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
  // The program starts the remote before it makes the window.
  static bool started(Remote& remote) {
    remote.start();
    return true;
  }
  static VirtualPlatform& machine(VirtualPlatform& platform) {
    platform.realSleeps = std::is_same_v<WorkerSleeper, RealSleeper>;
    platform.realFiles = true;
    return platform;
  }

  // A user device as an earlier learning left it: in the catalogue, not in
  // learning mode.
  void addUserDevice(const char16_t* name, int32_t skin = kTvSkin) {
    QCOMPARE(createUserDevice(remote, name, skin), CreateResult::created);
    appendUserDevice(remote.catalogue, remote.catalogue.userCount - 1);
    remote.learning.learningMode = false;
  }
  // Replaces the selection and shows the device at `pos`, as a start-up would.
  void select(std::initializer_list<int32_t> entries, int32_t pos = 0) {
    remote.selection = {};
    for (int32_t e : entries) remote.selection.entries[static_cast<size_t>(remote.selection.selectionCount++)] = e;
    remote.settings.savedSelectionPos = pos;
    remote.showSavedDevice();
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
  VirtualPlatform platform;
  VirtualCounter& clock = machine(platform).clock;
  VirtualSleeper& sleeper = platform.virtualSleeps;
  std::ostringstream err;
  Remote remote{platform, files, err};
  bool remoteStarted = started(remote);
  MainWindow window{remote};
  std::vector<Message> messages;
};

}  // namespace zapvane::testing
