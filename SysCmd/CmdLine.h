// Building blocks shared by the runner and the output capture: command
// lines assembled from a row and a caller's format, with every substituted
// text quoted for the shell when it is not a plain word.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

#include "utils/utils.h"  // IsPlainWord, ShellQuote

// Set when this run's log could not be created afresh; commands are then
// shown on the terminal as when logging is off.
extern bool flLogBroken;

// Appends the format expanded with the arguments; %s and %c values are
// passed through ShellQuote, the format's own text is copied as is.
void AppendCmdFormat(std::string& out, const char* fmt, va_list ap);

// Reports a row that was never resolved and ends the program (status 1).
[[noreturn]] void CmdNotFound(int row);

// "%s/%s %s " of the row's directory, command word and fixed arguments,
// or an empty text for rows 0 and 1. An unresolved row ends the program.
std::string CmdPrefix(int row);
