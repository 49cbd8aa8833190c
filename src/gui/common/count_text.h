// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QtGlobal>

namespace kestrilo::gui {

/// A count as every part of the window writes counts: grouped in thousands
/// as the user's locale writes numbers ("100,000 rows", "999,992 lines").
QString CountText(qint64 count);

}  // namespace kestrilo::gui
