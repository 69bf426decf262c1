#include "ui/colours_fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <array>
#include <initializer_list>

#include "ui/gbk_text.h"

namespace ui {
namespace {

struct FaceRow {
  std::string_view face;  // as the windows name it (GBK)
  FontPitch pitch;
  std::array<const char*, 4> installed;  // in order of preference
};

// CJK faces carry the Chinese texts; "Tahoma" is a Latin sans face.
const FaceRow kFaces[] = {
    {"宋体", FontPitch::kVariable, {"SimSun", "WenQuanYi Zen Hei", "Noto Sans CJK SC", "AR PL UMing CN"}},
    {"宋体", FontPitch::kFixed, {"NSimSun", "WenQuanYi Zen Hei Mono", "Noto Sans Mono CJK SC", "DejaVu Sans Mono"}},
    {"Tahoma", FontPitch::kVariable, {"Tahoma", "DejaVu Sans", "Liberation Sans", "WenQuanYi Zen Hei"}},
    {"Tahoma", FontPitch::kFixed, {"DejaVu Sans Mono", "Liberation Mono", "WenQuanYi Zen Hei Mono", "Monospace"}},
};

}  // namespace

QColor ColourFromRef(std::uint32_t value) {
  if (value == kDefaultColour) return {};
  return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                static_cast<int>((value >> 16) & 0xFF));
}

std::uint32_t RefFromColour(const QColor& colour) {
  if (!colour.isValid()) return kDefaultColour;
  return static_cast<std::uint32_t>(colour.red()) | (static_cast<std::uint32_t>(colour.green()) << 8) |
         (static_cast<std::uint32_t>(colour.blue()) << 16);
}

QString InstalledFace(std::string_view face, FontPitch pitch) {
  const QStringList families = QFontDatabase::families();
  for (const FaceRow& row : kFaces) {
    if (row.face != face || row.pitch != pitch) continue;
    for (const char* candidate : row.installed) {
      if (families.contains(QString::fromLatin1(candidate), Qt::CaseInsensitive)) return QString::fromLatin1(candidate);
    }
  }
  return pitch == FontPitch::kFixed ? QFontDatabase::systemFont(QFontDatabase::FixedFont).family()
                                    : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

QFont FontOf(std::string_view face, int pointSize, FontPitch pitch) {
  QFont font(InstalledFace(face, pitch), pointSize);
  if (pitch == FontPitch::kFixed) {
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
  }
  return font;
}

int TextWidth(const QFont& font, std::string_view text) { return QFontMetrics(font).horizontalAdvance(FromGbk(text)); }

}  // namespace ui
