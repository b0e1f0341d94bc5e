#include "ui/rename_dialog.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/user_device_actions.h"
#include "app/learning_actions.h"

namespace zapvane {

namespace {

constexpr int kNameWidthChars = 22;

}  // namespace

RenameDialog::RenameDialog(const DialogContext& context, int32_t device)
    : QDialog(context.owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                 Qt::WindowCloseButtonHint),
      context_(context),
      device_(device),
      name_(new QLineEdit(QString::fromStdU16String(userDeviceName(context.remote.catalogue, device)), this)) {
  setObjectName(QStringLiteral("rename"));
  setWindowTitle(QStringLiteral("Name"));
  const QFontMetrics metrics(font());

  name_->setObjectName(QStringLiteral("name"));
  name_->setMinimumWidth(metrics.averageCharWidth() * kNameWidthChars);
  auto* field = new QHBoxLayout;
  field->addWidget(new QLabel(QStringLiteral("Name :"), this));
  field->addWidget(name_, 1);
  auto* info = new QGroupBox(QStringLiteral("User device info"), this);
  info->setLayout(field);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &RenameDialog::rename);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(info);
  layout->addWidget(ok);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void RenameDialog::rename() {
  if (!renameUserDevice(context_.remote, device_, name_->text().toStdU16String())) {
    context_.window.show(createRefusal(CreateResult::emptyName));
    return;
  }
  accept();
}

void RenameDialog::reject() {
  cancelNaming(context_.remote);
  QDialog::reject();
}

}  // namespace zapvane
