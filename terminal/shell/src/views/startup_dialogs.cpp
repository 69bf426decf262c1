#include "shell/views/startup_dialogs.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/colours_fonts.h"
#include "ui/gbk_text.h"

namespace shell {

CustomerInfoDialog::CustomerInfoDialog(QWidget* parent, const CustomerInformation& texts)
    : ui::BaseDialog(parent, 159, "登录信息及重要通知") {
  setObjectName("CTQCustInformation");
  static constexpr const char* kLabels[] = {"客户姓名",     "客 户 号",     "风险级别",     "风 险 度",
                                            "上次登录地址", "上次登录日期", "上次登录时间", "上次登录方式"};
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(6);
  for (std::size_t i = 0; i < std::size(kLabels); ++i) {
    const int row = static_cast<int>(i);
    grid->addWidget(new QLabel(ui::FromGbk(kLabels[i]), this), row, 0);
    auto* value = new QLabel(ui::FromGbk(texts[i]), this);
    ui::SetControlId(value, 1175 + row);
    grid->addWidget(value, row, 1);
  }
  auto* notices = new QPlainTextEdit(ui::FromGbk(texts[8]), this);
  ui::SetControlId(notices, 1183);
  notices->setReadOnly(true);
  notices->setMinimumSize(360, 120);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(ui::FromGbk("确定"), QDialogButtonBox::AcceptRole)->setObjectName("ok");
  QObject::connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->addLayout(grid);
  layout->addWidget(notices, 1);
  layout->addWidget(buttons);
}

StatementDialog::StatementDialog(QWidget* parent, const std::vector<std::string>& lines)
    : ui::BaseDialog(parent, 158, "结算单确认") {
  setObjectName("CTQLoginReport");
  auto* list = new QListWidget(this);
  ui::SetControlId(list, 1173);
  list->setFont(ui::FontOf("宋体", 10, ui::FontPitch::kFixed));
  list->setMinimumSize(640, 400);
  for (const std::string& line : lines) list->addItem(ui::FromGbk(line));
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(ui::FromGbk("确认"), QDialogButtonBox::AcceptRole)->setObjectName("ok");
  buttons->addButton(ui::FromGbk("取消"), QDialogButtonBox::RejectRole)->setObjectName("cancel");
  QObject::connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list, 1);
  layout->addWidget(buttons);
}

}  // namespace shell
