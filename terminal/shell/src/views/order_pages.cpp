// The two order settings pages, "常规" and "高级".
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "backend/field_text.h"
#include "shell/views/settings_pages.h"
#include "ui/gbk_text.h"

namespace shell {
namespace {

using ui::Numbered;

QCheckBox* Check(QWidget* parent, int id, const char* label) {
  return Numbered(new QCheckBox(ui::FromGbk(label), parent), id);
}

QRadioButton* Radio(QWidget* parent, int id, const char* label) {
  return Numbered(new QRadioButton(ui::FromGbk(label), parent), id);
}

QGroupBox* Group(QWidget* parent, const char* caption) { return new QGroupBox(ui::FromGbk(caption), parent); }

// An edit's text as a whole number; 0 for text that is none.
int EditNumber(const QLineEdit* edit) {
  return backend::ParseDecimal(backend::TrimBlanks(ui::ToGbk(edit->text()))).value_or(0);
}

void ShowNumber(QLineEdit* edit, int value) { edit->setText(QString::number(value)); }

constexpr const char* kCursorItems[] = {"合约", "买卖", "开平", "手数", "价格", "定单类型", "成交属性", "触发价格"};

}  // namespace

EntrustCommonPage::EntrustCommonPage(QWidget* parent, client::ConfigRegistry& registry)
    : SettingsPageBase(parent, registry, "CTQEntrustParamSetCommon") {
  auto* layout = new QGridLayout(this);
  const char* checkLabels[] = {"下单时须确认", "下单返回弹信息框", "撤单时须确认", "保值在下单栏显示"};
  for (int i = 0; i < 4; ++i) {
    checks_[static_cast<std::size_t>(i)] = Check(this, 1104 + i, checkLabels[i]);
    layout->addWidget(checks_[static_cast<std::size_t>(i)], i / 2, i % 2);
  }
  layout->addWidget(new QLabel(ui::FromGbk("下单后光标停留位置"), this), 2, 0);
  cursor_ = Numbered(new QComboBox(this), 1119);
  for (const char* item : kCursorItems) cursor_->addItem(ui::FromGbk(item));
  layout->addWidget(cursor_, 2, 1);

  QGroupBox* doubleClick = Group(this, "双击持仓");
  auto* doubleClickLayout = new QVBoxLayout(doubleClick);
  closeAtOnce_ = Radio(doubleClick, 1120, "直接发出平仓单");
  fillPanel_ = Radio(doubleClick, 1121, "填单到下单区");
  doubleClickLayout->addWidget(closeAtOnce_);
  doubleClickLayout->addWidget(fillPanel_);
  layout->addWidget(doubleClick, 3, 0);

  QGroupBox* clear = Group(this, "上次委托信息设置");
  auto* clearLayout = new QVBoxLayout(clear);
  const char* clearLabels[] = {"不清除", "全清除", "只清除价格和手数"};
  for (int i = 0; i < 3; ++i) {
    clear_[static_cast<std::size_t>(i)] = Radio(clear, 1109 + i, clearLabels[i]);
    clearLayout->addWidget(clear_[static_cast<std::size_t>(i)]);
  }
  layout->addWidget(clear, 3, 1);

  QGroupBox* reverse = Group(this, "反手委托设置");
  auto* reverseLayout = new QVBoxLayout(reverse);
  reverse_[0] = Radio(reverse, 1112, "发送平仓单后立即反向开仓");
  reverse_[1] = Radio(reverse, 1113, "平仓单全部成交后反向开仓");
  reverseLayout->addWidget(reverse_[0]);
  reverseLayout->addWidget(reverse_[1]);
  layout->addWidget(reverse, 4, 0, 1, 2);

  // Open, close, close today; then buy, sell.
  const struct {
    const char* group;
    int first;
    std::vector<const char*> labels;
  } keyGroups[] = {{"开平仓快捷键设置", 1114, {"开仓", "平仓", "平今"}}, {"买卖快捷键设置", 1117, {"买入", "卖出"}}};
  int column = 0;
  for (const auto& keyGroup : keyGroups) {
    QGroupBox* box = Group(this, keyGroup.group);
    auto* boxLayout = new QGridLayout(box);
    for (std::size_t i = 0; i < keyGroup.labels.size(); ++i) {
      const int id = keyGroup.first + static_cast<int>(i);
      QLineEdit* edit = Numbered(new QLineEdit(box), id);
      keys_[static_cast<std::size_t>(id - 1114)] = edit;
      boxLayout->addWidget(new QLabel(ui::FromGbk(keyGroup.labels[i]), box), static_cast<int>(i), 0);
      boxLayout->addWidget(edit, static_cast<int>(i), 1);
    }
    layout->addWidget(box, 5, column++);
  }
  layout->setRowStretch(6, 1);
  OpenArea("EntrustParamSetCommon");
}

void EntrustCommonPage::ShowRecord(const client::OrderSettings& record) {
  const std::uint8_t flags[] = {record.SendOrderAffirmBox, record.OrderReturnHintBox, record.DelOrderAffirmBox,
                                record.ShowHedge};
  for (std::size_t i = 0; i < 4; ++i) checks_[i]->setChecked(flags[i] != 0);
  cursor_->setCurrentIndex(record.OrderReturnCursorPos);
  (record.DBClickCloseOrder ? closeAtOnce_ : fillPanel_)->setChecked(true);
  if (record.ClearInfoAfterOrder >= 0 && record.ClearInfoAfterOrder <= 2) {
    clear_[static_cast<std::size_t>(record.ClearInfoAfterOrder)]->setChecked(true);
  }
  reverse_[record.WayOfReverseOrder != 0 ? 1 : 0]->setChecked(true);
  const int keys[] = {record.ShortcutKeyOpen, record.ShortcutKeyClose, record.ShortcutKeyCloseToday,
                      record.ShortcutKeyBuy, record.ShortcutKeySell};
  for (std::size_t i = 0; i < 5; ++i) ShowNumber(keys_[i], keys[i]);
}

void EntrustCommonPage::ReadRecord(client::OrderSettings& record) {
  std::uint8_t* flags[] = {&record.SendOrderAffirmBox, &record.OrderReturnHintBox, &record.DelOrderAffirmBox,
                           &record.ShowHedge};
  for (std::size_t i = 0; i < 4; ++i) *flags[i] = checks_[i]->isChecked() ? 1 : 0;
  record.OrderReturnCursorPos = cursor_->currentIndex();
  record.DBClickCloseOrder = closeAtOnce_->isChecked() ? 1 : 0;
  for (std::size_t i = 0; i < 3; ++i) {
    if (clear_[i]->isChecked()) {
      record.ClearInfoAfterOrder = static_cast<std::int32_t>(i);
      break;
    }
  }
  record.WayOfReverseOrder = reverse_[1]->isChecked() ? 1 : 0;
  std::int32_t* keys[] = {&record.ShortcutKeyOpen, &record.ShortcutKeyClose, &record.ShortcutKeyCloseToday,
                          &record.ShortcutKeyBuy, &record.ShortcutKeySell};
  for (std::size_t i = 0; i < 5; ++i) *keys[i] = EditNumber(keys_[i]);
}

EntrustAdvancedPage::EntrustAdvancedPage(QWidget* parent, client::ConfigRegistry& registry)
    : SettingsPageBase(parent, registry, "CTQEntrustParamSetAdvanced") {
  auto* layout = new QVBoxLayout(this);
  todayFirst_ = Check(this, 1122, "先平今仓再平老仓");
  split_ = Check(this, 1123, "超过最大下单手数拆单");
  layout->addWidget(todayFirst_);
  layout->addWidget(split_);

  QGroupBox* close = Group(this, "平仓");
  auto* closeLayout = new QVBoxLayout(close);
  autoCancel_ = Check(close, 1124, "平仓自动撤单");
  cancelAll_ = Radio(close, 1126, "平满撤单");
  cancelEach_ = Radio(close, 1127, "逐笔撤单");
  closeLayout->addWidget(autoCancel_);
  closeLayout->addWidget(cancelAll_);
  closeLayout->addWidget(cancelEach_);
  layout->addWidget(close);

  QGroupBox* level = Group(this, "价位");
  auto* levelLayout = new QGridLayout(level);
  // Whole ticks, below zero as well.
  priceLevel_ = Numbered(new QLineEdit(level), 1128);
  priceLevel_->setValidator(new QRegularExpressionValidator(QRegularExpression("-?\\d{0,6}"), priceLevel_));
  levelLayout->addWidget(new QLabel(ui::FromGbk("价位调整"), level), 0, 0);
  levelLayout->addWidget(priceLevel_, 0, 1);
  levelLayout->addWidget(new QLabel(ui::FromGbk("价格调整 = 价位调整 X 最小变动价位"), level), 1, 0, 1, 2);
  layout->addWidget(level);
  layout->addStretch(1);

  cancelAll_->setChecked(true);
  OpenArea("EntrustParamSetAdv");
  EnableCancelKinds();
  connect(autoCancel_, &QCheckBox::clicked, this, [this] { EnableCancelKinds(); });
}

void EntrustAdvancedPage::EnableCancelKinds() {
  cancelAll_->setEnabled(autoCancel_->isChecked());
  cancelEach_->setEnabled(autoCancel_->isChecked());
}

void EntrustAdvancedPage::ShowRecord(const client::OrderSettings& record) {
  todayFirst_->setChecked(record.FirstTodayLastTomorrow != 0);
  split_->setChecked(record.ExceededMaxHandsSplitOrder != 0);
  autoCancel_->setChecked(record.EnableAotoDelOrder != 0);
  if (record.AutoDelOrderType == 1) cancelAll_->setChecked(true);
  if (record.AutoDelOrderType == 2) cancelEach_->setChecked(true);
  ShowNumber(priceLevel_, record.PriceLevel);
}

void EntrustAdvancedPage::ReadRecord(client::OrderSettings& record) {
  record.FirstTodayLastTomorrow = todayFirst_->isChecked() ? 1 : 0;
  record.ExceededMaxHandsSplitOrder = split_->isChecked() ? 1 : 0;
  record.EnableAotoDelOrder = autoCancel_->isChecked() ? 1 : 0;
  record.AutoDelOrderType = cancelAll_->isChecked() ? 1 : (cancelEach_->isChecked() ? 2 : 0);
  record.PriceLevel = EditNumber(priceLevel_);
}

}  // namespace shell
