#pragma once

#include <QString>

namespace kestrilo::gui {

/// Sets the program-wide application title: the product name, shortened from
/// the end a whole word at a time while it is longer than 40 characters.
/// Returns the title.
QString SetApplicationTitle(const QString& product_name = "Kestrilo");

/// The caption of every message box and prompt without a title of its own.
/// "Kestrilo" until SetApplicationTitle is called.
QString ApplicationTitle();

}  // namespace kestrilo::gui
