// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

namespace kestrilo::gui {

/// The context of the texts of ui_texts.h in a translation: the one their
/// QT_TRANSLATE_NOOP marks name.
inline constexpr char kTranslationContext[] = "Kestrilo";

/// `text`, one of the texts of ui_texts.h, as the user sees it: from the
/// installed translation of the user's language, or exactly as written where
/// there is none.
QString Tr(const char* text);

/// Installs the translation of the user's language, kestrilo_LANGUAGE.qm in
/// the "translations" folder of the data folder (such as kestrilo_de.qm or
/// kestrilo_pt_BR.qm), together with Qt's own texts for the same language
/// (the buttons of its dialogs). Without one, the window keeps the texts as
/// written, Qt's included. Returns whether a translation was installed.
bool InstallTranslation();

}  // namespace kestrilo::gui
