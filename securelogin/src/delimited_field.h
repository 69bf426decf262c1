// Separated-field texts such as "R|mac|1|5001|...": fields counted from 0,
// each ended by the separator or by the end of the text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace gatelin {

// Field n of `text`; nullopt when the text has fewer fields.
std::optional<std::string_view> DelimitedField(std::string_view text, int n, char separator = '|');
// Field n, or an empty text when it is missing.
std::string FieldOrEmpty(std::string_view text, int n, char separator = '|');

// Replaces field n of `text` with `value`. When the text has fewer fields,
// empty fields are added until field n exists, and the value is appended
// followed by a separator.
void SetDelimitedField(std::string& text, int n, std::string_view value, char separator = '|');

// Field n replaced only when it exists.
void ReplaceExistingField(std::string& text, int n, std::string_view value, char separator = '|');

}  // namespace gatelin
