#include "ui/tree_sheet.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/gbk_text.h"

namespace ui {

TreeSheet::TreeSheet(QWidget* parent, const std::string& caption, int navigationWidth)
    : BaseDialog(parent, 0, caption), tree_(new QTreeWidget(this)), pages_(new QStackedWidget(this)) {
  tree_->setHeaderHidden(true);
  tree_->setFixedWidth(navigationWidth);
  auto* body = new QHBoxLayout;
  body->addWidget(tree_);
  body->addWidget(pages_, 1);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(FromGbk("确定"), QDialogButtonBox::AcceptRole);
  ok->setObjectName("ok");
  buttons->addButton(FromGbk("取消"), QDialogButtonBox::RejectRole)->setObjectName("cancel");
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body, 1);
  layout->addWidget(buttons);
  resize(640, 460);
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { Select(item); });
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (OnConfirm()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TreeSheet::AddCategory(const std::string& caption) {
  category_ = new QTreeWidgetItem(tree_, QStringList(FromGbk(caption)));
  auto* holder = new QWidget(pages_);
  pages_->addWidget(holder);
  nodes_.push_back({nullptr, holder, category_, true});
}

void TreeSheet::AddPage(const std::string& caption, PageFactory factory) {
  QTreeWidgetItem* item = category_ != nullptr ? new QTreeWidgetItem(category_, QStringList(FromGbk(caption)))
                                               : new QTreeWidgetItem(tree_, QStringList(FromGbk(caption)));
  auto* holder = new QWidget(pages_);
  new QVBoxLayout(holder);
  pages_->addWidget(holder);
  nodes_.push_back({std::move(factory), holder, item, false});
}

void TreeSheet::ExpandAll() {
  tree_->expandAll();
  if (!nodes_.empty()) tree_->setCurrentItem(nodes_.front().item);
}

int TreeSheet::CreatedPageCount() const {
  int count = 0;
  for (const Node& node : nodes_) count += (node.factory && node.created) ? 1 : 0;
  return count;
}

std::vector<std::pair<int, std::string>> TreeSheet::NodeCaptions() const {
  std::vector<std::pair<int, std::string>> captions;
  for (const Node& node : nodes_) {
    captions.emplace_back(node.item->parent() == nullptr ? 0 : 1, ToGbk(node.item->text(0)));
  }
  return captions;
}

void TreeSheet::Select(QTreeWidgetItem* item) {
  for (Node& node : nodes_) {
    if (node.item != item) continue;
    CreatePage(node);
    pages_->setCurrentWidget(node.holder);
    return;
  }
}

void TreeSheet::CreatePage(Node& node) {
  if (node.created) return;
  node.created = true;
  if (QWidget* page = node.factory(node.holder)) node.holder->layout()->addWidget(page);
}

}  // namespace ui
