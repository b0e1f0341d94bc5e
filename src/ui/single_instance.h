// One Zapvane window per user: the first start listens on a local socket
// named after the user; a second start finds it, asks the first window to
// come to the front, and ends.
//
// Threads: window thread.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <functional>

namespace zapvane {

class SingleInstance final : public QObject {
  Q_OBJECT

 public:
  explicit SingleInstance(QString name);

  // True when another instance answered and was asked to come forward.
  bool askRunningInstanceToRaise();
  // Starts listening; `raise` runs whenever a later start asks.
  bool listen(std::function<void()> raise);

  static QString defaultName();

 private:
  QString name_;
  QLocalServer server_;
  std::function<void()> raise_;
};

}  // namespace zapvane
