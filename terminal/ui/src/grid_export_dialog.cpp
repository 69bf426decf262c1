#include "ui/grid_export_dialog.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QFile>
#include <QFileDialog>

#include "ui/gbk_text.h"
#include "ui/grid_export.h"
#include "ui/message_box.h"

namespace ui {
namespace {

// Names a file's type by its extension alone: the toolkit's own provider
// reads every listed file's contents to tell its type, which stalls the
// dialog in a folder of many or large files.
class ExtensionTypes final : public QAbstractFileIconProvider {
 public:
  QString type(const QFileInfo& info) const override {
    return info.isDir() ? QStringLiteral("Folder") : info.suffix().toUpper() + QStringLiteral(" File");
  }
};

}  // namespace

std::string ExportText(const CFilterGridCtrl& grid, ExportKind kind, std::string_view title) {
  return kind == ExportKind::kCsv ? CsvText(grid.Rows(), grid.ShownColumns())
                                  : HtmlText(grid.Rows(), grid.ShownColumns(), title);
}

void ExportGrid(CFilterGridCtrl& grid, ExportKind kind, std::string_view defaultName) {
  const QString extension = kind == ExportKind::kCsv ? "csv" : "html";
  ExtensionTypes types;
  QFileDialog dialog(&grid);
  dialog.setObjectName("exportFileDialog");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setIconProvider(&types);
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
