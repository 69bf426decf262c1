#include "shell/views/settings_sheet.h"

namespace shell {

std::vector<SheetPage>& TheSheetPages() {
  static std::vector<SheetPage> pages;
  return pages;
}

SettingsSheet::SettingsSheet(QWidget* parent, const std::string& caption, int mask, client::ConfigRegistry& registry)
    : ui::TreeSheet(parent, caption), registry_(registry) {
  setObjectName("CTQPropertySheet");
  // Room for the two grids of the watch list side by side.
  resize(820, 520);
  std::vector<std::string> categories;
  if (mask & kCommunicationPages) categories.push_back("通讯设置");
  if (mask & kOtherPages) {
    for (const char* category : {"委托设置", "系统参数", "自选合约"}) categories.push_back(category);
  }
  for (const std::string& category : categories) {
    AddCategory(category);
    for (const SheetPage& page : TheSheetPages()) {
      if (page.category != category) continue;
      AddPage(page.caption, [this, factory = page.factory](QWidget* parent) { return factory(parent, registry_); });
    }
  }
  ExpandAll();
  // The sheet opens on its first page rather than on a category.
  if (QTreeWidgetItem* first = Tree()->topLevelItem(0); first != nullptr && first->childCount() > 0) {
    Tree()->setCurrentItem(first->child(0));
  }
}

bool SettingsSheet::OnConfirm() {
  registry_.ReadAllFromPages();
  registry_.SaveAll();
  return true;
}

}  // namespace shell
