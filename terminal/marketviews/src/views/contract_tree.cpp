#include "marketviews/views/contract_tree.h"

#include <QEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "ui/gbk_text.h"

namespace marketviews {
namespace {

constexpr int kInitialHeight = 260;
// The selected series while the focus is elsewhere (in the combo, where the
// user types): white and centred on blue.
const QColor kSelectedWithoutFocus(0x33, 0x99, 0xFF);

class SelectionPainter final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const auto* view = qobject_cast<const QWidget*>(parent());
    if (!option.state.testFlag(QStyle::State_Selected) || view == nullptr || view->hasFocus()) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    painter->fillRect(option.rect, kSelectedWithoutFocus);
    painter->setPen(Qt::white);
    painter->drawText(option.rect, Qt::AlignCenter, index.data().toString());
  }
};

// Depth first from the item: the first item without children whose text
// holds the text.
QTreeWidgetItem* FindLeaf(QTreeWidgetItem* item, const QString& text) {
  if (item->childCount() == 0) return item->text(0).contains(text) ? item : nullptr;
  for (int child = 0; child < item->childCount(); ++child) {
    if (QTreeWidgetItem* found = FindLeaf(item->child(child), text)) return found;
  }
  return nullptr;
}

}  // namespace

CContractTreeDlg::CContractTreeDlg(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint), tree_(new QTreeWidget(this)) {
  setObjectName("CContractTreeDlg");
  setWindowTitle(ui::FromGbk("合约树"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  tree_->setObjectName(QString::number(kTreeId));
  tree_->setHeaderHidden(true);
  tree_->setItemDelegate(new SelectionPainter(tree_));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tree_);
  resize(width(), kInitialHeight);
  connect(tree_, &QTreeWidget::itemSelectionChanged, this, [this] { OnSelectionChanged(); });
  connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { OnDoubleClicked(item); });
  installEventFilter(this);
  tree_->installEventFilter(this);
}

void CContractTreeDlg::FillTree(const OptionMap& map) {
  if (filled_ || map.Empty()) return;
  filled_ = true;
  map_ = &map;
  for (const OptionExchange& exchange : map.Exchanges()) {
    if (!exchange.listed || exchange.series.empty()) continue;
    auto* root = new QTreeWidgetItem(tree_, QStringList(ui::FromGbk(exchange.name)));
    for (const SeriesGroup& group : GroupSeries(exchange)) {
      auto* branch = new QTreeWidgetItem(root, QStringList(ui::FromGbk(group.name)));
      for (const std::string& series : group.series) new QTreeWidgetItem(branch, QStringList(ui::FromGbk(series)));
    }
  }
}

bool CContractTreeDlg::IsSeries(const QTreeWidgetItem* item) const {
  return item != nullptr && item->childCount() == 0 && map_ != nullptr &&
         map_->FindSeries(ui::ToGbk(item->text(0))) != nullptr;
}

bool CContractTreeDlg::SelectLeafContaining(const std::string& text) {
  const QString wanted = ui::FromGbk(text);
  for (int index = 0; index < tree_->topLevelItemCount(); ++index) {
    if (QTreeWidgetItem* leaf = FindLeaf(tree_->topLevelItem(index), wanted)) {
      for (QTreeWidgetItem* parent = leaf->parent(); parent != nullptr; parent = parent->parent()) {
        parent->setExpanded(true);
      }
      tree_->setCurrentItem(leaf);
      tree_->scrollToItem(leaf);
      return true;
    }
  }
  return false;
}

std::string CContractTreeDlg::SelectedLeaf() const {
  const QTreeWidgetItem* item = tree_->currentItem();
  return item != nullptr && item->isSelected() && item->childCount() == 0 ? ui::ToGbk(item->text(0)) : std::string();
}

void CContractTreeDlg::OnSelectionChanged() {
  const QTreeWidgetItem* item = tree_->currentItem();
  if (!IsSeries(item)) return;
  const std::string text = ui::ToGbk(item->text(0));
  if (text != lastSelected_) lastSelected_ = text;
}

void CContractTreeDlg::OnDoubleClicked(QTreeWidgetItem* item) {
  if (!IsSeries(item)) return;
  const std::string text = ui::ToGbk(item->text(0));
  if (text != current_) {
    current_ = text;
    if (chosen_) chosen_(text);
  }
  hide();
}

bool CContractTreeDlg::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == this || watched == tree_) && event->type() == QEvent::FocusOut && isVisible() && keep_) {
    hide();
    keep_ = false;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace marketviews
