#include "ui/grid_export.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace ui {
namespace {

// Byte tests are safe on GBK text: the second byte of a character is never
// below 0x40, so never a quote, a comma, a line break, "&", "<" or ">".
void AppendCsvCell(std::string& text, std::string_view cell) {
  if (cell.find_first_of("\",\r\n") == std::string_view::npos) {
    text.append(cell);
  } else {
    text.push_back('"');
    for (const char c : cell) {
      if (c == '"') text.push_back('"');
      text.push_back(c);
    }
    text.push_back('"');
  }
  text.push_back(',');
}

void AppendHtmlText(std::string& text, std::string_view cell) {
  for (const char c : cell) {
    switch (c) {
      case '&': text.append("&amp;"); break;
      case '<': text.append("&lt;"); break;
      case '>': text.append("&gt;"); break;
      case '"': text.append("&quot;"); break;
      default: text.push_back(c);
    }
  }
}

const char* AlignOf(int alignment) {
  switch (alignment) {
    case kAlignLeft: return "left";
    case kAlignCentre: return "center";
    default: return "right";
  }
}

std::string WithPath(const char* format, std::string_view path) {
  std::string text(format);
  text.replace(text.find("%s"), 2, path);
  return text;
}

}  // namespace

std::string CsvText(const GridModel& grid, const std::vector<int>& columns) {
  std::string text;
  for (const int column : columns) AppendCsvCell(text, grid.Column(column).caption);
  text.append("\t\n");
  for (int position = 0; position < grid.ShownRowCount(); ++position) {
    for (const int column : columns) AppendCsvCell(text, grid.ShownText(position, column));
    text.append("\t\n");
  }
  return text;
}

std::string HtmlText(const GridModel& grid, const std::vector<int>& columns, std::string_view title) {
  std::string text = "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=GBK\">\n<title>";
  AppendHtmlText(text, title);
  text.append("</title>\n</head>\n<body>\n<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">\n<tr>");
  for (const int column : columns) {
    text.append("<th>");
    AppendHtmlText(text, grid.Column(column).caption);
    text.append("</th>");
  }
  text.append("</tr>\n");
  for (int position = 0; position < grid.ShownRowCount(); ++position) {
    text.append("<tr>");
    for (const int column : columns) {
      text.append("<td align=\"").append(AlignOf(grid.Column(column).alignment)).append("\">");
      AppendHtmlText(text, grid.ShownText(position, column));
      text.append("</td>");
    }
    text.append("</tr>\n");
  }
  text.append("</table>\n</body>\n</html>\n");
  return text;
}

ExportResult WriteExportFile(const std::string& path, std::string_view text) {
  // A file that is there but cannot be written is left untouched.
  if (::access(path.c_str(), F_OK) == 0) {
    const int probe = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (probe < 0) return ExportResult::kInUse;
    ::close(probe);
  }
  std::string lines;
  lines.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\n') lines.push_back('\r');
    lines.push_back(c);
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return ExportResult::kNotWritten;
  const bool written = std::fwrite(lines.data(), 1, lines.size(), file) == lines.size();
  // Closing flushes what is buffered, and may fail as a write does.
  const bool closed = std::fclose(file) == 0;
  return written && closed ? ExportResult::kSaved : ExportResult::kNotWritten;
}

std::string ExportResultText(ExportResult result, std::string_view path) {
  switch (result) {
    case ExportResult::kSaved: return WithPath("保存文件%s成功！", path);
    case ExportResult::kInUse: return WithPath("文件%s正在使用中，请关闭后再操作", path);
    case ExportResult::kNotWritten: return WithPath("保存文件%s失败！", path);
  }
  return {};
}

}  // namespace ui
