#include "ui/filter_list_dialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialog_base.h"
#include "ui/gbk_text.h"

namespace ui {
namespace {

Qt::CheckState StateOf(Check check) {
  switch (check) {
    case Check::kChecked: return Qt::Checked;
    case Check::kIndeterminate: return Qt::PartiallyChecked;
    case Check::kUnchecked: return Qt::Unchecked;
  }
  return Qt::Unchecked;
}

// A click on an indeterminate "(全选)" checks it, as on a cleared one.
Check CheckOf(Qt::CheckState state) { return state == Qt::Unchecked ? Check::kUnchecked : Check::kChecked; }

}  // namespace

CFilterListDlg::CFilterListDlg(QWidget* parent, std::vector<std::string> values, ColumnFilterState& working)
    : QDialog(parent), pickList_(std::move(values), working), working_(working), list_(new QListWidget(this)) {
  setObjectName("CFilterListDlg");
  setWindowTitle(FromGbk("过滤"));
  SetControlId(list_, kListId);
  for (int entry = 0; entry < pickList_.Count(); ++entry) {
    auto* item = new QListWidgetItem(FromGbk(pickList_.Text(entry)), list_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  }
  ShowChecks();
  connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (showing_) return;
    pickList_.SetCheck(list_->row(item), CheckOf(item->checkState()));
    ShowChecks();
  });

  auto* ok = new QPushButton(FromGbk("确定"), this);
  auto* cancel = new QPushButton(FromGbk("取消"), this);
  SetControlId(ok, 1);
  SetControlId(cancel, 2);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ok);
  buttons->addStretch();
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(buttons);
  resize(220, 200);
}

void CFilterListDlg::ShowChecks() {
  showing_ = true;
  for (int entry = 0; entry < pickList_.Count(); ++entry) {
    list_->item(entry)->setCheckState(StateOf(pickList_.CheckOf(entry)));
  }
  showing_ = false;
}

void CFilterListDlg::accept() {
  pickList_.ApplyTo(working_);
  QDialog::accept();
}

}  // namespace ui
