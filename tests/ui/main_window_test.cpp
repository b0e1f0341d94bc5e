// The window offscreen: what a press shows and sends, device switching, the
// shift page, refusals; and the screenshots of the README.
#include <QAction>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <sstream>

#include "storage/settings_file.h"
#include "support/window_rig.h"
#include "ui/main_window.h"

namespace zapvane {

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  // The worker pauses for real, so the test thread acts while it repeats.
  struct Rig : testing::WindowRig<RealSleeper> {
    using WindowRig::WindowRig;
    QImage face() { return window.skin().grab().toImage().convertToFormat(QImage::Format_RGB32); }
  };

  static std::string dataDir(const char* name) { return std::string("zapvane-window-") + name; }

  // Saves a screenshot of the whole window when ZAPVANE_SCREENSHOTS names a folder.
  static void screenshot(MainWindow& window, const char* name) {
    const QByteArray dir = qgetenv("ZAPVANE_SCREENSHOTS");
    if (dir.isEmpty()) return;
    window.show();
    QVERIFY(window.grab().save(QString::fromUtf8(dir) + QLatin1Char('/') + QLatin1String(name)));
  }

 private Q_SLOTS:
  void pressInvertsTheButtonAndSendsItsCodeUntilRelease() {
    Rig rig(dataDir("press"));
    rig.select({0});
    const QImage before = rig.face();
    const QPoint two = rig.centreOf(tvLayout, 1);
    rig.press(two);
    QVERIFY(rig.app.worker.running() || rig.opener.frameCount > 0);
    const QImage pressed = rig.face();
    const WindowRect r = hotSpotWindowRect(tvLayout, 1);
    int inverted = 0, changedOutside = 0;
    for (int y = 0; y < before.height(); ++y) {
      for (int x = 0; x < before.width(); ++x) {
        const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
        const QRgb was = before.pixel(x, y) & 0xFFFFFF;
        const QRgb now = pressed.pixel(x, y) & 0xFFFFFF;
        if (inside) inverted += now == (~was & 0xFFFFFF) ? 1 : 0;
        else changedOutside += now != was ? 1 : 0;
      }
    }
    QCOMPARE(inverted, (r.right - r.left) * (r.bottom - r.top));
    QCOMPARE(changedOutside, 0);
    screenshot(rig.window, "pressed.png");

    rig.release(two);
    QCOMPARE(rig.face(), before);
    QVERIFY(!rig.app.core.pen.buttonHeld);
    rig.app.worker.join();
    QVERIFY(!rig.opener.frames.empty());
    QString bits;
    for (size_t i = 1; i < rig.opener.frames[0].size(); ++i) bits += rig.opener.frames[0][i].bytes == 5 ? '1' : '0';
    QCOMPARE(bits, QStringLiteral("100000010000"));  // 0x810
  }

  void previousAndNextWrapAndSaveThePosition() {
    Rig rig(dataDir("switch"));
    rig.select({0, 4, 37});
    rig.press(rig.centreOf(tvLayout, kHitPreviousDevice));
    rig.release(rig.centreOf(tvLayout, kHitPreviousDevice));
    QCOMPARE(rig.app.core.current.catalogueIndex.load(), 37);
    IrSettings stored;
    loadSettings(stored, rig.files.settings, std::nullopt);
    QCOMPARE(stored.savedSelectionPos.load(), 2);
    screenshot(rig.window, "vcr-skin.png");
    rig.press(rig.centreOf(vcrLayout, kHitNextDevice));
    QCOMPARE(rig.app.core.current.catalogueIndex.load(), 0);
    loadSettings(stored, rig.files.settings, std::nullopt);
    QCOMPARE(stored.savedSelectionPos.load(), 0);
    screenshot(rig.window, "tv-skin.png");
  }

  void shiftPageStaysAcrossASwitchWithTheNewLabels() {
    Rig rig(dataDir("shift"));
    rig.select({0, 4});
    const QImage tv = rig.face();
    rig.press(rig.centreOf(tvLayout, kHitShiftToggle));
    QVERIFY(rig.app.core.pen.shiftPage);
    auto yellowIn = [&](int32_t slot) {
      const QImage face = rig.face();
      const WindowRect r = labelRect(slot);
      int yellow = 0;
      for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
          const QColor c = face.pixelColor(x, y);
          yellow += c.red() > 200 && c.green() > 200 && c.blue() < 160 ? 1 : 0;
        }
      }
      return yellow;
    };
    QVERIFY(rig.face() != tv);
    QVERIFY(yellowIn(8) > 20);   // "Info" of SONY - TV
    QCOMPARE(yellowIn(9), 0);    // nine labels only
    rig.press(rig.centreOf(shiftLayout, kHitNextDevice));
    QVERIFY(rig.app.core.pen.shiftPage);
    QVERIFY(yellowIn(9) > 20);  // SONY - VCR1 has ten
    screenshot(rig.window, "shift-page.png");
  }

  void menuCommandsAreRefusedInLearningMode() {
    Rig rig(dataDir("refusal"));
    rig.select({0});
    rig.app.core.learning.learningMode = true;
    rig.window.updateMenuStates();
    QVERIFY(!rig.window.action(cmdStartLearn)->isEnabled());
    QVERIFY(rig.window.action(cmdStopLearn)->isEnabled());
    for (int32_t id : {cmdAbout, cmdSelectDevices, cmdSetupIrPort, cmdSound, cmdExit}) rig.window.action(id)->trigger();
    QCOMPARE(rig.messages.size(), size_t{5});
    for (const Message& m : rig.messages) QCOMPARE(QString::fromStdString(m.caption), QStringLiteral("Learning Mode"));
    QVERIFY(!rig.window.close());  // the close box too
    rig.app.core.learning.learningMode = false;
    rig.app.core.autoAdjustActive = true;  // ignored too, without a word
    QVERIFY(!rig.window.close());
    QCOMPARE(rig.messages.size(), size_t{6});  // the five commands and the close box in learning mode
    rig.app.core.autoAdjustActive = false;
  }

  void soundCheckMarkFollowsTheSetting() {
    Rig rig(dataDir("sound"));
    rig.select({0});
    QVERIFY(rig.window.action(cmdSound)->isChecked());
    rig.window.action(cmdSound)->trigger();
    QVERIFY(!rig.window.action(cmdSound)->isChecked());
    QCOMPARE(rig.app.core.settings.soundOn.load(), 0);
  }

  void emptySelectionShowsTheBareSkin() {
    Rig rig(dataDir("empty"));
    const QImage bare = rig.face();
    // The picture itself, not the window's background, fills the face.
    const QColor background(255, 243, 181);
    int backgroundPixels = 0;
    for (int y = 0; y < bare.height(); ++y) {
      for (int x = 0; x < bare.width(); ++x) backgroundPixels += bare.pixelColor(x, y) == background ? 1 : 0;
    }
    QCOMPARE(backgroundPixels, 0);
    rig.select({0});
    QVERIFY(rig.face() != bare);  // the name is drawn only with a selection
  }
};

}  // namespace zapvane

QTEST_MAIN(zapvane::MainWindowTest)
#include "main_window_test.moc"
