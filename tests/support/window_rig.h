// The window offscreen, scenario by scenario: the app suite's scenario
// (app/scenario.h) with the Zapvane window made after the start, as the
// program does, its message boxes recorded instead of shown; the worker's
// pauses pass for real. Its own lines drive the window (the pen and the keys
// on the skin, menu items, the close box) and the dialog in hand: one `open` made, or the
// modal one an "on Dialog" step acts on while `play` runs a menu item. The
// lines of a step are indented below its "on" line; "on -" waits for no
// dialog. A step that leaves its dialog open when no step is left closes it.
// With ZAPVANE_SCREENSHOTS naming a folder, `screenshot` saves the README's
// pictures there (name@2x.png on a screen of twice the density). Checks read
// the skin one sample per logical pixel, whatever the density.
#pragma once

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHelpEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <deque>
#include <optional>

#include "app/scenario.h"
#include "ir/light_matcher.h"
#include "support/watchdog.h"
#include "ui/about_dialog.h"
#include "ui/main_window.h"
#include "ui/select_devices_dialog.h"
#include "ui/setup_ir_port_dialog.h"

namespace zapvane::testing {

// Ends whatever modal dialog is open, one without a close box too.
inline void closeModalDialog() {
  if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->done(QDialog::Rejected);
}

class WindowScenario final : public Scenario {
 public:
  explicit WindowScenario(Fail fail);
  ~WindowScenario() override {
    // A capture still listening ends unreported; one reporting back is let
    // finish, its dialogs closed, before the window goes.
    remote().port.captureStop = true;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &closeModalDialog);
    closer.start(5);
    (void)QTest::qWaitFor([this] { return !remote().learnWorker.running(); }, 5'000);
  }
  void feed(const std::string& line) override {
    watchdog_.at(where);
    if (line.rfind("on ", 0) == 0) steps_.push_back({line.substr(3), {}});
    if (line.rfind("  ", 0) == 0 && !steps_.empty()) steps_.back().second.emplace_back(where, line.substr(2));
    if (line.rfind("on ", 0) != 0 && line.rfind("  ", 0) != 0) run(line);
  }

 private:
  template <class T>
  T& child(const std::string& name) {  // without it no line can go on
    T* found = dialog_ == nullptr ? nullptr : dialog_->findChild<T*>(QString::fromStdString(name));
    if (found == nullptr) qFatal("%s: no %s in the dialog in hand", where.c_str(), name.c_str());
    return *found;
  }
  // The skin at device resolution, and as many of its pixels as it has
  // logical ones (one sample each), for checks in window coordinates.
  QImage deviceFace() { return window_->skin().grab().toImage().convertToFormat(QImage::Format_RGB32); }
  QImage face() { return deviceFace().scaled(window_->skin().size(), Qt::IgnoreAspectRatio, Qt::FastTransformation); }
  // The skin's pixels in `r` (all of them without) for which `holds`.
  template <class Holds>
  int pixels(Holds holds, QRect r = {}) {
    const QImage now = face();
    int n = 0;
    for (int y = 0; y < now.height(); ++y) {
      for (int x = 0; x < now.width(); ++x) n += (r.isNull() || r.contains(x, y)) && holds(now, x, y);
    }
    return n;
  }
  QPoint centre(const Args& w) {
    const HotSpot& spot = (w.at(0) == "tv" ? tvLayout : w[0] == "vcr" ? vcrLayout : shiftLayout).spotFor(num(w.at(1)));
    return QPoint(spot.centreX, spot.centreY + kYOffset);
  }
  // A key at the skin as Qt names it ("2", "PgUp", "Media Play", "Ctrl+Q").
  void sendKey(QTest::KeyAction action, const std::string& name) {
    const QKeyCombination key = QKeySequence::fromString(QString::fromStdString(name))[0];
    const QString text = key.key() < Qt::Key_Escape ? QString(QChar(key.key())).toLower() : QString();
    QTest::sendKeyEvent(action, &window_->skin(), key.key(), text, key.keyboardModifiers());
  }
  // The accessible button over result r of the skin shown, named after a paint.
  QAccessibleInterface* accessibleButton(const std::string& r) {
    face();
    QCoreApplication::processEvents();
    const WindowRect want = hotSpotWindowRect(*remote().skinView().layout, num(r));
    for (auto* button : window_->skin().findChildren<QAbstractButton*>()) {
      const QRect at = button->geometry();
      if (!button->isHidden() && at == QRect(want.left, want.top, want.right - want.left, want.bottom - want.top)) {
        return QAccessible::queryAccessibleInterface(button);
      }
    }
    return nullptr;
  }
  static std::string name(QObject* object) {
    if (object == nullptr) return "-";
    return QString::fromUtf8(object->metaObject()->className()).section(QStringLiteral("::"), -1).toStdString();
  }
  // Acts on the step whose dialog is the active modal widget, seen on two
  // polls: a dialog may turn modal inside show(), before exec() can end it.
  // The next poll is due before acting, as the act may open a dialog and
  // wait in it.
  void poll() {
    if (steps_.empty()) return;
    auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    const bool again = seen_ == std::optional<QDialog*>(modal);
    seen_ = modal;
    if (name(modal) == steps_.front().first && !again) {
      QTimer::singleShot(5, &closer_, [this] { poll(); });
    } else if (name(modal) == steps_.front().first) {
      seen_.reset();
      const auto lines = steps_.front().second;
      steps_.pop_front();
      sinceStep_.restart();
      QTimer::singleShot(5, &closer_, [this] { poll(); });
      QDialog* const outer = dialog_;
      for (const auto& [from, line] : lines) {
        dialog_ = modal;
        where = from;
        watchdog_.at(where);
        run(line);
      }
      if (modal != nullptr && modal->isVisible() && steps_.empty()) modal->done(QDialog::Rejected);
      dialog_ = outer;
    } else if (sinceStep_.elapsed() < 5'000) {
      QTimer::singleShot(5, &closer_, [this] { poll(); });
    } else {
      fail_(where + ": waited for " + steps_.front().first + ", " + name(modal) + " is open");
      steps_.clear();
      closer_.start(5);
    }
  }

  std::unique_ptr<MainWindow> window_;
  std::vector<Message> messages_;
  std::string dialogs_;
  QImage remembered_;
  std::unique_ptr<QDialog> held_;
  QDialog* dialog_ = nullptr;
  std::optional<QDialog*> seen_;
  // Each step: its dialog, and its lines with where they stand in the file.
  std::deque<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> steps_;
  QElapsedTimer sinceStep_;
  QTimer closer_;  // closes what a failed step left open; the polls due go with it
  // The longest line waits 25 s for its steps and the capture.
  Watchdog watchdog_{std::chrono::seconds(40)};
};

inline WindowScenario::WindowScenario(Fail fail) : Scenario(std::move(fail)) {
  rig.platform.realSleeps = true;
  rig.started();
  window_ = std::make_unique<MainWindow>(remote());
  window_->presentMessage = [this](const Message& m) { messages_.push_back(m); };
  QObject::connect(&closer_, &QTimer::timeout, &closeModalDialog);

  auto& a = actions_;
  a["press"] = [this](const Args& w) { QTest::mousePress(&window_->skin(), Qt::LeftButton, {}, centre(w)); };
  a["release"] = [this](const Args& w) { QTest::mouseRelease(&window_->skin(), Qt::LeftButton, {}, centre(w)); };
  a["touch"] = [this](const Args& w) { QTest::mouseClick(&window_->skin(), Qt::LeftButton, {}, centre(w)); };
  a["key"] = [this](const Args& w) { sendKey(QTest::Click, tail(w, 0)); };
  a["key-down"] = [this](const Args& w) { sendKey(QTest::Press, tail(w, 0)); };
  a["key-up"] = [this](const Args& w) { sendKey(QTest::Release, tail(w, 0)); };
  a["key-repeat"] = [this](const Args& w) {  // what the keyboard sends for a key held down
    for (const QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
      QKeyEvent repeat(type, QKeySequence::fromString(QString::fromStdString(w.at(0)))[0].key(), Qt::NoModifier,
                       QString(), true);
      QApplication::sendEvent(&window_->skin(), &repeat);
    }
  };
  a["keys"] = [this](const Args& w) {  // each typed in turn ("_" for a space): the buttons pressed, "-" for none
    std::string pressed;
    for (std::string k : w) {
      std::replace(k.begin(), k.end(), '_', ' ');
      remote().pen.pressedButton = 99;
      sendKey(QTest::Press, k);
      const int32_t button = remote().pen.pressedButton;
      sendKey(QTest::Release, k);
      if (!QTest::qWaitFor([this] { return !remote().worker.running(); }, 15'000)) fail_(where + ": sends on");
      pressed += (pressed.empty() ? "" : " ") + (button == 99 ? std::string("-") : std::to_string(button));
    }
    result_ = pressed;
  };
  a["await-frames"] = [this](const Args& w) {
    const bool sent = QTest::qWaitFor([&] { return rig.platform.frameCount >= num(w.at(0)); }, 15'000);
    if (!sent) fail_(where + ": too few frames");
  };
  a["unfocus-skin"] = [this](auto&) {
    if (!window_->skin().hasFocus()) fail_(where + ": the skin has not the focus to lose");
    window_->skin().clearFocus();
  };
  a["a11y-press"] = [this](const Args& w) {
    QAccessibleInterface* button = accessibleButton(w.at(0));
    if (button == nullptr) fail_(where + ": no accessible button");
    if (button != nullptr) button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  };
  a["remember"] = [this](auto&) { remembered_ = face(); };
  a["screenshot"] = [this](const Args& w) {
    const QByteArray dir = qgetenv("ZAPVANE_SCREENSHOTS");
    QWidget& widget = dialog_ != nullptr ? *static_cast<QWidget*>(dialog_) : *window_;
    if (dir.isEmpty()) return;
    widget.show();
    (void)QTest::qWaitForWindowExposed(&widget);
    // Pictures of a denser screen beside the others: name@2x.png.
    QString file = QString::fromStdString(w.at(0));
    const qreal ratio = widget.devicePixelRatio();
    if (ratio > 1) file.replace(QStringLiteral(".png"), QStringLiteral("@%1x.png").arg(ratio));
    if (!widget.grab().save(QString::fromUtf8(dir) + "/" + file)) fail_(where + ": not saved");
  };
  a["show-window"] = [this](const Args& w) {  // at x, y
    window_->move(num(w.at(0)), num(w.at(1)));
    window_->show();
    window_->activateWindow();
    (void)QTest::qWaitForWindowActive(window_.get());
  };
  a["trigger"] = [this](const Args& w) { window_->action(menuCommand(w.at(0)))->trigger(); };
  a["record-dialogs"] = [this](auto&) {
    static const char* const kNames[] = {"about", "selectDevices", "setupIrPort", "userDevices", "learnFunction",
                                         "commandProperties", "importRemote"};
    window_->presentDialog = [this](DialogId d) { dialogs_ += std::string(" ") + kNames[int(d)]; };
  };
  a["import"] = [this](const Args& w) {  // Learn! > Import remote... choosing tests/data/<file>
    const QString path = QString::fromStdString(std::string(ZAPVANE_TEST_DATA) + "/" + w.at(0));
    window_->chooseImportFile = [path] { return path; };
    window_->action(MenuCommand::importRemote)->trigger();
  };
  a["update-menus"] = [this](auto&) { window_->updateMenuStates(); };
  a["close-window"] = [this](auto&) { result_ = std::to_string(window_->close()); };
  a["destroy-window"] = [this](auto&) { window_.reset(); };
  a["await"] = [this](const Args& w) {  // the window answering meanwhile: a capture runs, or is held
    const bool reached = QTest::qWaitFor([&] {
      return w.at(0) == "capture" ? remote().learning.captureRunning.load() : !learnWindow.holding().empty();
    }, 10'000);
    if (!reached) fail_(where + ": waited in vain for " + w[0]);
  };
  a["await-worker"] = [this](auto&) {
    if (!QTest::qWaitFor([this] { return !remote().worker.running(); }, 15'000)) fail_(where + ": the worker runs on");
  };
  a["play"] = [this](const Args& w) {  // the menu item, with the steps above acting on its dialogs
    sinceStep_.start();
    QTimer::singleShot(5, &closer_, [this] { poll(); });
    if (w.at(0) == "key") {  // or a key on the skin
      sendKey(QTest::Press, w.at(1));
    } else {
      window_->action(menuCommand(w.at(0)))->trigger();
    }
    if (!QTest::qWaitFor([this] { return steps_.empty(); }, 20'000)) fail_(where + ": the steps did not end");
    if (QTest::qWaitFor([this] { return !remote().learnWorker.running(); }, 5'000)) remote().learnWorker.join();
  };
  a["open"] = [this](const Args& w) {
    const DialogContext context{window_.get(), remote(), *window_};
    if (w.at(0) == "SelectDevicesDialog") held_ = std::make_unique<SelectDevicesDialog>(context);
    if (w[0] == "SetupIrPortDialog") held_ = std::make_unique<SetupIrPortDialog>(context);
    if (w[0] == "AboutDialog") held_ = std::make_unique<AboutDialog>(window_.get());
    dialog_ = held_.get();
  };
  a["click"] = [this](const Args& w) { child<QPushButton>(w.at(0)).click(); };
  a["type"] = [this](const Args& w) { child<QLineEdit>("name").setText(QString::fromStdString(tail(w, 0))); };
  a["pick"] = [this](const Args& w) { child<QComboBox>(w.at(0)).setCurrentIndex(num(w.at(1))); };
  a["slide"] = [this](const Args& w) { child<QSlider>(w.at(0)).setValue(num(w.at(1))); };
  a["row"] = [this](const Args& w) { child<QListWidget>(w.at(0)).setCurrentRow(num(w.at(1))); };
  a["scroll-bottom"] = [this](const Args& w) { child<QListWidget>(w.at(0)).scrollToBottom(); };
  a["toggle"] = [this](const Args& w) {  // taps on rows of a list
    QListWidget& list = child<QListWidget>(w.at(0));
    dialog_->show();
    (void)QTest::qWaitForWindowExposed(dialog_);
    for (size_t i = 1; i < w.size(); ++i) {
      list.scrollToItem(list.item(num(w[i])));
      QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(num(w[i]))).center());
    }
  };
  a["reject"] = [this](auto&) { dialog_->reject(); };
  a["close"] = [this](auto&) { dialog_->close(); };
  a["escape"] = [this](auto&) {  // where the keyboard's focus is
    QTest::keyClick(dialog_->focusWidget() != nullptr ? dialog_->focusWidget() : dialog_, Qt::Key_Escape);
  };
  a["unfocus"] = [this](auto&) { dialog_->focusWidget()->clearFocus(); };

  auto& c = checks_;
  c["face"] = [this](auto&) {  // against the remembered face: same, one rectangle inverted, or changed
    QRect box;
    int inverted = 0;
    const int changed = pixels([&](const QImage& now, int x, int y) {
      if (now.pixel(x, y) == remembered_.pixel(x, y)) return false;
      box |= QRect(x, y, 1, 1);
      inverted += (now.pixel(x, y) ^ remembered_.pixel(x, y)) == 0xFFFFFF;  // every colour bit flipped
      return true;
    });
    if (changed == 0) return std::string("same");
    if (inverted != changed || changed != box.width() * box.height()) return std::string("changed");
    return "inverted " + joined(std::vector{box.left(), box.top(), box.right() + 1, box.bottom() + 1});
  };
  c["yellow"] = [this](const std::string& k) {  // shift-label text in label slot k
    const WindowRect r = labelRect(num(k));
    const int n = pixels([](const QImage& now, int x, int y) {
      const QColor colour = now.pixelColor(x, y);
      return colour.red() > 200 && colour.green() > 200 && colour.blue() < 160;
    }, QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
    return std::string(n == 0 ? "none" : n > 20 ? "some" : "a few");
  };
  c["menu"] = [this](const std::string& m) {  // how the item shows: on or off, and greyed or not
    const QAction& item = *window_->action(menuCommand(m));
    const char* const state = !item.isCheckable() ? "item" : item.isChecked() ? "on" : "off";
    return std::string(item.isEnabled() ? "" : "greyed ") + state;
  };
  c["monitor"] = [this](auto&) {  // the first frame, named as zapvane-cli monitor names it
    if (rig.platform.frames.empty()) return std::string("nothing sent");
    const auto light = mode2Durations(rig.platform.frames[0], rig.platform.clock.frequency(), 0);
    const auto matches = LightMatcher().match(light);
    std::string out = matches.empty() ? "unknown" : "code " + matches[0].code + ":";
    for (const LightMatch& m : matches) {
      out += " " + utf16ToUtf8(remote().catalogue.entries.at(size_t(m.device))->name.data(), kNameUnits) +
             " command " + std::to_string(m.command);
    }
    return out;
  };
  c["frames"] = [this](auto&) { return std::to_string(rig.platform.frameCount); };
  c["tip"] = [this](const std::string& r) {  // the tooltip over result r of the skin shown
    const HotSpot& spot = remote().skinView().layout->spotFor(num(r));
    const QPoint at(spot.centreX, spot.centreY + kYOffset);
    QHelpEvent help(QEvent::ToolTip, at, window_->skin().mapToGlobal(at));
    QApplication::sendEvent(&window_->skin(), &help);
    const std::string tip = help.isAccepted() ? QToolTip::text().toStdString() : "none";
    QToolTip::hideText();
    return tip;
  };
  c["a11y"] = [this](const std::string& r) {  // the accessible button over result r: its name, and whether it acts
    QAccessibleInterface* button = accessibleButton(r);
    if (button == nullptr) return std::string("none");
    return button->text(QAccessible::Name).toStdString() + (button->state().disabled ? " (unavailable)" : "");
  };
  // The names drawn outside their box or cut short: the built-in ones, or entry `only`.
  c["spill"] = [this](const std::string& only) {
    std::string out;
    const size_t builtIns = remote().catalogue.builtIn.size();
    const size_t first = only.empty() ? 0 : at(only), end = only.empty() ? builtIns : first + 1;
    for (size_t i = first; i < end; ++i) {
      remote().showDevice(static_cast<int32_t>(i), 0);
      auto& name = remote().catalogue.entries.at(i)->name;
      const QImage named = deviceFace();
      const auto kept = name;
      name.fill(0);
      const QImage bare = deviceFace();
      name = kept;
      const HotSpot& box = remote().skinView().layout->nameBox();
      const qreal ratio = named.width() / qreal(window_->skin().width());
      const QRectF inside = QRectF(box.left(), box.top() + kYOffset, box.width, box.height);
      bool spilt = false;
      for (int y = 0; y < named.height() && !spilt; ++y) {
        for (int x = 0; x < named.width() && !spilt; ++x) {
          spilt = named.pixel(x, y) != bare.pixel(x, y) && !inside.contains((x + 0.5) / ratio, (y + 0.5) / ratio);
        }
      }
      // A built-in name is shown whole: in its font, within the margins the skin keeps.
      const QString text = QString::fromUtf16(name.data(), static_cast<qsizetype>(std::u16string(name.data()).size()));
      const QFontMetricsF metrics(window_->skin().fittedNameFont(text, box.width), &window_->skin());
      const bool cut = i < builtIns && metrics.horizontalAdvance(text) > box.width - 4;
      if (spilt || cut) out += (out.empty() ? "" : ", ") + utf16ToUtf8(name.data(), kNameUnits) + (cut ? " (cut)" : "");
    }
    return out.empty() ? "none" : out;
  };
  c["crisp"] = [this](auto&) {  // the bare skin: each picture pixel one block of device pixels, no blend
    const QImage device = deviceFace();
    const int ratio = device.width() / window_->skin().width();
    int blended = 0;
    for (int y = 0; y + ratio <= device.height(); y += ratio) {
      for (int x = 0; x + ratio <= device.width(); x += ratio) {
        for (int k = 1; k < ratio * ratio; ++k) {
          blended += device.pixel(x + k % ratio, y + k / ratio) != device.pixel(x, y);
        }
      }
    }
    return blended == 0 ? std::string("yes") : std::to_string(blended) + " pixels blended";
  };
  c["cell"] = [this](auto&) {  // the name font's line height: the largest pixel size whose line is 16 at most
    QFont font = window_->skin().nameFont();
    const int line = QFontMetrics(font).height();
    font.setPixelSize(font.pixelSize() + 1);
    const bool largest = line <= 16 && QFontMetrics(font).height() > 16;
    return largest ? std::string("largest within 16") : "line " + std::to_string(line);
  };
  c["shortcut"] = [this](const std::string& m) {
    return window_->action(menuCommand(m))->shortcut().toString().toStdString();
  };
  // The letters of the menus and of each one's items: "distinct", or the items that clash or lack one.
  c["mnemonics"] = [this](auto&) {
    std::string out;
    const auto scan = [&out](const QList<QAction*>& actions) {
      QString seen;
      for (const QAction* item : actions) {
        const qsizetype amp = item->text().indexOf(QLatin1Char('&'));
        const QChar letter = amp < 0 ? QChar() : item->text().at(amp + 1).toLower();
        if (!item->isSeparator() && (amp < 0 || seen.contains(letter))) out += " " + item->text().toStdString();
        if (!item->isSeparator()) seen += letter;
      }
    };
    scan(window_->menuBar()->actions());
    for (const QAction* menu : window_->menuBar()->actions()) scan(menu->menu()->actions());
    return out.empty() ? std::string("distinct") : "clash or missing:" + out;
  };
  c["window"] = [this](auto&) { return std::to_string(window_->isVisible()); };
  c["dialogs"] = [this](auto&) { return trim(dialogs_); };
  c["messages"] = [this](auto&) { return std::to_string(messages_.size()); };
  c["message"] = [this](auto&) { return messages_.empty() ? "none" : described(messages_.back()); };
  c["texts"] = [this](auto&) {  // the title, then group titles, texts, entries and buttons as made
    QStringList out{dialog_->windowTitle()};
    for (QObject* object : dialog_->findChildren<QObject*>()) {
      if (auto* group = qobject_cast<QGroupBox*>(object)) out << group->title();
      auto* label = qobject_cast<QLabel*>(object);
      if (label != nullptr && !label->text().isEmpty()) out << label->text();
      if (auto* button = qobject_cast<QPushButton*>(object)) out << button->text();
      auto* combo = qobject_cast<QComboBox*>(object);
      for (int i = 0; combo != nullptr && i < combo->count(); ++i) out << combo->itemText(i);
    }
    return out.join(QStringLiteral(" / ")).toStdString();
  };
  c["rows"] = [this](const std::string& list) { return std::to_string(child<QListWidget>(list).count()); };
  c["selected"] = [this](const std::string& name) {
    std::vector<int> rows;
    for (const QModelIndex& row : child<QListWidget>(name).selectionModel()->selectedRows()) rows.push_back(row.row());
    std::sort(rows.begin(), rows.end());
    return joined(rows);
  };
  c["slider"] = [this](const std::string& name) {  // value, range, tick interval
    const QSlider& s = child<QSlider>(name);
    return joined(std::vector{s.value(), s.minimum(), s.maximum(), s.tickInterval()});
  };
  c["combo"] = [this](const std::string& name) {
    const QComboBox& combo = child<QComboBox>(name);
    return std::to_string(combo.currentIndex()) + " " + combo.currentText().toStdString();
  };
  c["field"] = [this](auto&) { return child<QLineEdit>("name").text().toStdString(); };
  c["visible"] = [this](auto&) { return std::to_string(dialog_->isVisible()); };
  c["closeBox"] = [this](auto&) { return std::to_string((dialog_->windowFlags() & Qt::WindowCloseButtonHint) != 0); };
  c["outcome"] = [this](auto&) { return std::to_string(dialog_->result()); };
  c["placed"] = [this](auto&) {  // modal, owned by the window and centred over it
    const QPoint off = dialog_->geometry().center() - window_->geometry().center();
    return std::to_string(dialog_->isModal() && dialog_->parentWidget() == window_.get() && off.manhattanLength() <= 2);
  };
  c["icon"] = [this](auto&) { return std::to_string(!child<QLabel>("icon").pixmap().isNull()); };
  c["buttons"] = [this](auto&) { return std::to_string(dialog_->findChildren<QPushButton*>().size()); };
}

// Plays tests/data/<file> on fresh windows; the test fails with every
// failed line.
inline void playWindowScenarios(const std::string& file) {
  std::string failures;
  const auto fail = [&failures](const std::string& failure) { failures += failure + "\n"; };
  playScenarios(file, [&] { return std::make_unique<WindowScenario>(fail); });
  QVERIFY2(failures.empty(), failures.c_str());
}

}  // namespace zapvane::testing
