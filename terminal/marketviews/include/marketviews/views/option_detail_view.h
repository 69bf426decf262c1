// COptionDetailDlg: the painted panel of one option at the right of the
// option quote board: a band with the option's code and side, then its
// sixteen values, two to a row with the volume and the turnover each on a
// row of their own.
#pragma once

#include <QWidget>

#include "marketviews/model/option_detail.h"

namespace marketviews {

class COptionDetailDlg final : public QWidget {
 public:
  // The detail outlives the panel.
  explicit COptionDetailDlg(const OptionDetail& detail, QWidget* parent = nullptr);

  static constexpr int kRowHeight = 19;
  static constexpr int kHeaderHeight = 24;

  // Where field `index` shows its value, and its label left of it.
  QRect ValueRect(int index) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int LabelWidth() const;

  const OptionDetail& detail_;
};

}  // namespace marketviews
