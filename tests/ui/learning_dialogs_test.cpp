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
#include <functional>
#include <memory>

#include "storage/user_devices_file.h"
#include "support/window_rig.h"
#include "ui/learn_function_dialog.h"

namespace zapvane {

namespace {

using Pair = std::pair<int32_t, int32_t>;
constexpr int kPollMs = 5;
constexpr int kStepTimeoutMs = 20'000;

// Ends whatever modal dialogs are open, those without a close box too.
void closeModalDialogs() {
  if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->done(QDialog::Rejected);
}

using testing::child;

void click(QDialog* dialog, const char* button) { child<QPushButton>(dialog, button)->click(); }
void type(QDialog* dialog, const QString& text) { child<QLineEdit>(dialog, "name")->setText(text); }

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
    steps_.emplace_back(QString::fromUtf8(dialog), std::move(act));
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
  void schedule() { QTimer::singleShot(kPollMs, this, [this] { poll(); }); }

  void poll() {
    if (steps_.empty()) return;
    QWidget* modal = QApplication::activeModalWidget();
    const QString name = modal == nullptr ? QString() : modal->objectName();
    if (name == steps_.front().first) {
      const Act act = std::move(steps_.front().second);
      steps_.pop_front();
      seen << (name.isEmpty() ? QStringLiteral("-") : name);
      sinceStep_.restart();
      schedule();  // before acting: the act may open a dialog and wait in it
      act(qobject_cast<QDialog*>(modal));
    } else if (sinceStep_.elapsed() < kStepTimeoutMs) {
      schedule();
    } else {
      failure = QStringLiteral("waited for '%1' after %2, '%3' is open")
                    .arg(steps_.front().first, seen.join(QLatin1Char(' ')), name);
      steps_.clear();
      auto* closer = new QTimer(this);
      connect(closer, &QTimer::timeout, this, &closeModalDialogs);
      closer->start(kPollMs);
    }
  }

  std::deque<std::pair<QString, Act>> steps_;
  QElapsedTimer sinceStep_;
};

}  // namespace

class LearningDialogsTest : public QObject {
  Q_OBJECT

 private:
  // One window on a virtual counter and a simulated port, a remote pointed at it.
  struct Rig : testing::WindowRig<RealSleeper> {
    explicit Rig(const char* name) : WindowRig(std::string("zapvane-learning-") + name) {
      platform.remote = RemoteSignal{{9000, 4500, 560, 1690, 560, 560, 560}, 40'000};
    }
    ~Rig() {
      // A capture still listening ends unreported; one reporting back is
      // let finish, its dialogs closed, before the window goes.
      remote.port.captureStop = true;
      QTimer closer;
      QObject::connect(&closer, &QTimer::timeout, &closeModalDialogs);
      closer.start(kPollMs);
      const QDeadlineTimer deadline(kStepTimeoutMs);
      while (remote.learnWorker.running() && !deadline.hasExpired()) QTest::qWait(kPollMs);
      remote.learning.learningMode = false;
    }
    // Plays the script from Start learn; waits for it, then for the capture
    // that reported into it.
    bool play(Script& script) {
      script.start();
      window.action(MenuCommand::startLearn)->trigger();
      if (!QTest::qWaitFor([&script] { return script.done(); }, 3 * kStepTimeoutMs)) {
        script.failure = QStringLiteral("the script did not end");
      }
      if (!script.failure.isEmpty()) return false;
      remote.learnWorker.join();
      return true;
    }
    const DeviceProfile& user(int32_t d) const { return remote.catalogue.userDevices[static_cast<size_t>(d)]; }
    bool learned(int32_t d, int32_t slot) const {
      return !remote.buffers.signalRows[static_cast<size_t>(d)][static_cast<size_t>(slot)]->empty();
    }
    QString label(int32_t d, int32_t slot) const {
      return QString::fromUtf16(remote.buffers.labelRows[static_cast<size_t>(d)][static_cast<size_t>(slot)]);
    }
    QString lastMessage() const {
      return messages.empty() ? QString()
                              : QString::fromStdString(messages.back().caption + ": " + messages.back().text);
    }
    // The user devices as the next start loads them.
    std::unique_ptr<Remote> reloaded() {
      auto next = std::make_unique<Remote>(platform, files, reloadLines);
      next->start();
      return next;
    }
    std::ostringstream reloadLines;
  };

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
    Remote& core = rig.remote;
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
              QCOMPARE(skin->itemText(0) + '|' + skin->itemText(1),
                       QStringLiteral("TV,SAT,...TV skin|VCR,AUDIO,..VCR skin"));
              QCOMPARE(child<QLineEdit>(d, "name")->text(), QString());
              type(d, QStringLiteral("Kitchen radio"));
              testing::screenshot(*d, "new-user-device.png");
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
              QVERIFY(!rig.window.action(MenuCommand::startLearn)->isEnabled());
              QVERIFY(rig.window.action(MenuCommand::stopLearn)->isEnabled());
              rig.tap(tvLayout, 5);
            })
        .on("learnFunction", [&](QDialog* d) {
          QVERIFY(rig.learned(0, 5));
          testing::screenshot(*d, "learn-function.png");
          click(d, "endLearning");
        });
    QVERIFY2(rig.play(script), qPrintable(script.failure));

    const int32_t c = kBuiltInCount;
    QVERIFY(!core.learning.learningMode);
    QVERIFY(rig.window.action(MenuCommand::startLearn)->isEnabled());
    QVERIFY(!rig.window.action(MenuCommand::stopLearn)->isEnabled());
    QCOMPARE(core.catalogue.catalogueCount, c + 1);
    QCOMPARE(core.catalogue.entries[static_cast<size_t>(c)], &rig.user(0));
    const SelectionList& list = core.selection;
    QCOMPARE(std::vector(list.entries.begin(), list.entries.begin() + list.selectionCount),
             (std::vector<int32_t>{0, 4, c}));
    QCOMPARE(core.current.selectionPos.load(), 2);
    QCOMPARE(core.current.catalogueIndex.load(), c);
    QCOMPARE(core.current.device.load(), &rig.user(0));

    const auto reloaded = rig.reloaded();
    QCOMPARE(reloaded->catalogue.userCount, 1);
    QCOMPARE(QString::fromUtf16(reloaded->catalogue.userDevices[0].name.data()), QStringLiteral("Kitchen radio"));
    QVERIFY(reloaded->buffers.signals[0][5]->words == core.buffers.signals[0][5]->words);
  }

  // A name is asked for, and a long one cut to 48 units.
  void vcrDeviceIsNamedAndItsHotSpotsPastTheMainPageTeachAndNameCommands() {
    Rig rig("vcr");
    const QString sixty = QStringLiteral("0123456789").repeated(6);
    Script script;
    script
        .on("userDevices", [&](QDialog* d) { click(d, "addNew"); })
        .on("newUserDevice", [&](QDialog* d) {
          click(d, "ok");
          QCOMPARE(rig.lastMessage(), QStringLiteral("Error: Enter device name!!!"));
          QVERIFY(d->isVisible());
          type(d, sixty);
          child<QComboBox>(d, "type")->setCurrentIndex(kVcrSkin);
          click(d, "ok");
        });
    std::vector<Pair> slots;  // learnSlot, labelSlot when naming
    const char* names[] = {"Eject", "Rec", "Slow"};
    for (int32_t spot = 13; spot <= 15; ++spot) {
      script.on("learnFunction", [&](QDialog* d) { click(d, "startLearn"); })
          .on("", [&rig, spot](QDialog*) { rig.tap(vcrLayout, spot); })
          .on("commandProperties", [&, spot](QDialog* d) {
            slots.emplace_back(rig.remote.learning.learnSlot, rig.remote.learning.labelSlot);
            type(d, QString::fromUtf8(names[spot - 13]));
            click(d, "ok");
          });
    }
    script.on("learnFunction", [&](QDialog* d) { click(d, "endLearning"); });
    QVERIFY2(rig.play(script), qPrintable(script.failure));

    QCOMPARE(QString::fromUtf16(rig.user(0).name.data()), sixty.left(48));
    QCOMPARE(rig.user(0).skinType, int32_t{kVcrSkin});
    QCOMPARE(rig.user(0).commandCount, 23);
    QCOMPARE(slots, (std::vector<Pair>{{13, 0}, {14, 1}, {15, 2}}));
    for (int32_t k = 0; k < 3; ++k) {
      QVERIFY(rig.learned(0, 13 + k));
      QCOMPARE(rig.label(0, k), QString::fromUtf8(names[k]));
    }
    QVERIFY(!rig.learned(0, 16));
  }

  void newDeviceIsRefusedAtTheLimit() {
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
          QVERIFY(!rig.remote.learning.learningMode);
          QCOMPARE(child<QListWidget>(d, "devices")->count(), kMaxUserDevices);
          d->reject();
        });
    QVERIFY2(rig.play(script), qPrintable(script.failure));
    QCOMPARE(rig.remote.catalogue.userCount, kMaxUserDevices);
  }

  // Modify without a row is refused and a cancelled Rename gives the edited
  // device back; then a shift-page command is named before Learn function
  // returns, and the modified device keeps its place.
  void modifyRenamesAndNamesAShiftPageCommand() {
    Rig rig("modify");
    rig.addUserDevice(u"Hi-fi", kVcrSkin);
    rig.addUserDevice(u"Den TV", kTvSkin);
    rig.select({0, kBuiltInCount + 1});
    Remote& core = rig.remote;
    core.learning.editedUserDevice = 1;
    int32_t learnSlot = -1, labelSlot = -1;
    Script script;
    script
        .on("userDevices",
            [&](QDialog* d) {
              click(d, "modify");
              QCOMPARE(rig.lastMessage(), QStringLiteral("Error: Select device which you want to modify !!!"));
              QCOMPARE(rig.messages.back().icon, MessageIcon::exclamation);
              child<QListWidget>(d, "devices")->setCurrentRow(0);
              testing::screenshot(*d, "user-devices.png");
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
        .on("userDevices",
            [&](QDialog* d) {
              QCOMPARE(core.learning.editedUserDevice.load(), 1);
              QVERIFY(!core.learning.learningMode);
              child<QListWidget>(d, "devices")->setCurrentRow(1);
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
              testing::screenshot(*d, "command-properties.png");
              click(d, "ok");
            })
        .on("learnFunction", [&](QDialog* d) { click(d, "endLearning"); });
    QVERIFY2(rig.play(script), qPrintable(script.failure));

    QCOMPARE(QString::fromUtf16(rig.user(0).name.data()), QStringLiteral("Hi-fi"));
    QCOMPARE(Pair(learnSlot, labelSlot), Pair(19, 2));
    QVERIFY(rig.learned(1, 19));
    QCOMPARE(rig.label(1, 2), QStringLiteral("Volume booste"));
    QCOMPARE(core.catalogue.catalogueCount, kBuiltInCount + 2);
    QCOMPARE(core.selection.selectionCount, 2);
    QCOMPARE(core.current.device.load(), &rig.user(1));
    QCOMPARE(QString::fromUtf16(rig.reloaded()->buffers.labelRows[1][2]), QStringLiteral("Volume booste"));
  }

  void learnFunctionShowsItsStepsAndCannotBeDismissed() {
    Rig rig("texts");
    LearnFunctionDialog dialog({&rig.window, rig.remote, rig.window});
    QVERIFY(rig.remote.learning.learningMode);  // opening it is enough
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
