#include "gridctl/views/list_grids.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace gridctl {
namespace {

// What both list grids share: no header and no visible scroll bars, white
// rows of 20 px without alternation, the fixed columns' lines like the
// others, a one-pixel border.
void SetListLook(CxGrid& grid, QWidget* parent, const QRect& rect, int controlId, int columns) {
  grid.setParent(parent);
  grid.setGeometry(rect);
  grid.setFrameShape(QFrame::Box);
  grid.setLineWidth(1);
  grid.SetControlId(controlId);
  GridModel& model = grid.Model();
  GridSettings& settings = model.Settings();
  settings.scrollBarsShown = false;
  settings.fixedColumns = columns;
  settings.headerHeight = 0;
  settings.alternateRows = false;
  settings.rowHeight = 20;
  settings.evenRowColour = 0xFFFFFF;
  settings.oddRowColour = 0xFFFFFF;
  settings.fixedLineColour = settings.gridLineColour;
  model.SetColumnCapacity(columns);
  grid.show();
}

}  // namespace

CxContractGrid::CxContractGrid(QWidget* parent) : CxGrid(parent) {}

bool CxContractGrid::CreateGrid(QWidget* parent, const QRect& rect, bool singleColumn) {
  if (parent == nullptr) return false;
  singleColumn_ = singleColumn;
  SetListLook(*this, parent, rect, kControlId, singleColumn ? 1 : 2);
  Model().Settings().textColour = 0x808080;
  if (singleColumn) {
    Model().AddColumn(80, 150);
  } else {
    Model().AddColumn(50, 60);
    Model().AddColumn(50, 90);
  }
  return true;
}

void CxContractGrid::SetContracts(backend::CxDataSet& contracts) {
  GridModel& model = Model();
  model.ClearRows();
  SortContractRows(contracts);
  for (const engine::ReducedContractRow& contract : ContractRowsOf(contracts)) {
    const int row = model.AddRow();
    model.SetCellText(row, model.GetFieldOfColumn(0), FieldText(contract.szContractCode), CellKind::kText);
    if (!singleColumn_) {
      model.SetCellText(row, model.GetFieldOfColumn(1), FieldText(contract.szContractName), CellKind::kText);
    }
  }
  GridSettings& settings = model.Settings();
  settings.alternateRows = false;
  settings.textColour = 0x000000;
  settings.oddRowColour = 0xEEEEE2;
  viewport()->update();
}

std::optional<int> CxContractGrid::FindByPrefix(std::string_view typed) const {
  const GridModel& model = Model();
  const std::int32_t field = model.GetFieldOfColumn(0);
  for (int row = 0; row < model.GetRowCount(); ++row) {
    if (CodeStartsWith(model.GetCellText(row, field), typed)) return row;
  }
  return std::nullopt;
}

bool CxContractGrid::SelectByPrefix(std::string_view typed) {
  GridModel& model = Model();
  const std::optional<int> found = FindByPrefix(typed);
  if (!found) {
    model.SetTopRow(0);
    return false;
  }
  model.SetTopRow(*found);
  model.SetCurrentRow(*found);
  viewport()->update();
  return true;
}

std::optional<std::string> CxContractGrid::CompleteCode(std::string_view typed) const {
  const std::optional<int> found = FindByPrefix(typed);
  if (!found) return std::nullopt;
  return std::string(Model().GetCellText(*found, Model().GetFieldOfColumn(0)));
}

std::string CxContractGrid::GetCurrentCode() const {
  const GridModel& model = Model();
  return std::string(model.GetCellText(model.CurrentRow(), model.GetFieldOfColumn(0)));
}

void CxContractGrid::mousePressEvent(QMouseEvent* event) {
  CxGrid::mousePressEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const Hit hit = HitAt(event->position().toPoint());
  if (hit.OnCell()) {
    CxNotifyOwner(kGridEventKind, hit.row, Model().GetFieldOfColumn(hit.column), notify::kCellPressed, 0);
  }
}

CxVarietyGrid::CxVarietyGrid(QWidget* parent) : CxGrid(parent) {}

bool CxVarietyGrid::CreateGrid(QWidget* parent, const QRect& rect, bool singleColumn) {
  if (parent == nullptr) return false;
  singleColumn_ = singleColumn;
  SetListLook(*this, parent, rect, kControlId, singleColumn ? 1 : 3);
  GridSettings& settings = Model().Settings();
  settings.selectRowOnClick = false;
  settings.textColour = 0x000000;
  if (singleColumn) {
    Model().AddColumn(80, 150);
  } else {
    for (int column = 0; column < 3; ++column) Model().AddColumn(30, 50);
  }
  BuildVarietyImages(singleColumn ? 146 : 46);
  return true;
}

void CxVarietyGrid::AddVariety(std::string_view code, std::string_view name) { varieties_.AddVariety(code, name); }

bool CxVarietyGrid::GetVarietyAt(int column, int row, std::string& code) const {
  const int index = VarietyList::IndexOf(column, row, !singleColumn_);
  if (column < 0 || row < 0 || index >= varieties_.Count()) return false;
  code = varieties_.Code(index);
  return true;
}

void CxVarietyGrid::BuildVarietyImages(int imageWidth) {
  constexpr int kHeight = 16;
  const int count = varieties_.Count();
  const FontSpec font{"宋体", 12};
  CxBitmap strip(imageWidth * count, kHeight);
  if (count > 0) {
    QPainter painter(&strip.Image());
    painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    const int size = static_cast<int>(std::lround(imageWidth * std::sqrt(2.0)));
    for (int index = 0; index < count; ++index) {
      CxBitmap image(imageWidth, kHeight);
      image.Fill(0x6E5000);
      // A glow from above the button's top centre, fading at its bottom.
      image.RadialHighlight(imageWidth / 2, kHeight - size / 2, size / 2.0);
      image.DrawFrame({0, 0, imageWidth, kHeight});
      image.DrawTextTransparent(varieties_.Name(index), font, 0xF8F8F8, {0, 0, imageWidth, kHeight},
                                Qt::AlignCenter | Qt::TextSingleLine);
      painter.drawImage(QPoint(index * imageWidth, 0), image.Image());
    }
  }
  CxImageStrip images;
  images.SetImages(strip.Image(), QImage(), imageWidth, count);
  SetImageStrip(images);
  GridModel& model = Model();
  const int columns = singleColumn_ ? 1 : 3;
  int row = -1;
  for (int index = 0; index < count; ++index) {
    if (index % columns == 0) row = model.AddRow();
    const std::int32_t field = model.GetFieldOfColumn(index % columns);
    model.SetCellText(row, field, "", CellKind::kImage);
    model.SetCellValue(row, field, index);
  }
}

}  // namespace gridctl
