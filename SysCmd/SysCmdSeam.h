// Hooks for tests of the command layer; the program itself never calls
// these.
#pragma once

// Puts the table back as it was before InitSysCmdList: every directory
// unresolved, the fixed search list whole again, the PATH copy released,
// command logging off.
void ResetSysCmdList();

// How the runner hands a command line to the shell; std::system unless a
// test replaces it (for instance to simulate an interrupted call).
extern int (*pSysCmdShell)(const char* line);
