// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

namespace kestrilo::gui {

/// Sets the program-wide application title: `product_name`, shortened from
/// the end a whole word at a time while it is longer than 40 characters.
/// Returns the title.
QString SetApplicationTitle(const QString& product_name);
/// The same for the product name of the texts table.
QString SetApplicationTitle();

/// The caption of every message box and prompt without a title of its own.
/// The product name until SetApplicationTitle is called.
QString ApplicationTitle();

}  // namespace kestrilo::gui
