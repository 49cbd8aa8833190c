// SPDX-License-Identifier: MIT

#include "cli/failure_text.h"

#include <new>

#include "engine/conversion/output_budget.h"
#include "engine/input/workbook_error.h"

namespace kestrilo::cli {

FailureText DescribeFailure(const std::string& path,
                            const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const WorkbookError& error) {
    const std::string reason = error.path() == path
                                   ? error.reason()
                                   : error.path() + ": " + error.reason();
    return {error.path() + ": " + error.reason(), reason};
  } catch (const OutputBudgetExceeded& error) {
    const std::string reason = std::string(error.what()) + " (--max-output)";
    return {path + ": " + reason, reason};
  } catch (const std::bad_alloc&) {
    return {path + ": not enough memory", "not enough memory"};
  } catch (const std::exception& error) {
    return {path + ": " + error.what(), error.what()};
  }
}

}  // namespace kestrilo::cli
