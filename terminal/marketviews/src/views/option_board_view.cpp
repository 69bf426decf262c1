#include "marketviews/views/option_board_view.h"

#include <QCursor>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>

#include "client/shell_services.h"
#include "engine/operation_engine.h"
#include "engine/row_field.h"
#include "marketviews/views/market_view.h"
#include "ui/gbk_text.h"
#include "ui/grid_state.h"
#include "ui/header_layout.h"
#include "ui/order_form.h"
#include "ui/view_receivers.h"

namespace marketviews {
namespace {

constexpr const char* kShowDetailTip = "显示详细行情";
constexpr const char* kHideDetailTip = "隐藏详细行情";

QRect ToQRect(const Rect& rect) { return QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1)); }

}  // namespace

CMyBCGPComboBox::CMyBCGPComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
}

void CMyBCGPComboBox::showPopup() {
  if (dropDown_) dropDown_();
}

void CMyBCGPComboBox::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  if (focusLost_) focusLost_();
}

CTMarketOptionDlg::CTMarketOptionDlg(const ui::ViewContext& context, QWidget* parent)
    : QWidget(parent),
      context_(context),
      model_(std::make_unique<OptionBoard>(
          *context.quotes, [this](const OptionContract& option) { return IndexPrice(option); },
          [output = context.output](const std::string& text) {
            if (output) output(client::kNoticeLine, text);
          })),
      centre_(new QPushButton(ui::FromGbk("定位平值期权"), this)),
      toggle_(new QToolButton(this)),
      combo_(new CMyBCGPComboBox(this)),
      grid_(new CTMarketOptionGridCtrl(model_->Grid(), this)),
      detail_(new COptionDetailDlg(model_->Detail(), this)),
      picker_(new CContractTreeDlg(this)) {
  setObjectName("CTMarketOptionDlg");
  centre_->setObjectName(QString::number(kCentreButtonId));
  toggle_->setObjectName(QString::number(kDetailToggleId));
  combo_->setObjectName(QString::number(kSeriesComboId));
  toggle_->setToolTip(ui::FromGbk(kHideDetailTip));
  picker_->hide();
  if (context_.registry != nullptr) {
    if (const auto state = ui::LoadGridState(*context_.registry, kLayoutName, model_->Grid().Rows().ColumnCount())) {
      ui::ApplyHeaderLayout(*grid_->horizontalHeader(), *state);
    }
  }

  connect(centre_, &QPushButton::clicked, this, [this] { CentreOnAtTheMoney(); });
  connect(toggle_, &QToolButton::clicked, this, [this] { ToggleDetail(); });
  combo_->SetDropDownHandler([this] { OnDropDown(); });
  combo_->SetFocusLostHandler([this] { OnComboFocusLost(); });
  connect(combo_->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) { OnComboTextEdited(text); });
  connect(combo_->lineEdit(), &QLineEdit::returnPressed, this, [this] { OnEnter(); });
  picker_->SetChosenHandler([this](const std::string&) { ShowSelectedSeries(); });
  grid_->SetCellPressHandler([this](int row, int column) { OnCellPressed(row, column); });
  grid_->SetRowsShownHandler([this](int first, int last) { model_->OnRowsShown(first, last); });
  // Quotes change the shading of the rows and the panel's values.
  model_->SetRefreshHandler([this] { Refresh(); });

  if (context_.receivers != nullptr) {
    context_.receivers->AddContractsReadyListener([board = QPointer<CTMarketOptionDlg>(this)] {
      if (board) board->LoadOptionContracts();
    });
  }
  LoadOptionContracts();
}

CTMarketOptionDlg::~CTMarketOptionDlg() {
  if (context_.registry != nullptr) {
    ui::SaveGridState(*context_.registry, kLayoutName,
                      ui::CaptureHeaderLayout(*grid_->horizontalHeader(), model_->Grid().Rows()));
  }
  for (std::thread& lookup : lookups_) lookup.join();
  // The grid and the panel read the model: they go first.
  delete grid_;
  delete detail_;
}

void CTMarketOptionDlg::LoadOptionContracts() {
  if (model_->Loaded() || context_.engine == nullptr) return;
  if (!model_->LoadOptionContracts(OptionMap::FromEngine(*context_.engine),
                                   ContractCatalogue::FromEngine(*context_.engine))) {
    return;
  }
  picker_->SetCurrentText(model_->CurrentSeries());
  combo_->setEditText(ui::FromGbk(model_->CurrentSeries()));
  Refresh();
}

void CTMarketOptionDlg::ShowSelectedSeries() {
  combo_->setEditText(ui::FromGbk(picker_->CurrentText()));
  if (!model_->ShowSeries(picker_->CurrentText())) return;
  Refresh();
}

void CTMarketOptionDlg::CentreOnAtTheMoney() {
  if (model_->Grid().Contracts().empty()) return;
  grid_->CentreOnRow(model_->Reshade());
  Refresh();
}

void CTMarketOptionDlg::Refresh() {
  grid_->viewport()->update();
  detail_->update();
}

void CTMarketOptionDlg::OnCellPressed(int row, int column) {
  const ClickContext click{
      .priceLevel = OrderPriceLevel(context_), .role = context_.role, .customerNo = context_.customerNo};
  const std::optional<OptionClick> clicked = model_->Grid().Click(row, column, model_->Catalogue(), click);
  if (!clicked) return;
  grid_->SelectCells(row, clicked->firstColumn, clicked->lastColumn);
  if (clicked->code.empty()) return;
  model_->SelectOption(clicked->code);
  detail_->update();
  if (!clicked->order || context_.receivers == nullptr) return;
  if (ui::OrderForm* form = context_.receivers->Form()) form->FillFromOrderRecord(*clicked->order);
}

void CTMarketOptionDlg::ShowPicker() {
  picker_->FillTree(model_->Map());
  const QPoint below = combo_->mapToGlobal(QPoint(0, combo_->height()));
  picker_->setGeometry(below.x(), below.y(), combo_->width(), picker_->height());
  picker_->show();
}

void CTMarketOptionDlg::OnDropDown() {
  if (picker_->isVisible()) {
    picker_->hide();
    return;
  }
  ShowPicker();
  combo_->setEditText(ui::FromGbk(picker_->CurrentText()));
  picker_->SelectLeafContaining(picker_->CurrentText());
}

void CTMarketOptionDlg::OnComboTextEdited(const QString& text) {
  if (text.isEmpty()) {
    picker_->hide();
    combo_->setFocus();
    return;
  }
  if (!picker_->isVisible()) {
    ShowPicker();
    combo_->setFocus();
  }
  combo_->lineEdit()->end(false);
  picker_->SelectLeafContaining(ui::ToGbk(text));
}

// The click that took the focus may have gone to the picker: then it stays
// until it loses the focus itself.
void CTMarketOptionDlg::OnComboFocusLost() {
  if (!picker_->isVisible()) return;
  if (picker_->geometry().contains(QCursor::pos())) {
    picker_->SetKeep(true);
  } else {
    picker_->hide();
  }
}

void CTMarketOptionDlg::OnEnter() {
  const std::string chosen = picker_->SelectedLeaf();
  if (!chosen.empty() && chosen != picker_->CurrentText() && model_->Map().FindSeries(chosen) != nullptr) {
    picker_->SetCurrentText(chosen);
    ShowSelectedSeries();
    combo_->lineEdit()->selectAll();
  }
  picker_->hide();
}

void CTMarketOptionDlg::ToggleDetail() {
  detailHidden_ = !detailHidden_;
  toggle_->setToolTip(ui::FromGbk(detailHidden_ ? kShowDetailTip : kHideDetailTip));
  LayOut();
}

void CTMarketOptionDlg::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOut();
}

void CTMarketOptionDlg::LayOut() {
  const BoardLayout layout = LayOutBoard({0, 0, width(), height()}, detailHidden_);
  centre_->setGeometry(ToQRect(layout.centreButton));
  combo_->setGeometry(ToQRect(layout.seriesCombo));
  toggle_->setGeometry(ToQRect(layout.detailToggle));
  grid_->setGeometry(ToQRect(layout.grid));
  detail_->setVisible(!detailHidden_);
  if (!detailHidden_) detail_->setGeometry(ToQRect(layout.detail));
}

std::optional<double> CTMarketOptionDlg::IndexPrice(const OptionContract& option) {
  if (const auto known = indexPrices_.find(option.code); known != indexPrices_.end()) return known->second;
  if (context_.engine == nullptr || !asked_.insert(option.code).second) return std::nullopt;
  lookups_.emplace_back([this, engine = context_.engine, option, customer = context_.customerNo] {
    engine::OptionParamsRow params{};
    if (!engine->FindOptionParams(option.exchange, option.code, customer, params)) return;
    const std::optional<double> price = engine::ParseNumber(engine::Text(params.szUnderlyingPrice));
    if (!price) return;
    QMetaObject::invokeMethod(
        this,
        [this, code = option.code, price = *price] {
          indexPrices_[code] = price;
          model_->Reshade();
          Refresh();
        },
        Qt::QueuedConnection);
  });
  return std::nullopt;
}

}  // namespace marketviews
