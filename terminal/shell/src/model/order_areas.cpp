// The two areas over the one order-settings record: "EntrustCommon" and
// "EntrustAdv" of "EntrustParam.ini". Three fields sit in both sections; the
// advanced area loads after the common one, so its values win, and both
// sections are written with the same values.
#include <string>

#include "ini_values.h"
#include "shell/settings_areas.h"

namespace shell {
namespace {

constexpr std::string_view kCommonSection = "EntrustCommon";
constexpr std::string_view kAdvancedSection = "EntrustAdv";
constexpr const char* kOrderFile = "\\Config\\EntrustParam.ini";

std::string SequenceKey(int i) { return "OrderInputSequence_" + std::to_string(i); }

bool ShowOnPage(client::SettingsPage* page, client::OrderSettings* record) {
  auto* orderPage = dynamic_cast<RecordPage<client::OrderSettings>*>(page);
  if (record == nullptr || orderPage == nullptr) return false;
  orderPage->ShowRecord(*record);
  return true;
}

bool ReadFromPage(client::SettingsPage* page, client::OrderSettings* record) {
  auto* orderPage = dynamic_cast<RecordPage<client::OrderSettings>*>(page);
  if (record == nullptr || orderPage == nullptr) return false;
  orderPage->ReadRecord(*record);
  return true;
}

}  // namespace

EntrustCommonArea::EntrustCommonArea() { SetIniPath(kOrderFile); }

bool EntrustCommonArea::Load() {
  client::OrderSettings* r = Record();
  if (r == nullptr) return false;
  const ini::Section s(IniPath(), kCommonSection);
  r->ClearInfoAfterOrder = s.Int("ClearInfoAfterOrder", 0);
  for (int i = 0; i < 7; ++i) r->OrderInputSequence[i] = s.Int(SequenceKey(i), i);
  r->SendOrderAffirmBox = s.Flag("SendOrderAffirmBox");
  r->OrderReturnHintBox = s.Flag("OrderReturnHintBox");
  r->DelOrderAffirmBox = s.Flag("DelOrderAffirmBox");
  r->OrderReturnCursorPos = s.Int("OrderReturnCursorPos", 0);
  r->WayOfReverseOrder = s.Int("WayOfReverseOrder", 0);
  r->PriceLevel = s.Int("PriceLevel", 0);
  r->FirstTodayLastTomorrow = s.Flag("FirstTodayLastTomorrow");
  r->ExceededMaxHandsSplitOrder = s.Flag("ExceededMaxHandsSplitOrder");
  r->ShowHedge = s.Flag("ShowHedge");
  r->AutoEO = s.Flag("AutoEO");
  r->ClickQuot = s.Flag("ClickQuot");
  r->DBClickCloseOrder = s.Flag("DBClickCloseOrder");
  r->ShortcutKeyBuy = s.Int("ShortcutKeyBuy", 1);
  r->ShortcutKeySell = s.Int("ShortcutKeySell", 3);
  r->ShortcutKeyOpen = s.Int("ShortcutKeyOpen", 1);
  r->ShortcutKeyClose = s.Int("ShortcutKeyClose", 2);
  r->ShortcutKeyCloseToday = s.Int("ShortcutKeyCloseToday", 3);
  return true;
}

bool EntrustCommonArea::Save() {
  const client::OrderSettings* r = Record();
  if (r == nullptr) return false;
  const ini::Section s(IniPath(), kCommonSection);
  s.WriteInt("ClearInfoAfterOrder", r->ClearInfoAfterOrder);
  s.WriteFlag("SendOrderAffirmBox", r->SendOrderAffirmBox);
  s.WriteFlag("OrderReturnHintBox", r->OrderReturnHintBox);
  s.WriteFlag("DelOrderAffirmBox", r->DelOrderAffirmBox);
  s.WriteInt("OrderReturnCursorPos", r->OrderReturnCursorPos);
  s.WriteInt("WayOfReverseOrder", r->WayOfReverseOrder);
  s.WriteInt("PriceLevel", r->PriceLevel);
  s.WriteFlag("FirstTodayLastTomorrow", r->FirstTodayLastTomorrow);
  s.WriteFlag("ExceededMaxHandsSplitOrder", r->ExceededMaxHandsSplitOrder);
  s.WriteFlag("ShowHedge", r->ShowHedge);
  s.WriteFlag("AutoEO", r->AutoEO);
  s.WriteFlag("ClickQuot", r->ClickQuot);
  s.WriteFlag("DBClickCloseOrder", r->DBClickCloseOrder);
  for (int i = 0; i < 7; ++i) s.WriteInt(SequenceKey(i), r->OrderInputSequence[i]);
  s.WriteInt("ShortcutKeyBuy", r->ShortcutKeyBuy);
  s.WriteInt("ShortcutKeySell", r->ShortcutKeySell);
  s.WriteInt("ShortcutKeyOpen", r->ShortcutKeyOpen);
  s.WriteInt("ShortcutKeyClose", r->ShortcutKeyClose);
  s.WriteInt("ShortcutKeyCloseToday", r->ShortcutKeyCloseToday);
  return true;
}

bool EntrustCommonArea::ToPage() { return ShowOnPage(Page(), Record()); }
bool EntrustCommonArea::FromPage() { return ReadFromPage(Page(), Record()); }

EntrustAdvancedArea::EntrustAdvancedArea() { SetIniPath(kOrderFile); }

bool EntrustAdvancedArea::Load() {
  client::OrderSettings* r = Record();
  if (r == nullptr) return false;
  const ini::Section s(IniPath(), kAdvancedSection);
  r->FirstTodayLastTomorrow = s.Flag("FirstTodayLastTomorrow");
  r->ExceededMaxHandsSplitOrder = s.Flag("ExceededMaxHandsSplitOrder");
  r->EnableAotoDelOrder = s.Flag("EnableAotoDelOrder");
  r->AutoDelOrderType = s.Int("AutoDelOrderType", 0);
  r->PriceLevel = s.Int("PriceLevel", 0);
  return true;
}

bool EntrustAdvancedArea::Save() {
  const client::OrderSettings* r = Record();
  if (r == nullptr) return false;
  const ini::Section s(IniPath(), kAdvancedSection);
  s.WriteFlag("FirstTodayLastTomorrow", r->FirstTodayLastTomorrow);
  s.WriteFlag("ExceededMaxHandsSplitOrder", r->ExceededMaxHandsSplitOrder);
  s.WriteFlag("EnableAotoDelOrder", r->EnableAotoDelOrder);
  s.WriteInt("AutoDelOrderType", r->AutoDelOrderType);
  s.WriteInt("PriceLevel", r->PriceLevel);
  return true;
}

bool EntrustAdvancedArea::ToPage() { return ShowOnPage(Page(), Record()); }
bool EntrustAdvancedArea::FromPage() { return ReadFromPage(Page(), Record()); }

}  // namespace shell
