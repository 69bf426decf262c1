#include "ui/gbk_text.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace ui {
namespace {

// The length of the text without a character cut off at its end: GBK and
// GB18030 characters are one byte below 0x80, four when the second byte is a
// digit, else two.
std::size_t CompleteLength(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    const unsigned char byte = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    if (byte >= 0x80) {
      const bool fourBytes = at + 1 < text.size() && text[at + 1] >= '0' && text[at + 1] <= '9';
      length = fourBytes ? 4 : 2;
    }
    if (at + length > text.size()) return at;
    at += length;
  }
  return at;
}

}  // namespace

QString FromGbk(std::string_view text) {
  // Grids show many texts of digits and letters only: they need no decoder.
  if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  }
  const std::size_t complete = CompleteLength(text);
  // GB18030 reads every GBK byte pair as GBK does, and the few extra
  // characters too. A stateless decoder carries nothing from one call to
  // the next, so each thread keeps one.
  thread_local QStringDecoder decoder("GB18030", QStringConverter::Flag::Stateless);
  QString result = decoder.decode(QByteArrayView(text.data(), static_cast<qsizetype>(complete)));
  if (complete < text.size()) result += QChar(QChar::ReplacementCharacter);
  return result;
}

std::string ToGbk(const QString& text) {
  QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
  const QByteArray bytes = encoder.encode(text);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace ui
