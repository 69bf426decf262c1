// The export of a grid to a file the user picks: a save dialog (default
// name, the kind's extension and filter, a question before overwriting),
// then the file written with what the grid shows and the result told in a
// message box.
#pragma once

#include <string>
#include <string_view>

#include "ui/filter_grid.h"

namespace ui {

enum class ExportKind { kCsv, kHtml };

// The text of the file: what the grid shows, in its column order.
std::string ExportText(const CFilterGridCtrl& grid, ExportKind kind, std::string_view title);

// Asks for the file and writes it; nothing when the dialog is cancelled.
// The save dialog's object name is "exportFileDialog".
void ExportGrid(CFilterGridCtrl& grid, ExportKind kind, std::string_view defaultName);

}  // namespace ui
