// The window offscreen: the scenarios of the tests/data/ui/ file this program
// is built for (CMakeLists.txt gives one program to each).
#include "support/window_rig.h"

class WindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void scenarios() { zapvane::testing::playWindowScenarios(ZAPVANE_SCENARIOS); }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
