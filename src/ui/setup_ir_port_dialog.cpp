#include "ui/setup_ir_port_dialog.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/auto_adjust_actions.h"
#include "ui/qt_resources.h"
#include "app/settings_actions.h"

namespace zapvane {

namespace {


void setRange(QSlider* slider, SliderRange range) { slider->setRange(range.min, range.max); }

QSlider* makeAdjustSlider(QWidget* parent, const QString& name, int value) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setObjectName(name);
  setRange(slider, kAdjustSliderRange);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setTickInterval(1);
  slider->setPageStep(1);
  slider->setValue(value);
  return slider;
}

QGroupBox* group(QWidget* parent, const char* title, QLayout* content) {
  auto* box = new QGroupBox(QString::fromUtf8(title), parent);
  box->setLayout(content);
  return box;
}

}  // namespace

SetupIrPortDialog::SetupIrPortDialog(const DialogContext& context)
    : QDialog(context.owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                 Qt::WindowCloseButtonHint),
      context_(context) {
  setWindowTitle(QStringLiteral("Setup IR port"));
  const QFontMetrics metrics(font());
  const SetupValues initial = setupInitialValues(context_.remote);

  // Made in the order the keyboard visits them: the focus starts on OK.
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName(QStringLiteral("ok"));
  auto* portText = new QLabel(QStringLiteral("Select COM port:   "), this);
  port_ = new QComboBox(this);
  port_->setObjectName(QStringLiteral("port"));
  for (const char* name : kPortNames) port_->addItem(QString::fromUtf8(name));
  port_->setCurrentIndex(initial.portRow);
  space_ = makeAdjustSlider(this, QStringLiteral("space"), initial.adjust.space);
  mark_ = makeAdjustSlider(this, QStringLiteral("mark"), initial.adjust.mark);
  autoAdjust_ = new QPushButton(QStringLiteral("Auto Adjust"), this);
  autoAdjust_->setObjectName(QStringLiteral("autoAdjust"));
  default_ = new QPushButton(QStringLiteral("Default"), this);
  default_->setObjectName(QStringLiteral("default"));
  space_->setMinimumWidth(unitsAcross(metrics, 97));
  mark_->setMinimumWidth(unitsAcross(metrics, 97));

  const int inset = unitsAcross(metrics, 6);
  const int gap = unitsDown(metrics, 3);
  auto* portRow = new QHBoxLayout;
  portRow->addWidget(portText);
  portRow->addWidget(port_);
  portRow->addStretch();
  auto* spaceRow = new QVBoxLayout;
  spaceRow->addWidget(space_);
  auto* markRow = new QVBoxLayout;
  markRow->addWidget(mark_);
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(unitsAcross(metrics, 9));
  buttons->addWidget(autoAdjust_, 1);
  buttons->addWidget(default_, 1);
  auto* dataSetup = new QVBoxLayout;
  dataSetup->setContentsMargins(inset, gap, inset, gap);
  dataSetup->setSpacing(gap);
  dataSetup->addWidget(group(this, "Space adjust", spaceRow));
  dataSetup->addWidget(group(this, "Mark adjust", markRow));
  dataSetup->addLayout(buttons);
  auto* okRow = new QHBoxLayout;
  okRow->setContentsMargins(inset, 0, inset, 0);
  okRow->addWidget(ok_);

  auto* layout = new QVBoxLayout(this);
  const int margin = unitsAcross(metrics, 3);
  layout->setContentsMargins(margin, unitsDown(metrics, 2), margin, gap);
  layout->setSpacing(gap);
  layout->addWidget(group(this, "IR port", portRow));
  layout->addWidget(group(this, "IR data setup", dataSetup));
  layout->addLayout(okRow);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(ok_, &QPushButton::clicked, this, &SetupIrPortDialog::storeSetup);
  connect(default_, &QPushButton::clicked, this, &SetupIrPortDialog::restoreDefaults);
  connect(autoAdjust_, &QPushButton::clicked, this, &SetupIrPortDialog::startAutoAdjust);
}

void SetupIrPortDialog::storeSetup() {
  applySetupOk(context_.remote, {port_->currentIndex(), {space_->value(), mark_->value()}});
  accept();
}

void SetupIrPortDialog::restoreDefaults() {
  applySetupDefault(context_.remote);
  const AdjustmentPair stored = currentKindAdjustments(context_.remote);
  setRange(space_, kAdjustSliderRange);
  setRange(mark_, kMarkRangeAfterDefault);
  space_->setValue(stored.space);
  mark_->setValue(stored.mark);
}

void SetupIrPortDialog::startAutoAdjust() {
  // The port and slider positions are not taken over: only OK stores them.
  armAutoAdjust(context_.remote, context_.window);
  accept();
}

}  // namespace zapvane
