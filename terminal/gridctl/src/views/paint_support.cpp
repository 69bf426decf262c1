#include "gridctl/views/paint_support.h"

#include <QFontMetrics>
#include <map>
#include <string>

#include "ui/colours_fonts.h"

namespace gridctl {

QFont ToQFont(const FontSpec& font) {
  // Painters ask for fonts all the time; the installed faces do not change.
  static std::map<std::string, QString> faces;
  auto face = faces.find(font.face);
  if (face == faces.end()) face = faces.emplace(font.face, ui::InstalledFace(font.face)).first;
  QFont qfont(face->second);
  qfont.setPixelSize(font.height > 0 ? font.height : 12);
  qfont.setWeight(font.weight >= 700 ? QFont::Bold : QFont::Normal);
  return qfont;
}

QColor ToQColor(std::uint32_t colour, std::uint32_t fallback) {
  return ui::ColourFromRef(colour == kDefaultColour ? fallback : colour);
}

Size MeasureText(std::string_view text, const QFont& font) {
  return {ui::TextWidth(font, text), QFontMetrics(font).height()};
}

TextMeasure ToolkitTextMeasure() {
  return [](std::string_view text, const FontSpec& font) { return MeasureText(text, ToQFont(font)); };
}

}  // namespace gridctl
