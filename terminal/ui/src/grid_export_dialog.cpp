#include "ui/grid_export_dialog.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>

#include "ui/gbk_text.h"
#include "ui/grid_export.h"
#include "ui/message_box.h"

namespace ui {

std::string ExportText(const CFilterGridCtrl& grid, ExportKind kind, std::string_view title) {
  return kind == ExportKind::kCsv ? CsvText(grid.Rows(), grid.ShownColumns())
                                  : HtmlText(grid.Rows(), grid.ShownColumns(), title);
}

void ExportGrid(CFilterGridCtrl& grid, ExportKind kind, std::string_view defaultName) {
  const QString extension = kind == ExportKind::kCsv ? "csv" : "html";
  QFileDialog dialog(&grid);
  dialog.setObjectName("exportFileDialog");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(extension);
  dialog.setNameFilter("*." + extension);
  dialog.selectFile(FromGbk(defaultName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().front();
  const ExportResult result =
      WriteExportFile(QFile::encodeName(path).toStdString(), ExportText(grid, kind, defaultName));
  ShowMessageBox(&grid, ExportResultText(result, ToGbk(path)), ToGbk(QApplication::applicationName()));
}

}  // namespace ui
