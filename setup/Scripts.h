// The shell scripts that a driver installation writes: the /usr/bin
// wrappers, the lp interface programs and the run-level scripts.
#pragma once

#include <cstdio>

// One piece of a script text: a template whose every %s takes the value
// named by the matching letter of Args ('a' driver directory, 'p' print
// program, 'f' file name), quoted for the shell when it is not a plain
// word. A text ends at a null Fmt.
struct ScriptPart {
  const char* Fmt;
  const char* Args;
};

extern const ScriptPart WrapperText[];       // /usr/bin/{bat}
extern const ScriptPart InterfaceText[];     // {AppDir}/ZantoPrint7315
extern const ScriptPart TtyInterfaceText[];  // {AppDir}/ZantoPrint7315Tty
extern const ScriptPart RcScriptText[];      // /etc/rc2.d/[SK]ZantoPrintD

#define PRINT_PROGRAM "zanto7315"
#define INTERFACE_NAME "ZantoPrint7315"
#define START_SCRIPT "/etc/rc2.d/SZantoPrintD"
#define STOP_SCRIPT "/etc/rc2.d/KZantoPrintD"

// Writes the text to the stream with the driver directory and file name.
// Returns 1 when every byte was written.
int PutScript(FILE* out, const ScriptPart* text, const char* appDir, const char* file);

// Creates path afresh with the text, opened at the given error level.
// Returns 1 when the file was written and closed; 0 after a reported
// failure (level 2 ends the program instead).
int WriteScript(const char* path, int level, const ScriptPart* text, const char* appDir,
                const char* file);

// Writes /usr/bin/{wrapper} that runs {AppDir}/{file} from the driver
// directory, and makes it executable.
void GenSimpleScript(const char* file, const char* wrapper);

// True for the text of a wrapper that GenSimpleScript writes, whatever
// its driver directory and file.
bool IsDriverWrapper(const char* text);

// The report for a "bat" value that would leave /usr/bin; the wrapper is
// then skipped.
#define BAD_WRAPPER_MSG "ERROR: wrapper name is not a plain file name, /usr/bin/%s\n"
