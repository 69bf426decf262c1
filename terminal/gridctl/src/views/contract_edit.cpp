#include "gridctl/views/contract_edit.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QKeyEvent>

#include "gridctl/views/paint_support.h"
#include "ui/gbk_text.h"

namespace gridctl {
namespace {

constexpr Qt::WindowFlags kPanelFlags =
    Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;

// The image width of the variety buttons, three to a row or one.
int VarietyImageWidth(bool wideLayout) { return wideLayout ? 146 : 46; }

// Keys that edit the text the usual way and so change what is filtered.
bool EditsText(const QKeyEvent& event) {
  return event.matches(QKeySequence::Paste) || event.matches(QKeySequence::Cut) || event.matches(QKeySequence::Undo) ||
         event.matches(QKeySequence::Redo) || event.key() == Qt::Key_Backspace ||
         (!event.text().isEmpty() && event.text().at(0).isPrint());
}

}  // namespace

CPanelGrid::CPanelGrid(CTqContractEdit* edit, CxGrid* grid) : QWidget(edit, kPanelFlags), edit_(edit), grid_(grid) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  resize(178, 110);
}

bool CPanelGrid::event(QEvent* event) {
  if (event->type() == NotifyEvent::EventType()) {
    const CxGridNotify& record = static_cast<NotifyEvent*>(event)->Record();
    if (record.sender == grid_ && record.code == notify::kCellPressed && edit_) SendNotify(edit_, record);
    return true;
  }
  return QWidget::event(event);
}

void CPanelGrid::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (grid_ != nullptr) grid_->setGeometry(rect().adjusted(1, 1, -1, -1));
}

CPanelGridContract::CPanelGridContract(CTqContractEdit* edit)
    : CPanelGrid(edit, new CxContractGrid), contracts_(static_cast<CxContractGrid*>(Grid())) {
  contracts_->CreateGrid(this, rect().adjusted(1, 1, -1, -1), false);
}

CPanelGridVariety::CPanelGridVariety(CTqContractEdit* edit)
    : CPanelGrid(edit, new CxVarietyGrid), varieties_(static_cast<CxVarietyGrid*>(Grid())) {
  varieties_->CreateGrid(this, rect().adjusted(1, 1, -1, -1), false);
}

CTqContractEdit::CTqContractEdit(QWidget* parent) : QLineEdit(parent) {}

CTqContractEdit::~CTqContractEdit() {
  // The panels are windows of their own; they go with the edit.
  delete varietyPanel_;
  delete contractPanel_;
}

bool CTqContractEdit::CreateDropDowns() {
  state_ = PanelState::kNone;
  wideLayout_ = false;
  if (varietyPanel_ == nullptr) varietyPanel_ = new CPanelGridVariety(this);
  if (contractPanel_ == nullptr) contractPanel_ = new CPanelGridContract(this);
  ShowDropDowns(0);
  return true;
}

Rect CTqContractEdit::ScreenRect() const { return ToRect(QRect(mapToGlobal(QPoint(0, 0)), size())); }

void CTqContractEdit::MoveDropDowns() {
  const QRect place = ToQRect(DropDownRect(ScreenRect()));
  for (QWidget* panel : {static_cast<QWidget*>(varietyPanel_), static_cast<QWidget*>(contractPanel_)}) {
    if (panel == nullptr) continue;
    panel->setGeometry(place);
    panel->update();
  }
}

void CTqContractEdit::SetContractData(const backend::CxDataSet& contracts) {
  contracts_ = backend::CxDataSet::CloneBlock(contracts.View());
  if (varietyPanel_ == nullptr || contractPanel_ == nullptr) return;
  CxVarietyGrid* varieties = varietyPanel_->Varieties();
  varieties->ClearVarieties();
  varieties->Model().ClearRows();
  for (const engine::ReducedContractRow& contract : ContractRowsOf(contracts_)) {
    varieties->AddVariety(FieldText(contract.szVarietyCode), FieldText(contract.szVarietyName));
  }
  varieties->BuildVarietyImages(VarietyImageWidth(wideLayout_));
  contractPanel_->Contracts()->SetContracts(contracts_);
}

bool CTqContractEdit::LoadContracts(ContractListSource& source) {
  backend::CxDataSet rows;
  if (!source.QueryContracts(rows)) return false;
  SetContractData(rows);
  return true;
}

bool CTqContractEdit::ShowDropDowns(int kind) {
  if (varietyPanel_ == nullptr || contractPanel_ == nullptr) return false;
  const bool inZone = ToQRect(DropDownZone(ScreenRect())).contains(QCursor::pos());
  const PanelChange change = gridctl::ShowDropDowns(kind, inZone);
  varietyPanel_->setVisible(change.varietyShown);
  contractPanel_->setVisible(change.contractShown);
  if (change.varietyShown) varietyPanel_->raise();
  if (change.contractShown) contractPanel_->raise();
  state_ = change.state;
  if (change.focusEdit) {
    setFocus(Qt::OtherFocusReason);
    deselect();
    end(false);
  }
  return true;
}

bool CTqContractEdit::CompleteFromGrid() {
  const std::string typed = ui::ToGbk(text());
  const bool contractShown = contractPanel_ != nullptr && contractPanel_->isVisible();
  CxContractGrid* contracts = contractPanel_ != nullptr ? contractPanel_->Contracts() : nullptr;
  const std::optional<std::string> code =
      CompletedCode(typed, contractShown, contracts != nullptr ? contracts->GetCurrentCode() : std::string(),
                    contracts != nullptr ? contracts->CompleteCode(typed) : std::nullopt);
  if (!code) {
    selectAll();
    return false;
  }
  SetTextAtEnd(*code);
  return true;
}

void CTqContractEdit::SetTextAtEnd(const std::string& code) {
  setText(ui::FromGbk(code));
  end(false);
}

void CTqContractEdit::Filter() {
  if (contractPanel_ == nullptr) return;
  const bool found = contractPanel_->Contracts()->SelectByPrefix(ui::ToGbk(text()));
  ShowDropDowns(found ? static_cast<int>(PanelState::kContract) : static_cast<int>(PanelState::kNone));
}

void CTqContractEdit::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab || key == Qt::Key_Backtab ||
      key == Qt::Key_Escape) {
    event->ignore();  // the panel the edit sits in acts on these
    return;
  }
  if ((key == Qt::Key_Down || key == Qt::Key_Up) && contractPanel_ != nullptr && contractPanel_->isVisible()) {
    CxContractGrid* contracts = contractPanel_->Contracts();
    QKeyEvent arrow(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(contracts, &arrow);
    SetTextAtEnd(contracts->GetCurrentCode());
    event->accept();
    return;
  }
  if (key == Qt::Key_Delete || EditsText(*event)) {
    QLineEdit::keyPressEvent(event);
    Filter();
    return;
  }
  // Every other key is dropped: the caret stays at the end of the text.
  event->accept();
}

bool CTqContractEdit::event(QEvent* event) {
  if (event->type() == NotifyEvent::EventType()) {
    const CxGridNotify& record = static_cast<NotifyEvent*>(event)->Record();
    if (record.code == notify::kCellPressed && varietyPanel_ != nullptr &&
        record.sender == varietyPanel_->Varieties()) {
      OnVarietyPressed(record);
      return true;
    }
    if (record.code == notify::kCellPressed && contractPanel_ != nullptr &&
        record.sender == contractPanel_->Contracts()) {
      OnContractPressed();
      return true;
    }
  }
  return QLineEdit::event(event);
}

void CTqContractEdit::OnVarietyPressed(const CxGridNotify& record) {
  CxVarietyGrid* varieties = varietyPanel_->Varieties();
  std::string code;
  if (!varieties->GetVarietyAt(varieties->Model().GetColumnOfField(record.column), record.row, code)) code.clear();
  SetTextAtEnd(code);
  contractPanel_->Contracts()->SelectByPrefix(code);
  ShowDropDowns(static_cast<int>(PanelState::kContract));
}

void CTqContractEdit::OnContractPressed() {
  SetTextAtEnd(contractPanel_->Contracts()->GetCurrentCode());
  ShowDropDowns(static_cast<int>(PanelState::kNone));
  if (QWidget* owner = parentWidget()) {
    QCoreApplication::postEvent(owner, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
  }
}

void CTqContractEdit::contextMenuEvent(QContextMenuEvent* event) { event->accept(); }

}  // namespace gridctl
