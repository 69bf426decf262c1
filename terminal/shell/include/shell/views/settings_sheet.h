// The settings sheet ("系统设置" from the main frame with every category,
// "设置" from the login dialog with the communication pages only). OK reads
// every opened page back and saves every area; Cancel writes nothing.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "client/settings_registry.h"
#include "ui/tree_sheet.h"

namespace shell {

inline constexpr int kCommunicationPages = 1;
inline constexpr int kOtherPages = 2;

// A page of the sheet, added by the module that builds it: its category
// ("通讯设置", "委托设置", "系统参数" or "自选合约"), caption and factory,
// which builds the page in its holder with the sheet's settings registry.
struct SheetPage {
  using Factory = std::function<QWidget*(QWidget* parent, client::ConfigRegistry& registry)>;
  std::string category;
  std::string caption;
  Factory factory;
};

// The pages, in the order they appear within their categories.
std::vector<SheetPage>& TheSheetPages();

class SettingsSheet : public ui::TreeSheet {
 public:
  SettingsSheet(QWidget* parent, const std::string& caption, int mask, client::ConfigRegistry& registry);

 private:
  bool OnConfirm() override;
  client::ConfigRegistry& registry_;
};

}  // namespace shell
