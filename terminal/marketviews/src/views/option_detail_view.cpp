#include "marketviews/views/option_detail_view.h"

#include <QPainter>

#include "ui/colours_fonts.h"
#include "ui/gbk_text.h"

namespace marketviews {
namespace {

// Fields 0 to 13 stand two to a row; the last two a row each.
constexpr int kPairedFields = 14;
constexpr int kLabelGap = 2;
constexpr int kLeftMargin = 5;
constexpr int kRightMargin = 6;
const QColor kHeaderBand(0xE8, 0xE8, 0xE8);
const QColor kFrame(0x80, 0x80, 0x80);

}  // namespace

COptionDetailDlg::COptionDetailDlg(const OptionDetail& detail, QWidget* parent) : QWidget(parent), detail_(detail) {
  setObjectName("COptionDetailDlg");
  setAttribute(Qt::WA_OpaquePaintEvent);
}

int COptionDetailDlg::LabelWidth() const { return 3 * ui::TextWidth(font(), "价"); }

QRect COptionDetailDlg::ValueRect(int index) const {
  const int top = kHeaderHeight;
  const int middle = width() / 2;
  const int label = LabelWidth() + kLabelGap;
  if (index < kPairedFields) {
    const int row = index / 2;
    const int left = index % 2 == 0 ? label : middle + label;
    const int right = index % 2 == 0 ? middle - kLeftMargin : width() - kRightMargin;
    return QRect(QPoint(left, top + row * kRowHeight), QPoint(right, top + (row + 1) * kRowHeight - 1));
  }
  const int row = kPairedFields / 2 + index - kPairedFields;
  return QRect(QPoint(label, top + row * kRowHeight), QPoint(width() - kRightMargin, top + (row + 1) * kRowHeight - 1));
}

// Drawn off-screen first (the toolkit's double buffer), then copied.
void COptionDetailDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.setPen(kFrame);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  const QRect band(1, 1, width() - 2, kHeaderHeight - 2);
  painter.fillRect(band, kHeaderBand);
  painter.setPen(Qt::black);
  painter.drawText(band, Qt::AlignCenter, ui::FromGbk(detail_.Contract() + std::string(detail_.SideText())));

  const int labelWidth = LabelWidth();
  for (int index = 0; index < OptionDetail::kFieldCount; ++index) {
    const DetailField& entry = detail_.Fields()[static_cast<std::size_t>(index)];
    const QRect value = ValueRect(index);
    const QRect label(value.left() - labelWidth - kLabelGap, value.top(), labelWidth, value.height());
    painter.setPen(Qt::black);
    painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, ui::FromGbk(entry.label));
    painter.setPen(ui::ColourFromRef(entry.field.Colour()));
    painter.drawText(value, Qt::AlignRight | Qt::AlignVCenter, ui::FromGbk(entry.field.Text()));
  }
}

}  // namespace marketviews
