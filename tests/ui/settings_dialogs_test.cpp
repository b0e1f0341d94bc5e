// The settings dialogs offscreen: their widgets, how the window's commands
// and taps open them, Default's narrowed slider, and auto adjust from the
// Setup dialog to the ending tap through the window; and the dialogs'
// screenshots for the README. What OK, Default and the ending tap store is
// tested without a display; here only that the dialogs and the window pass
// it on.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

#include "app/auto_adjust_actions.h"
#include "storage/settings_file.h"
#include "support/test_folder.h"
#include "support/window_rig.h"
#include "ui/about_dialog.h"
#include "ui/select_devices_dialog.h"
#include "ui/setup_ir_port_dialog.h"

namespace zapvane {

namespace {

using testing::child;
using testing::screenshot;
using Pair = std::pair<int32_t, int32_t>;

std::map<std::string, std::string> filesIn(const std::string& dir) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    contents[entry.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return contents;
}

std::vector<int> selectedRows(QListWidget* list) {
  std::vector<int> rows;
  for (int row = 0; row < list->count(); ++row) {
    if (list->item(row)->isSelected()) rows.push_back(row);
  }
  return rows;
}

void tapRow(QListWidget* list, int row) {
  list->scrollToItem(list->item(row));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

// One window on a virtual counter, a virtual sleeper (a held button repeats
// as fast as the machine runs) and a simulated port.
struct Rig : testing::WindowRig<VirtualSleeper> {
  explicit Rig(const char* name) : WindowRig(std::string("zapvane-dialogs-") + name) {}
  void tap(int32_t result) { WindowRig::tap(tvLayout, result); }
  std::tuple<int32_t, int32_t, int32_t> storedPortAndPair() {
    IrSettings stored;
    loadSettings(stored, testing::disk(), files.settings, std::nullopt);
    return {stored.port, stored.spaceAdjust, stored.markAdjust};
  }
  // Runs `act` on the modal dialog `command` opens, then closes it if `act`
  // left it open, so a failing check cannot leave exec() waiting.
  void run(MenuCommand command, std::function<void(QDialog&)> act) {
    openedTitle.clear();
    QTimer::singleShot(0, &window, [this, act] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      openedTitle = dialog->windowTitle();
      act(*dialog);
      if (dialog->isVisible()) dialog->reject();
    });
    window.action(command)->trigger();
  }

  DialogContext context{&window, remote, window};
  QString openedTitle;
};

// With auto adjust armed, holds "2" and lifts the pen; once `seconds` of
// virtual time have passed, taps SHIFT while the worker pauses. Returns the
// pair in force at that tap, or (99, 99) when the command did not repeat.
Pair tapAfter(Rig& rig, double seconds) {
  std::atomic<bool> reached{false}, resume{false};
  const int64_t start = rig.clock.elapsedNanoseconds();
  rig.sleeper.afterSleep = [&](int64_t now) {
    if (reached || static_cast<double>(now - start) < seconds * 1e9) return;
    reached = true;
    while (!resume) std::this_thread::yield();
  };
  rig.tap(1);
  const bool repeating = rig.remote.pen.buttonHeld && QTest::qWaitFor([&] { return reached.load(); }, 30000);
  const DeviceProfile& device = *rig.remote.current.device.load();
  const Pair inForce{device.spaceAdjust, device.markAdjust};
  if (repeating) rig.tap(kHitShiftToggle);
  rig.remote.pen.buttonHeld = false;
  resume = true;
  rig.remote.worker.join();
  rig.sleeper.afterSleep = nullptr;
  return repeating ? inForce : Pair(99, 99);
}

}  // namespace

class SettingsDialogsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void selectDevicesShowsTheCatalogueAndTapsToggleEntries() {
    Rig rig("select");
    for (const char16_t* name : {u"Kitchen", u"B\u00fcro"}) rig.addUserDevice(name);  // entries 38 and 39
    rig.select({12, 3, 38});
    SelectDevicesDialog dialog(rig.context);
    auto* list = child<QListWidget>(&dialog, "devices");
    QCOMPARE(list->count(), 40);
    QCOMPARE(list->item(38)->text() + list->item(39)->text(), QStringLiteral("* Kitchen* Büro"));
    QCOMPARE(selectedRows(list), (std::vector<int>{3, 12, 38}));
    list->scrollToBottom();
    screenshot(dialog, "select-devices.png");
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    for (int row : {3, 12, 38, 5, 0, 7, 12, 7}) tapRow(list, row);  // a second tap takes an entry back
    QCOMPARE(selectedRows(list), (std::vector<int>{0, 5, 12}));
    child<QPushButton>(&dialog, "ok")->click();
    QCOMPARE(rig.remote.selection.selectionCount, 3);
    QCOMPARE(rig.remote.selection.entries[1], 5);
  }

  // OK stores the port; Default zeroes the pair at once, leaves the port and
  // narrows the mark slider until the dialog is opened again.
  void setupStoresThePortAndDefaultNarrowsTheMarkSliderUntilReopened() {
    Rig rig("setup");
    rig.remote.settings.spaceAdjust = -2;
    rig.remote.settings.markAdjust = 1;
    rig.select({0});
    SetupIrPortDialog setup(rig.context);
    QCOMPARE(Pair(child<QSlider>(&setup, "space")->value(), child<QSlider>(&setup, "mark")->value()), Pair(-2, 1));
    QCOMPARE(child<QSlider>(&setup, "mark")->tickInterval(), 1);
    screenshot(setup, "setup-ir-port.png");
    auto* port = child<QComboBox>(&setup, "port");
    QCOMPARE(port->currentText(), QStringLiteral("COM1"));
    port->setCurrentIndex(port->findText(QStringLiteral("COM3")));
    child<QPushButton>(&setup, "ok")->click();
    QCOMPARE(rig.storedPortAndPair(), std::make_tuple(2, -2, 1));

    rig.run(MenuCommand::setupIrPort, [](QDialog& d) {
      auto* mark = child<QSlider>(&d, "mark");
      QCOMPARE(Pair(mark->minimum(), mark->maximum()), Pair(-5, 5));
      child<QComboBox>(&d, "port")->setCurrentIndex(3);
      child<QPushButton>(&d, "default")->click();
      QVERIFY(d.isVisible());
      QCOMPARE(Pair(child<QSlider>(&d, "space")->value(), mark->value()), Pair(0, 0));
      QCOMPARE(Pair(mark->minimum(), mark->maximum()), Pair(-3, 3));
      QCOMPARE(child<QSlider>(&d, "space")->minimum(), -5);
      d.close();  // the close box
    });
    QCOMPARE(rig.storedPortAndPair(), std::make_tuple(2, 0, 0));
    rig.run(MenuCommand::setupIrPort, [](QDialog& d) { QCOMPARE(child<QSlider>(&d, "mark")->minimum(), -5); });
    QCOMPARE(rig.openedTitle, QStringLiteral("Setup IR port"));
  }

  void commandsOpenModalDialogsOwnedByTheWindowAndCentredOverIt() {
    Rig rig("commands");
    rig.select({0});
    rig.window.move(300, 150);  // room on every side: a dialog wider than the window stays centred
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    for (const auto& [command, title] : std::map<MenuCommand, QString>{{MenuCommand::about, QStringLiteral("About")},
                                                                 {MenuCommand::selectDevices, QStringLiteral("Select Devices")},
                                                                 {MenuCommand::setupIrPort, QStringLiteral("Setup IR port")}}) {
      bool ownedAndCentred = false;
      rig.run(command, [&](QDialog& dialog) {
        const QPoint offCentre = dialog.geometry().center() - rig.window.geometry().center();
        ownedAndCentred = dialog.parentWidget() == &rig.window && dialog.isModal() && offCentre.manhattanLength() <= 2;
      });
      QCOMPARE(rig.openedTitle, title);
      QVERIFY(ownedAndCentred);
    }
    QVERIFY(rig.messages.empty());
  }

  void aboutShowsTheIconAndTheNameAndEndsByItsCloseBox() {
    Rig rig("about");
    AboutDialog about(&rig.window);
    QCOMPARE(child<QLabel>(&about, "name")->text(), QStringLiteral("Zapvane 1.2"));
    QVERIFY(!child<QLabel>(&about, "icon")->pixmap().isNull());
    QVERIFY(about.findChildren<QPushButton*>().isEmpty());
    screenshot(about, "about.png");
    about.show();
    about.close();
    QCOMPARE(about.result(), int(QDialog::Rejected));
  }

  // The Setup dialog's own values are dropped; only the ending tap stores.
  void autoAdjustArmsFromSetupAndTheEndingTapStoresThePairInForce() {
    Rig rig("auto");
    rig.select({0});
    const auto before = filesIn(rig.files.dir);
    rig.run(MenuCommand::setupIrPort, [](QDialog& setup) {
      child<QComboBox>(&setup, "port")->setCurrentIndex(2);
      child<QSlider>(&setup, "space")->setValue(4);
      child<QPushButton>(&setup, "autoAdjust")->click();
      QCOMPARE(setup.result(), int(QDialog::Accepted));
    });
    QCOMPARE(rig.messages.size(), size_t{1});
    QCOMPARE(rig.messages[0].text, autoAdjustInstruction().text);
    QVERIFY(rig.remote.autoAdjustActive);
    QCOMPARE(rig.remote.settings.port.load() + rig.remote.settings.spaceAdjust.load(), 0);
    QVERIFY(filesIn(rig.files.dir) == before);

    const Pair reached = tapAfter(rig, 7.6);
    QVERIFY(reached.first < 0 && reached.second == 0);  // a few steps in: space moved, mark not yet
    QVERIFY(!rig.remote.autoAdjustActive);
    QVERIFY(!rig.remote.pen.shiftPage);  // the ending tap is no SHIFT tap
    QCOMPARE(rig.storedPortAndPair(), std::make_tuple(0, reached.first, reached.second));
  }

  void exhaustedAutoAdjustShowsIrAdjustingAndChangesNoFile() {
    Rig rig("exhausted");
    rig.select({0});
    rig.run(MenuCommand::setupIrPort, [](QDialog& setup) { child<QPushButton>(&setup, "autoAdjust")->click(); });
    const auto before = filesIn(rig.files.dir);
    rig.tap(1);
    QVERIFY(QTest::qWaitFor([&] { return !rig.remote.worker.running(); }, 60000));
    QCOMPARE(rig.messages.size(), size_t{2});
    QCOMPARE(rig.messages[1].caption, std::string("IR adjusting"));
    QVERIFY(!rig.remote.autoAdjustActive);
    QVERIFY(filesIn(rig.files.dir) == before);
  }
};

}  // namespace zapvane

QTEST_MAIN(zapvane::SettingsDialogsTest)
#include "settings_dialogs_test.moc"
