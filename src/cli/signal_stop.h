// SPDX-License-Identifier: MIT

#pragma once

namespace kestrilo::cli {

/// Ignores SIGPIPE and SIGXFSZ for the rest of the program, so that a write
/// to a pipe whose reader is gone, or beyond the limit on file size
/// (`ulimit -f`), fails with EPIPE or EFBIG where it was made, instead of
/// ending the program with its temporary files left behind. Writers then
/// handle the failure: a workbook beyond the limit fails and the run goes
/// on; a reader gone ends the run at once (StopAtOnce(SIGPIPE)), as the
/// signal would, but with nothing left behind.
void IgnoreWriteSignals();

/// Ends the program at once as `signal`'s default action would, after
/// removing the temporary files being written (finished files stay). From
/// any thread but a signal handler.
[[noreturn]] void StopAtOnce(int signal);

}  // namespace kestrilo::cli
