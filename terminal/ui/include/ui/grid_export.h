// Export of what a grid shows, its shown rows in shown order and the given
// columns in the given order, as the texts of a CSV or an HTML file, and
// the writing of such a file. Texts stay GBK. No toolkit.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/grid_model.h"

namespace ui {

// Each line is its cells each followed by ",", then a tab and "\n": the
// captions first, then one line per row. A cell holding a double quote, a
// comma or a line break is put in double quotes with its quotes doubled.
std::string CsvText(const GridModel& grid, const std::vector<int>& columns);

// A page of one table: the captions as header cells, then one row per
// shown row, each cell aligned as its column; `title` names the page.
std::string HtmlText(const GridModel& grid, const std::vector<int>& columns, std::string_view title);

enum class ExportResult { kSaved, kInUse, kNotWritten };

// Writes the text to the file, each "\n" as a carriage return and a line
// feed. An existing file that cannot be opened for writing is left as it
// is (kInUse); a file that cannot be created or written is kNotWritten.
ExportResult WriteExportFile(const std::string& path, std::string_view text);

// The message that tells the user the result, with the path.
std::string ExportResultText(ExportResult result, std::string_view path);

}  // namespace ui
