// One Zapvane window per data folder. Which window owns a folder is decided by
// the folder's lock (Remote::lockDataFolder); this only lets a later start on
// the same folder bring the owner to the front. The owner listens on a local
// socket in a folder only the user can open ($XDG_RUNTIME_DIR, else a 0700
// folder of the user's in /tmp), named after the data folder, and answers
// only peers of its own user; a later start checks the same of the owner.
//
// Threads: window thread.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <functional>
#include <string>

namespace zapvane {

class SingleInstance final : public QObject {
  Q_OBJECT

 public:
  // `socketPath` empty: no private folder could be had; nothing is raised.
  explicit SingleInstance(QString socketPath);

  // True when the window that owns the folder answered and was asked to come
  // forward.
  bool askRunningInstanceToRaise();
  // Starts listening; `raise` runs whenever a later start asks.
  // REQUIRES: the caller holds the data folder's lock (any socket left at
  // the path is a dead owner's).
  bool listen(std::function<void()> raise);

  // The socket of the window on `dataDir`, or empty.
  static QString socketPathFor(const std::string& dataDir);

 private:
  QString path_;
  QLocalServer server_;
  std::function<void()> raise_;
};

}  // namespace zapvane
