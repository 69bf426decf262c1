// The views of the account: about (form 100, dock "关于Quentara"), the
// account status of a managed trading account (form 179, dock
// "帐号状态设置") and the allocation of money between managed trading
// accounts (form 178, "资金管理").
#pragma once

#include <QComboBox>

#include "gridctl/views/numeric_edits.h"
#include "tradeviews/views/query_form_view.h"

namespace tradeviews {

class CAboutBoxView : public CTQOtherQryBaseView {
 public:
  CAboutBoxView(QWidget* parent, const ui::ViewContext& context);

  // Fills the grid, once.
  void OnInitialUpdate() override;
  void InitGridParams() override;
  void InitColumns() override;
  // The columns move but do not sort.
  void InitGridStyle() override;
  bool DoQuery(backend::CxDataSet& result) override;
  void ShowQueryResult(const backend::CxDataSet& result) override;

 private:
  std::vector<std::pair<std::string, std::string>> pairs_;
};

class CTQCustStatusSet : public CTQOtherQryBaseView {
 public:
  CTQCustStatusSet(QWidget* parent, const ui::ViewContext& context);

  void OnInitialUpdate() override;
  // The statuses, and the managed accounts when there are two or more.
  void InitCombos() override;

 private:
  void SetStatus();

  QComboBox* accounts_;
  QComboBox* statuses_;
};

class CTQFundAllocate : public CTQOtherQryBaseView {
 public:
  CTQFundAllocate(QWidget* parent, const ui::ViewContext& context);

  void OnInitialUpdate() override;
  // Follows the fund table: 'f' reloads every account's row, any other
  // record rewrites its account's row.
  void OnTableChanged(const engine::TableChangeRecord& record) override;
  void InitCombos() override;
  void InitGridParams() override;
  void InitColumns() override;

 private:
  void Allocate();

  QComboBox* paying_;
  QComboBox* receiving_;
  gridctl::CTqEditPrice* amount_;
};

// The managed trading accounts the account combos offer: none unless there
// are two or more.
std::vector<std::string> AccountChoices();

}  // namespace tradeviews
