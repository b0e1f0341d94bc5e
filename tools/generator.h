// What the Qt generators share: the one argument, the folder they write
// into, and a QGuiApplication on the offscreen platform, so they run
// without a display (in CI, over ssh).
#pragma once

#include <QGuiApplication>
#include <QString>

#include <cstdio>
#include <functional>

namespace generator {

// Runs write(dir + '/') and returns the exit code: 0, 1 when write fails,
// 2 for a wrong command line.
inline int run(int argc, char** argv, const char* name, const std::function<bool(const QString&)>& write) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <resources-dir>\n", name);
    return 2;
  }
  return write(QString::fromLocal8Bit(argv[1]) + QLatin1Char('/')) ? 0 : 1;
}

// Names a file that could not be written on stderr; returns saved.
inline bool report(bool saved, const char* name, const QString& path) {
  if (!saved) std::fprintf(stderr, "%s: cannot write %s\n", name, qPrintable(path));
  return saved;
}

}  // namespace generator
