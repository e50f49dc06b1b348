#pragma once
// Text between the domain code (UTF-8 std::string) and Qt (QString), and the look-up of
// interface texts.

#include <QString>

#include <string>
#include <string_view>

#include "settings/language_table.h"

namespace kest::ui {

inline QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }
inline std::string S(const QString& text) { return text.toStdString(); }

// GetLangString of the key, as a QString.
inline QString Tr(std::string_view key) { return Q(GetLangString(key)); }

}  // namespace kest::ui
