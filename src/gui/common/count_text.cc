// SPDX-License-Identifier: MIT

#include "gui/common/count_text.h"

#include <QLocale>

namespace kestrilo::gui {

QString CountText(qint64 count) { return QLocale().toString(count); }

}  // namespace kestrilo::gui
