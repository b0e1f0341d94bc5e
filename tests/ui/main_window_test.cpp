// The window offscreen: a press inverts its button and sends, the device
// buttons and the shift page redraw, menus refuse in learning mode; and the
// screenshots of the README. What a tap decides is the controller's, tested
// without a display; here only that the window passes it on and draws it.
#include <QAction>
#include <QImage>
#include <QTest>

#include "support/window_rig.h"

namespace zapvane {

using testing::screenshot;

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  // The worker pauses for real, so the test thread acts while it repeats.
  struct Rig : testing::WindowRig<RealSleeper> {
    explicit Rig(const char* name) : WindowRig(std::string("zapvane-window-") + name) {}
    QImage face() { return window.skin().grab().toImage().convertToFormat(QImage::Format_RGB32); }
  };

  // The pixels of `r` at which `holds(x, y)`.
  template <class Holds>
  static int pixelsIn(const QRect& r, Holds holds) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
      for (int x = r.left(); x <= r.right(); ++x) n += holds(x, y) ? 1 : 0;
    }
    return n;
  }
  static QRect rect(const WindowRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

 private Q_SLOTS:
  void pressInvertsTheButtonAndSendsUntilRelease() {
    Rig rig("press");
    rig.select({0});
    const QImage before = rig.face();
    const QPoint two = rig.centreOf(tvLayout, 1);
    rig.press(two);
    const QImage pressed = rig.face();
    const QRect spot = rect(hotSpotWindowRect(tvLayout, 1));
    const int area = spot.width() * spot.height();
    QCOMPARE(pixelsIn(spot, [&](int x, int y) { return pressed.pixel(x, y) == (~before.pixel(x, y) | 0xFF000000); }),
             area);
    QCOMPARE(pixelsIn(before.rect(), [&](int x, int y) { return pressed.pixel(x, y) != before.pixel(x, y); }), area);
    screenshot(rig.window, "pressed.png");

    rig.release(two);
    QCOMPARE(rig.face(), before);
    QVERIFY(!rig.remote.pen.buttonHeld);
    rig.remote.worker.join();
    QVERIFY(!rig.platform.frames.empty());
  }

  void deviceButtonsSwitchTheSkin() {
    Rig rig("switch");
    rig.select({0, 4, 37});
    rig.press(rig.centreOf(tvLayout, kHitPreviousDevice));
    rig.release(rig.centreOf(tvLayout, kHitPreviousDevice));
    QCOMPARE(rig.remote.current.catalogueIndex.load(), 37);
    screenshot(rig.window, "vcr-skin.png");
    rig.press(rig.centreOf(vcrLayout, kHitNextDevice));
    QCOMPARE(rig.remote.current.catalogueIndex.load(), 0);
    screenshot(rig.window, "tv-skin.png");
  }

  void shiftPageDrawsTheLabelsOfEachDevice() {
    Rig rig("shift");
    rig.select({0, 4});
    rig.press(rig.centreOf(tvLayout, kHitShiftToggle));
    QVERIFY(rig.remote.pen.shiftPage);
    auto yellowIn = [&](int32_t slot) {
      const QImage face = rig.face();
      return pixelsIn(rect(labelRect(slot)), [&](int x, int y) {
        const QColor c = face.pixelColor(x, y);
        return c.red() > 200 && c.green() > 200 && c.blue() < 160;
      });
    };
    QVERIFY(yellowIn(8) > 20);  // "Info" of SONY - TV
    QCOMPARE(yellowIn(9), 0);   // nine labels only
    rig.press(rig.centreOf(shiftLayout, kHitNextDevice));
    QVERIFY(yellowIn(9) > 20);  // SONY - VCR1 has ten
    screenshot(rig.window, "shift-page.png");
  }

  void menusFollowTheSoundAndRefuseInLearningMode() {
    Rig rig("menus");
    rig.select({0});
    QVERIFY(rig.window.action(MenuCommand::sound)->isChecked());
    rig.window.action(MenuCommand::sound)->trigger();
    QVERIFY(!rig.window.action(MenuCommand::sound)->isChecked());
    QCOMPARE(rig.remote.settings.soundOn.load(), 0);

    rig.remote.learning.learningMode = true;
    rig.window.updateMenuStates();
    QVERIFY(!rig.window.action(MenuCommand::startLearn)->isEnabled());
    QVERIFY(rig.window.action(MenuCommand::stopLearn)->isEnabled());
    for (MenuCommand id : {MenuCommand::about, MenuCommand::selectDevices, MenuCommand::setupIrPort, MenuCommand::sound, MenuCommand::exit}) rig.window.action(id)->trigger();
    QVERIFY(!rig.window.close());  // the close box too
    QCOMPARE(rig.messages.size(), size_t{6});
    for (const Message& m : rig.messages) {
      QCOMPARE(QString::fromStdString(m.caption), QStringLiteral("Learning Mode"));
      QCOMPARE(m.icon, MessageIcon::stop);
    }
    rig.remote.learning.learningMode = false;
    rig.remote.autoAdjustActive = true;  // refused too, without a word
    QVERIFY(!rig.window.close());
    QCOMPARE(rig.messages.size(), size_t{6});
    rig.remote.autoAdjustActive = false;
  }

  void emptySelectionShowsTheBareSkin() {
    Rig rig("empty");
    const QImage bare = rig.face();
    // The picture itself, not the window's background, fills the face.
    const QColor background(255, 243, 181);
    QCOMPARE(pixelsIn(bare.rect(), [&](int x, int y) { return bare.pixelColor(x, y) == background; }), 0);
    rig.select({0});
    QVERIFY(rig.face() != bare);  // the name is drawn only with a selection
  }
};

}  // namespace zapvane

QTEST_MAIN(zapvane::MainWindowTest)
#include "main_window_test.moc"
