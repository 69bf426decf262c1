#include "shell/views/startup_dialogs.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "ui/gbk_text.h"

namespace shell {

CustomerInfoDialog::CustomerInfoDialog(wxWindow* parent, const CustomerInformation& texts)
    : ui::BaseDialog(parent, 159, ui::FromGbk("登录信息及重要通知")) {
  SetName("CTQCustInformation");
  static constexpr const char* kLabels[] = {"客户姓名",     "客 户 号",     "风险级别",     "风 险 度",
                                            "上次登录地址", "上次登录日期", "上次登录时间", "上次登录方式"};
  auto* grid = new wxFlexGridSizer(2, 6, 10);
  for (std::size_t i = 0; i < std::size(kLabels); ++i) {
    grid->Add(new wxStaticText(this, wxID_ANY, ui::FromGbk(kLabels[i])));
    grid->Add(new wxStaticText(this, 1175 + static_cast<int>(i), ui::FromGbk(texts[i])));
  }
  auto* notices = new wxTextCtrl(this, 1183, ui::FromGbk(texts[8]), wxDefaultPosition, wxSize(360, 120),
                                 wxTE_MULTILINE | wxTE_READONLY);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(grid, 0, wxALL, 12);
  sizer->Add(notices, 1, wxEXPAND | wxLEFT | wxRIGHT, 12);
  sizer->Add(new wxButton(this, wxID_OK, ui::FromGbk("确定")), 0, wxALIGN_RIGHT | wxALL, 12);
  SetSizerAndFit(sizer);
}

StatementDialog::StatementDialog(wxWindow* parent, const std::vector<std::string>& lines)
    : ui::BaseDialog(parent, 158, ui::FromGbk("结算单确认"), wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
  SetName("CTQLoginReport");
  auto* list = new wxListCtrl(this, 1173, wxDefaultPosition, wxSize(520, 360), wxLC_REPORT | wxLC_SINGLE_SEL);
  list->AppendColumn(ui::FromGbk("结算单"), wxLIST_FORMAT_LEFT, 500);
  for (const std::string& line : lines) list->InsertItem(list->GetItemCount(), ui::FromGbk(line));
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(new wxButton(this, wxID_OK, ui::FromGbk("确认")));
  buttons->Add(new wxButton(this, wxID_CANCEL, ui::FromGbk("取消")), 0, wxLEFT, 8);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(list, 1, wxEXPAND | wxALL, 8);
  sizer->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 8);
  SetSizerAndFit(sizer);
}

}  // namespace shell
