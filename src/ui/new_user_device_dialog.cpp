#include "ui/new_user_device_dialog.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/user_device_actions.h"
#include "app/learning_actions.h"

namespace zapvane {

namespace {

constexpr int kNameWidthChars = 22;

}  // namespace

NewUserDeviceDialog::NewUserDeviceDialog(const DialogContext& context)
    : QDialog(context.owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                 Qt::WindowCloseButtonHint),
      context_(context),
      name_(new QLineEdit(this)),
      type_(new QComboBox(this)) {
  setObjectName(QStringLiteral("newUserDevice"));
  setWindowTitle(QStringLiteral("User devices"));
  const QFontMetrics metrics(font());

  name_->setObjectName(QStringLiteral("name"));
  name_->setMinimumWidth(metrics.averageCharWidth() * kNameWidthChars);
  // List position is the skin type: 0 TV, 1 VCR.
  type_->setObjectName(QStringLiteral("type"));
  type_->addItem(QStringLiteral("TV,SAT,...TV skin"));
  type_->addItem(QStringLiteral("VCR,AUDIO,..VCR skin"));
  type_->setCurrentIndex(kTvSkin);

  auto* fields = new QGridLayout;
  fields->addWidget(new QLabel(QStringLiteral("Name :"), this), 0, 0);
  fields->addWidget(name_, 0, 1);
  fields->addWidget(new QLabel(QStringLiteral("Type :"), this), 1, 0);
  fields->addWidget(type_, 1, 1);
  auto* info = new QGroupBox(QStringLiteral("User device info"), this);
  info->setLayout(fields);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &NewUserDeviceDialog::create);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(info);
  layout->addWidget(ok);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void NewUserDeviceDialog::create() {
  const CreateResult result = createUserDevice(context_.remote, name_->text().toStdU16String(), type_->currentIndex());
  if (result != CreateResult::created) {
    context_.window.show(createRefusal(result));
    return;
  }
  accept();
}

void NewUserDeviceDialog::reject() {
  cancelNaming(context_.remote);
  QDialog::reject();
}

}  // namespace zapvane
