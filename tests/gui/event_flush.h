// SPDX-License-Identifier: MIT

#pragma once

// Runs the events already posted, so that a test can say "nothing came"
// with certainty instead of waiting a while and hoping the event ran.

#include <QCoreApplication>
#include <QTest>

namespace kestrilo::testing {

/// Posts a marker behind every event posted so far (queued calls and
/// zero-time timers included, which Qt posts too) and runs the event loop
/// until the marker has run: posted events run in order, so each of those
/// has then run, or been dropped by its own guard. Also runs what they
/// posted in turn before the marker came up. False only when the marker
/// never ran, in a minute, far beyond any load.
inline bool FlushEvents() {
  bool ran = false;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [&ran] { ran = true; },
      Qt::QueuedConnection);
  return QTest::qWaitFor([&ran] { return ran; }, 60000);
}

}  // namespace kestrilo::testing
