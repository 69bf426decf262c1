// The areas of "SysParam.ini": the hide hot key and the alert sounds.
#include <string>

#include "ini_values.h"
#include "platform/files.h"
#include "shell/settings_areas.h"

namespace shell {
namespace {

constexpr std::string_view kHotKeySection = "SysHotKey";
constexpr std::string_view kVoiceSection = "MediaVoice";
constexpr const char* kSystemFile = "\\Config\\SysParam.ini";

struct BuiltInEvent {
  int id;
  const char* name;
  const char* defaultFile;
};

constexpr BuiltInEvent kEvents[] = {
    {0, "报单成功", "报入成功.wav"},     {1, "撤单", "撤单.wav"},         {2, "成交通知", "成交通知.wav"},
    {3, "开收盘提示", "开收盘提示.wav"}, {4, "连接中断", "连接中断.wav"}, {5, "信息到达", "信息到达.wav"},
    {6, "指令单错误", "指令单错误.wav"},
};

std::string MediaKey(int id) { return "Media_" + std::to_string(id); }

template <class Record>
bool Show(client::SettingsPage* page, Record* record) {
  auto* recordPage = dynamic_cast<RecordPage<Record>*>(page);
  if (record == nullptr || recordPage == nullptr) return false;
  recordPage->ShowRecord(*record);
  return true;
}

template <class Record>
bool Read(client::SettingsPage* page, Record* record) {
  auto* recordPage = dynamic_cast<RecordPage<Record>*>(page);
  if (record == nullptr || recordPage == nullptr) return false;
  recordPage->ReadRecord(*record);
  return true;
}

}  // namespace

SysParamArea::SysParamArea() { SetIniPath(kSystemFile); }

bool SysParamArea::Load() {
  HotKeySettings* r = Record();
  if (r == nullptr) return false;
  const ini::Section s(IniPath(), kHotKeySection);
  r->use = s.Flag("UseHotKey");
  r->virtualKey = static_cast<std::uint16_t>(s.Int("key", 0));
  r->modifiers = static_cast<std::uint8_t>(s.Int("Mod", 0));
  SetField(r->text, s.Text("HotkeyStr", 63));
  return true;
}

bool SysParamArea::Save() {
  const HotKeySettings* r = Record();
  if (r == nullptr) return false;
  const ini::Section s(IniPath(), kHotKeySection);
  s.WriteFlag("UseHotKey", r->use);
  s.WriteInt("key", r->virtualKey);
  s.WriteInt("Mod", r->modifiers);
  s.WriteText("HotkeyStr", FieldText(r->text));
  return true;
}

bool SysParamArea::ToPage() { return Show(Page(), Record()); }
bool SysParamArea::FromPage() { return Read(Page(), Record()); }

VoiceArea::VoiceArea() { SetIniPath(kSystemFile); }

bool VoiceArea::Load() {
  VoiceSettings* r = Record();
  if (r == nullptr) return false;
  const ini::Section s(IniPath(), kVoiceSection);
  // A repeated load replaces the items instead of appending seven more.
  r->items.clear();
  for (const BuiltInEvent& event : kEvents) {
    VoiceItem item;
    item.eventId = event.id;
    SetField(item.eventName, event.name);
    SetField(item.defaultFile, event.defaultFile);
    r->items.push_back(item);
  }
  r->voiceType = s.Int("VoiceType", 0);
  for (VoiceItem& item : r->items) {
    const std::string path = s.Text(MediaKey(item.eventId), 259);
    SetField(item.soundFile,
             path.empty() ? platform::ProgramFolder() + "/Res/" + std::string(FieldText(item.defaultFile)) : path);
  }
  return true;
}

bool VoiceArea::Save() {
  const VoiceSettings* r = Record();
  if (r == nullptr) return false;
  const ini::Section s(IniPath(), kVoiceSection);
  s.WriteInt("VoiceType", r->voiceType);
  for (const VoiceItem& item : r->items) s.WriteText(MediaKey(item.eventId), FieldText(item.soundFile));
  return true;
}

bool VoiceArea::ToPage() { return Show(Page(), Record()); }
bool VoiceArea::FromPage() { return Read(Page(), Record()); }

}  // namespace shell
