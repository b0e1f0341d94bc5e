// The learning workflow offscreen: from Start learn through the User
// devices list and a naming dialog to Learn function, taps that capture a
// simulated remote control, the naming of shift-page commands, End learning
// and the files it writes; the refusals and input errors on the way; and
// the dialogs' screenshots for the README.
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <functional>
#include <sstream>

#include "learn/user_devices.h"
#include "storage/selection_file.h"
#include "storage/user_devices_file.h"
#include "support/window_rig.h"
#include "ui/learn_function_dialog.h"
#include "ui/main_window.h"

namespace zapvane {

namespace {

constexpr int kPollMs = 5;
constexpr int kStepTimeoutMs = 20'000;

// Ends whatever modal dialogs are open, those without a close box too.
void closeModalDialogs() {
  if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->done(QDialog::Rejected);
}

template <typename T>
T* child(QDialog* dialog, const char* name) {
  T* found = dialog == nullptr ? nullptr : dialog->findChild<T*>(QString::fromUtf8(name));
  if (found == nullptr) qWarning("no %s in the dialog", name);
  return found;
}

void click(QDialog* dialog, const char* button) {
  if (auto* b = child<QPushButton>(dialog, button)) b->click();
}

void type(QDialog* dialog, const QString& text) {
  if (auto* edit = child<QLineEdit>(dialog, "name")) edit->setText(text);
}

// The title, then every group title and label text, in the order they read.
QStringList texts(QDialog* dialog) {
  QStringList out{dialog->windowTitle()};
  for (QObject* object : dialog->findChildren<QObject*>()) {
    if (auto* group = qobject_cast<QGroupBox*>(object)) out << group->title();
    if (auto* label = qobject_cast<QLabel*>(object)) out << label->text();
  }
  return out;
}

// Plays the user against the modal dialogs a workflow opens. Each step
// waits until the dialog it names (by object name; "" for none) is the
// active modal widget, then acts on it. Steps run from single-shot timers,
// so they also run inside nested dialogs and while a capture reports back.
// A step that does not come fails the script and closes what is open, so a
// broken workflow fails the test instead of hanging it.
class Script final : public QObject {
 public:
  using Act = std::function<void(QDialog*)>;

  Script& on(const char* dialog, Act act) {
    steps_.push_back({QString::fromUtf8(dialog), std::move(act)});
    return *this;
  }
  void start() {
    sinceStep_.start();
    schedule();
  }
  bool done() const { return steps_.empty(); }

  QStringList seen;  // the dialogs acted on, in order
  QString failure;

 private:
  struct Step {
    QString dialog;
    Act act;
  };

  void schedule() { QTimer::singleShot(kPollMs, this, [this] { poll(); }); }

  void poll() {
    if (steps_.empty()) return;
    QWidget* modal = QApplication::activeModalWidget();
    const QString name = modal == nullptr ? QString() : modal->objectName();
    if (name != steps_.front().dialog) {
      if (sinceStep_.elapsed() < kStepTimeoutMs) {
        schedule();
        return;
      }
      failure = QStringLiteral("waited for '%1' after %2, '%3' is open")
                    .arg(steps_.front().dialog, seen.join(QLatin1Char(' ')), name);
      steps_.clear();
      auto* closer = new QTimer(this);
      connect(closer, &QTimer::timeout, this, &closeModalDialogs);
      closer->start(kPollMs);
      return;
    }
    Step step = std::move(steps_.front());
    steps_.pop_front();
    seen << (name.isEmpty() ? QStringLiteral("-") : name);
    sinceStep_.restart();
    schedule();  // before acting: the act may open a dialog and wait in it
    step.act(qobject_cast<QDialog*>(modal));
  }

  std::deque<Step> steps_;
  QElapsedTimer sinceStep_;
};

}  // namespace

class LearningDialogsTest : public QObject {
  Q_OBJECT

 private:
  // One window on a virtual counter and a simulated port, a remote pointed at it.
  struct Rig : testing::WindowRig<RealSleeper> {
    explicit Rig(const char* name) : WindowRig(std::string("zapvane-learning-") + name) {
      opener.remote = RemoteSignal{{9000, 4500, 560, 1690, 560, 560, 560}, 40'000};
    }
    ~Rig() {
      // A capture still listening ends unreported; one reporting back is
      // let finish, its dialogs closed, before the window goes.
      app.port.captureStop = true;
      QTimer closer;
      QObject::connect(&closer, &QTimer::timeout, &closeModalDialogs);
      closer.start(kPollMs);
      const QDeadlineTimer deadline(kStepTimeoutMs);
      while (app.learnWorker.running() && !deadline.hasExpired()) QTest::qWait(kPollMs);
      app.core.learning.learningMode = false;
    }
    void select(std::initializer_list<int32_t> entries) {
      app.core.selection = {};
      SelectionList& list = app.core.selection;
      for (int32_t e : entries) list.entries[static_cast<size_t>(list.selectionCount++)] = e;
      restoreCurrentDevice(app.core.settings, app.core.selection, app.core.catalogue, app.core.current);
      window.repaintNow();
    }
    // A user device as an earlier learning left it: in the catalogue, not
    // in learning mode.
    void addUserDevice(const char16_t* name, int32_t skin) {
      RemoteCore& core = app.core;
      QCOMPARE(createUserDevice(core, name, skin), CreateResult::created);
      appendUserDevice(core.catalogue, core.catalogue.userCount - 1);
      core.learning.learningMode = false;
    }
    // Waits for the script, then for the capture that reported into it.
    bool finish(Script& script) {
      if (!QTest::qWaitFor([&script] { return script.done(); }, 3 * kStepTimeoutMs)) {
        script.failure = QStringLiteral("the script did not end");
      }
      if (!script.failure.isEmpty()) return false;
      app.learnWorker.join();
      return true;
    }
    const DeviceProfile& user(int32_t d) const { return app.core.catalogue.userDevices[static_cast<size_t>(d)]; }
    bool learned(int32_t d, int32_t slot) const {
      return !app.core.buffers.signalRows[static_cast<size_t>(d)][static_cast<size_t>(slot)]->empty();
    }
    QString label(int32_t d, int32_t slot) const {
      return QString::fromUtf16(app.core.buffers.labelRows[static_cast<size_t>(d)][static_cast<size_t>(slot)]);
    }
    QString lastMessage() const {
      return messages.empty() ? QString()
                              : QString::fromStdString(messages.back().caption + ": " + messages.back().text);
    }

  };

  // Saves a dialog's picture when ZAPVANE_SCREENSHOTS names a folder.
  static void screenshot(QWidget* dialog, const char* name) {
    const QByteArray dir = qgetenv("ZAPVANE_SCREENSHOTS");
    if (dir.isEmpty() || dialog == nullptr) return;
    QVERIFY(dialog->grab().save(QString::fromUtf8(dir) + QLatin1Char('/') + QLatin1String(name)));
  }

  // Esc and a close request both leave a dialog without a close box open.
  static bool survivesEscapeAndClose(QDialog* dialog) {
    QTest::keyClick(dialog, Qt::Key_Escape);
    dialog->close();
    return dialog->isVisible() && !(dialog->windowFlags() & Qt::WindowCloseButtonHint);
  }

 private Q_SLOTS:
  void newDeviceGoesFromStartLearnThroughACaptureToTheSelection() {
    Rig rig("new");
    rig.select({0, 4});
    RemoteCore& core = rig.app.core;
    core.learning.editingExisting = true;  // left over from an earlier Modify
    Script script;
    script
        .on("userDevices",
            [&](QDialog* d) {
              QCOMPARE(texts(d), QStringList({"User devices"}));
              QCOMPARE(child<QListWidget>(d, "devices")->count(), 0);
              click(d, "addNew");
            })
        .on("newUserDevice",
            [&](QDialog* d) {
              QCOMPARE(texts(d), QStringList({"User devices", "User device info", "Name :", "Type :"}));
              auto* skin = child<QComboBox>(d, "type");
              QCOMPARE(skin->currentIndex(), 0);
              QCOMPARE(skin->itemText(0), QStringLiteral("TV,SAT,...TV skin"));
              QCOMPARE(skin->itemText(1), QStringLiteral("VCR,AUDIO,..VCR skin"));
              QCOMPARE(child<QLineEdit>(d, "name")->text(), QString());
              type(d, QStringLiteral("Kitchen radio"));
              screenshot(d, "new-user-device.png");
              click(d, "ok");
            })
        .on("learnFunction",
            [&](QDialog* d) {
              QCOMPARE(core.current.device.load(), &rig.user(0));  // shown, though in no catalogue yet
              QCOMPARE(core.catalogue.catalogueCount, kBuiltInCount);
              click(d, "startLearn");
            })
        .on("",
            [&](QDialog*) {
              QVERIFY(!rig.window.action(cmdStartLearn)->isEnabled());
              QVERIFY(rig.window.action(cmdStopLearn)->isEnabled());
              rig.messages.clear();
              for (int32_t id : {cmdSelectDevices, cmdSetupIrPort, cmdSound, cmdAbout, cmdExit, cmdStartLearn}) {
                rig.window.controller().command(id);
              }
              QCOMPARE(rig.messages.size(), size_t{6});
              for (const Message& m : rig.messages) {
                QCOMPARE(QString::fromStdString(m.caption), QStringLiteral("Learning Mode"));
                QCOMPARE(m.icon, MessageIcon::stop);
              }
              rig.tap(tvLayout, 5);
            })
        .on("learnFunction", [&](QDialog* d) {
          QVERIFY(rig.learned(0, 5));
          screenshot(d, "learn-function.png");
          click(d, "endLearning");
        });
    script.start();
    rig.window.action(cmdStartLearn)->trigger();
    QVERIFY2(rig.finish(script), qPrintable(script.failure));

    const int32_t c = kBuiltInCount;
    QVERIFY(!core.learning.learningMode);
    QVERIFY(rig.window.action(cmdStartLearn)->isEnabled());
    QVERIFY(!rig.window.action(cmdStopLearn)->isEnabled());
    QCOMPARE(core.catalogue.catalogueCount, c + 1);
    QCOMPARE(core.catalogue.entries[static_cast<size_t>(c)], &rig.user(0));
    QCOMPARE(core.selection.selectionCount, 3);
    QCOMPARE(core.selection.entries[2], c);
    QCOMPARE(core.current.selectionPos.load(), 2);
    QCOMPARE(core.current.catalogueIndex.load(), c);
    const SkinView view = rig.window.controller().skinView();
    QVERIFY(view.showName);
    QCOMPARE(QString::fromStdU16String(view.name), QStringLiteral("Kitchen radio"));

    RemoteCore reloaded;
    startCatalogue(reloaded);
    testing::RecordingMessages quiet;
    QVERIFY(loadUserDevices(reloaded.catalogue, reloaded.buffers, rig.files.userDevices, quiet).fromFile);
    QCOMPARE(reloaded.catalogue.userCount, 1);
    QCOMPARE(QString::fromUtf16(reloaded.catalogue.userDevices[0].name.data()), QStringLiteral("Kitchen radio"));
    QVERIFY(reloaded.buffers.signals[0][5]->words == core.buffers.signals[0][5]->words);
    SelectionList stored;
    QVERIFY(loadSelection(stored, rig.files.selection, c + 1).fromFile);
    QCOMPARE(stored.selectionCount, 3);
    QCOMPARE(stored.entries[2], c);
  }

  void shiftPageCommandIsNamedBeforeLearnFunctionAndModifyKeepsItsPlace() {
    Rig rig("shift");
    rig.addUserDevice(u"Den TV", kTvSkin);
    rig.select({0, kBuiltInCount});
    RemoteCore& core = rig.app.core;
    int32_t learnSlot = -1, labelSlot = -1;
    Script script;
    script
        .on("userDevices",
            [&](QDialog* d) {
              child<QListWidget>(d, "devices")->setCurrentRow(0);
              click(d, "modify");
            })
        .on("rename", [&](QDialog* d) { click(d, "ok"); })
        .on("learnFunction", [&](QDialog* d) { click(d, "startLearn"); })
        .on("",
            [&](QDialog*) {
              rig.tap(tvLayout, kHitShiftToggle);
              rig.tap(shiftLayout, 2);
            })
        .on("commandProperties",
            [&](QDialog* d) {
              learnSlot = core.learning.learnSlot;
              labelSlot = core.learning.labelSlot;
              QVERIFY(survivesEscapeAndClose(d));
              QCOMPARE(texts(d), QStringList({"Command properties", "Command name", "Name :"}));
              QCOMPARE(child<QLineEdit>(d, "name")->text(), QString());
              type(d, QStringLiteral("Volume booster"));  // 14: one too many
              screenshot(d, "command-properties.png");
              click(d, "ok");
            })
        .on("learnFunction", [&](QDialog* d) { click(d, "endLearning"); });
    script.start();
    rig.window.action(cmdStartLearn)->trigger();
    QVERIFY2(rig.finish(script), qPrintable(script.failure));

    QCOMPARE(learnSlot, 19);
    QCOMPARE(labelSlot, 2);
    QVERIFY(rig.learned(0, 19));
    QCOMPARE(rig.label(0, 2), QStringLiteral("Volume booste"));
    // A modified device keeps its place in the catalogue and the selection.
    QCOMPARE(core.catalogue.catalogueCount, kBuiltInCount + 1);
    QCOMPARE(core.selection.selectionCount, 2);
    QCOMPARE(core.current.device.load(), &rig.user(0));
    RemoteCore reloaded;
    startCatalogue(reloaded);
    testing::RecordingMessages quiet;
    loadUserDevices(reloaded.catalogue, reloaded.buffers, rig.files.userDevices, quiet);
    QCOMPARE(QString::fromUtf16(reloaded.buffers.labelRows[0][2]), QStringLiteral("Volume booste"));
  }

  void vcrHotSpotsPastTheMainPageTeachAndNameTheirCommands() {
    Rig rig("vcr");
    Script script;
    script
        .on("userDevices", [&](QDialog* d) { click(d, "addNew"); })
        .on("newUserDevice", [&](QDialog* d) {
          type(d, QStringLiteral("Tape deck"));
          child<QComboBox>(d, "type")->setCurrentIndex(kVcrSkin);
          click(d, "ok");
        });
    std::vector<std::pair<int32_t, int32_t>> slots;  // learnSlot, labelSlot when naming
    const char* names[] = {"Eject", "Rec", "Slow"};
    for (int32_t spot = 13; spot <= 15; ++spot) {
      script.on("learnFunction", [&](QDialog* d) { click(d, "startLearn"); })
          .on("", [&rig, spot](QDialog*) { rig.tap(vcrLayout, spot); })
          .on("commandProperties", [&, spot](QDialog* d) {
            slots.emplace_back(rig.app.core.learning.learnSlot, rig.app.core.learning.labelSlot);
            type(d, QString::fromUtf8(names[spot - 13]));
            click(d, "ok");
          });
    }
    script.on("learnFunction", [&](QDialog* d) { click(d, "endLearning"); });
    script.start();
    rig.window.action(cmdStartLearn)->trigger();
    QVERIFY2(rig.finish(script), qPrintable(script.failure));

    QCOMPARE(rig.user(0).skinType, int32_t{kVcrSkin});
    QCOMPARE(rig.user(0).commandCount, 23);
    QCOMPARE(slots, (std::vector<std::pair<int32_t, int32_t>>{{13, 0}, {14, 1}, {15, 2}}));
    for (int32_t k = 0; k < 3; ++k) {
      QVERIFY(rig.learned(0, 13 + k));
      QCOMPARE(rig.label(0, k), QString::fromUtf8(names[k]));
    }
    QVERIFY(!rig.learned(0, 16));
  }

  void newDeviceIsRefusedAtTheLimitThenForNoNameAndCutToItsLength() {
    {
      Rig rig("limit");
      for (int32_t d = 0; d < kMaxUserDevices; ++d) rig.addUserDevice(u"Set-top", kTvSkin);
      Script script;
      script.on("userDevices", [&](QDialog* d) { click(d, "addNew"); })
          .on("newUserDevice",
              [&](QDialog* d) {
                click(d, "ok");
                QCOMPARE(rig.lastMessage(), QStringLiteral("Limit: User devices limit!!!"));
                QCOMPARE(rig.messages.back().icon, MessageIcon::exclamation);
                QVERIFY(d->isVisible());
                d->reject();  // the close box
              })
          .on("userDevices", [&](QDialog* d) {
            QVERIFY(!rig.app.core.learning.learningMode);
            QCOMPARE(child<QListWidget>(d, "devices")->count(), kMaxUserDevices);
            d->reject();
          });
      script.start();
      rig.window.action(cmdStartLearn)->trigger();
      QVERIFY2(rig.finish(script), qPrintable(script.failure));
      QCOMPARE(rig.app.core.catalogue.userCount, kMaxUserDevices);
    }
    Rig rig("cut");
    const QString sixty = QStringLiteral("0123456789").repeated(6);
    Script script;
    script.on("userDevices", [&](QDialog* d) { click(d, "addNew"); })
        .on("newUserDevice",
            [&](QDialog* d) {
              click(d, "ok");
              QCOMPARE(rig.lastMessage(), QStringLiteral("Error: Enter device name!!!"));
              QVERIFY(d->isVisible());
              type(d, sixty);
              click(d, "ok");
            })
        .on("learnFunction", [&](QDialog* d) { click(d, "endLearning"); });
    script.start();
    rig.window.action(cmdStartLearn)->trigger();
    QVERIFY2(rig.finish(script), qPrintable(script.failure));
    QCOMPARE(QString::fromUtf16(rig.user(0).name.data()), sixty.left(48));
  }

  void modifyNeedsASelectionAndACancelledRenameChangesNothing() {
    Rig rig("modify");
    rig.addUserDevice(u"Hi-fi", kVcrSkin);
    rig.addUserDevice(u"Den TV", kTvSkin);
    RemoteCore& core = rig.app.core;
    core.learning.editedUserDevice = 1;
    Script script;
    script
        .on("userDevices",
            [&](QDialog* d) {
              click(d, "modify");
              QCOMPARE(rig.lastMessage(), QStringLiteral("Error: Select device which you want to modify !!!"));
              QCOMPARE(rig.messages.back().icon, MessageIcon::exclamation);
              child<QListWidget>(d, "devices")->setCurrentRow(0);
              screenshot(d, "user-devices.png");
              click(d, "modify");
            })
        .on("rename",
            [&](QDialog* d) {
              QCOMPARE(texts(d), QStringList({"Name", "User device info", "Name :"}));
              QCOMPARE(child<QLineEdit>(d, "name")->text(), QStringLiteral("Hi-fi"));
              type(d, QString());
              click(d, "ok");
              QCOMPARE(rig.lastMessage(), QStringLiteral("Error: Enter device name!!!"));
              type(d, QStringLiteral("Amplifier"));
              d->reject();  // the close box
            })
        .on("userDevices", [&](QDialog* d) {
          QCOMPARE(core.learning.editedUserDevice.load(), 1);
          QVERIFY(!core.learning.learningMode);
          d->reject();
        });
    script.start();
    rig.window.action(cmdStartLearn)->trigger();
    QVERIFY2(rig.finish(script), qPrintable(script.failure));
    QCOMPARE(QString::fromUtf16(rig.user(0).name.data()), QStringLiteral("Hi-fi"));
    QCOMPARE(script.seen, QStringList({"userDevices", "rename", "userDevices"}));
  }

  void stopLearnLeavesASilentCaptureAndShowsLearnFunctionAgain() {
    Rig rig("stop");
    rig.opener.remote.reset();
    RemoteCore& core = rig.app.core;
    QCOMPARE(createUserDevice(core, u"Den TV", kTvSkin), CreateResult::created);
    Script script;
    script.on("learnFunction", [&](QDialog* d) { click(d, "startLearn"); })
        .on("",
            [&](QDialog*) {
              rig.tap(tvLayout, 5);
              QTRY_VERIFY(core.learning.captureRunning);
              rig.window.action(cmdStopLearn)->trigger();
            })
        .on("learnFunction",
            [&](QDialog* d) {
              QVERIFY(!rig.learned(0, 5));
              QVERIFY(!rig.app.port.portBusy);
              click(d, "startLearn");
            })
        .on("", [&](QDialog*) { rig.window.action(cmdStopLearn)->trigger(); })  // no capture: straight back
        .on("learnFunction", [&](QDialog* d) { click(d, "endLearning"); });
    script.start();
    rig.window.controller().command(cmdLearnDialog);
    QVERIFY2(rig.finish(script), qPrintable(script.failure));
    QVERIFY(!core.learning.learningMode);
    QCOMPARE(rig.opener.requested.size(), size_t{1});
  }

  void learnFunctionShowsItsStepsAndCannotBeDismissed() {
    Rig rig("texts");
    LearnFunctionDialog dialog({&rig.window, rig.app, rig.window});
    QVERIFY(rig.app.core.learning.learningMode);  // opening it is enough
    dialog.show();
    QVERIFY(survivesEscapeAndClose(&dialog));
    QCOMPARE(texts(&dialog),
             QStringList({
                 "Learn function",
                 "1. Direct your remote controller to IR sensor  in your PDA (about 0.5 inch apart).",
                 "2. Tap on \"Start learn\".",
                 "3. Tap on skin button which you want to learn.",
                 "4. Press and hold button on your remote controller and wait until you get back!",
                 "5. Repeate these steps 1-4 for all required commands.",
                 "6. Finnaly select \"End learning\". From this moment you can use learned commands.",
                 "Tips",
                 "1.  If learned commands do not work, tap on \"Options\"->\"Setup IR port\" , \"Auto Adjust\"  "
                 "(don't need to learn again)!!!",
                 "2. Hold skin button down up to 2-4 second!",
             }));
    dialog.done(QDialog::Rejected);
  }
};

}  // namespace zapvane

QTEST_MAIN(zapvane::LearningDialogsTest)
#include "learning_dialogs_test.moc"
