// The import's failure log: why an import failed, for the user to read.
//
// Standard output is the calling program's and standard error stays empty,
// so the only word an import gives of a failure is its marker. When the
// environment variable FLORRIN_LOG names a file, each failed step of an
// import appends one line there saying what was asked (never a secret) and
// what came of it.
#ifndef FLORRIN_APP_FAILURE_LOG_H_
#define FLORRIN_APP_FAILURE_LOG_H_

#include <functional>

#include "lmr.h"

// Takes one line (without a line end) about a failed import step.
using FailureLog = std::function<void(const sString& sLine)>;

// The log the environment asks for: appends "florrin: " and the line, its
// control bytes made spaces, and "\n" to the file that FLORRIN_LOG names.
// Does nothing when FLORRIN_LOG is unset or empty, or the file cannot be
// written (the log must never fail an import).
FailureLog EnvironmentFailureLog();

// Appends "florrin: ", `sLine` (control bytes made spaces) and "\n" to the
// file `sFile`, silently doing nothing when it cannot.
void AppendFailureLine(const sString& sFile, const sString& sLine);

#endif  // FLORRIN_APP_FAILURE_LOG_H_
