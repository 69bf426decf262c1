#include "ui/gbk_text.h"

#include <wx/strconv.h>

namespace ui {
namespace {

// GB18030 reads every GBK byte pair as GBK does and never fails on the
// few extra characters, so one converter serves both directions.
wxCSConv& GbkConverter() {
  static wxCSConv converter("GB18030");
  return converter;
}

bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

wxString FromGbk(std::string_view text) {
  if (IsAscii(text)) return wxString::FromAscii(text.data(), text.size());
  wxString whole(text.data(), GbkConverter(), text.size());
  if (!whole.empty()) return whole;
  // A broken pair: convert character by character, so one bad byte costs
  // one character only.
  wxString result;
  for (std::size_t at = 0; at < text.size();) {
    const unsigned char byte = static_cast<unsigned char>(text[at]);
    const std::size_t length = (byte >= 0x81 && byte <= 0xFE && at + 1 < text.size()) ? 2 : 1;
    const wxString piece(text.data() + at, GbkConverter(), length);
    if (byte < 0x80) {
      result += static_cast<wxChar>(byte);
    } else {
      result += piece.empty() ? wxString(wxUniChar(0xFFFD)) : piece;
    }
    at += length;
  }
  return result;
}

std::string ToGbk(const wxString& text) {
  const wxCharBuffer bytes = text.mb_str(GbkConverter());
  if (bytes.length() > 0 || text.empty()) return std::string(bytes.data(), bytes.length());
  std::string result;
  for (const wxUniChar c : text) {
    const wxCharBuffer one = wxString(c).mb_str(GbkConverter());
    result += one.length() > 0 ? std::string(one.data(), one.length()) : std::string("?");
  }
  return result;
}

}  // namespace ui
