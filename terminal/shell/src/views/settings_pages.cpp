#include "shell/views/settings_pages.h"

#include "shell/views/settings_sheet.h"

namespace shell {

SettingsPageBase::SettingsPageBase(QWidget* parent, client::ConfigRegistry& registry, const char* objectName)
    : ui::BasePage(parent), registry_(registry) {
  setObjectName(objectName);
}

// The area is looked up again: it unbinds only while this page is its page.
SettingsPageBase::~SettingsPageBase() {
  for (const std::string& name : bound_) {
    client::CTQConfig* area = registry_.Find(name);
    if (area != nullptr && area->Page() == static_cast<client::SettingsPage*>(this)) area->BindPage(nullptr);
  }
}

bool SettingsPageBase::OpenArea(std::string_view name) {
  client::CTQConfig* area = registry_.Find(name);
  if (area == nullptr) return false;
  area->BindPage(this);
  bound_.emplace_back(name);
  area->ToPage();
  return true;
}

void RegisterSettingsPages(const SettingsPageContext& context) {
  using Registry = client::ConfigRegistry;
  std::vector<SheetPage>& pages = TheSheetPages();
  pages = {
      {"通讯设置", "设置网关",
       [](QWidget* parent, Registry& registry) { return new TraderServerPage(parent, registry); }},
      {"通讯设置", "设置代理服务器",
       [](QWidget* parent, Registry& registry) { return new ProxyServerPage(parent, registry); }},
      {"委托设置", "品种参数设置",
       [context](QWidget* parent, Registry& registry) { return new VarietyParamPage(parent, registry, context); }},
      {"委托设置", "常规", [](QWidget* parent, Registry& registry) { return new EntrustCommonPage(parent, registry); }},
      {"委托设置", "高级",
       [](QWidget* parent, Registry& registry) { return new EntrustAdvancedPage(parent, registry); }},
      {"系统参数", "系统设置",
       [context](QWidget* parent, Registry& registry) { return new SysParamPage(parent, registry, context); }},
      {"自选合约", "设置自选合约",
       [context](QWidget* parent, Registry& registry) { return new WatchListPage(parent, registry, context); }},
  };
}

void ClearSettingsPages() { TheSheetPages().clear(); }

}  // namespace shell
