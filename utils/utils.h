// utils: tokenizer, strings and paths, shell quoting, file reading,
// text-file editing, messages and the log, files and directories.
//
// Shared state is process-wide static data: the scratch buffers below,
// the tokenizer's scan, and the streams pIn and pOut. The program is
// single-threaded; a caller is done with a buffer's content before it
// calls another operation that fills it.
#pragma once

#include <dirent.h>
#include <sys/types.h>

#include <csignal>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#define PRINTF_FMT(f, a) __attribute__((format(printf, f, a)))

// Shared scratch buffers.
extern char LineBuf[4096];   // line and whole-file reads, answers, paths
extern char Line[65535];     // formatted messages, command output
extern char GetTokenBuf[128];  // the last token of GetToken
extern char Fn[128];         // the file being edited
extern char FnOut[128];      // its work file
extern char Name[256];       // the chosen directory, file names
extern char AppDir[512];     // the driver directory

// Process-wide names, set at start-up.
extern char* my_name;          // the program's name, names the log
extern const char* pLogPath;   // directory of the log, "." at first
extern char* pToolPath;        // the program's own directory
extern uint8_t flInitLog;      // 1 until the log is started in this run

// ---- Tokenizer ----
// Passing TOKEN_LINE_MODE as the text continues the scan in line mode.
#define TOKEN_LINE_MODE (reinterpret_cast<const char*>(-1))
extern const char* szTokenIn;  // scan position after the last call
extern char chTokenDel;        // delimiter that ended the last token
extern uint8_t flTokenCut;     // 1 when the last GetToken cut its token at 127

void SetTokenBuf(const char* text);
char* GetToken(const char* text, const char* delims);
char* GetTokenParse(char* text, const char* delims);
char* GetTokenN(const char* text, const char* delims, unsigned n);
int FindToken(const char* token, const char* list);

// ---- Strings and paths ----
char* StripPath(const char* path);  // last component, buffer of 128
char* StripFn(const char* path);    // directory part, buffer of 256
char* SaveStr(const char* fmt, ...) PRINTF_FMT(1, 2);
char* SaveStr_(const char* text);
char* StripExt(const char* name);
char* StripPathExt(const char* path);
char* StripPathName(const char* path);
char* SkipSpace(const char* text);
char* GenName(const char* text);

// ---- Shell quoting ----
// True when the text holds only letters, digits and . _ - / + , : = @ %,
// so the shell takes it as one word with no expansion.
bool IsPlainWord(std::string_view text);
// The text itself when plain, else the text in single quotes: the shell
// sees it as one word, whatever it holds.
std::string ShellQuote(std::string_view text);

// ---- File reading ----
extern FILE* pIn;   // the current input file
extern FILE* pOut;  // the output file being written
extern int32_t LineLen;
extern int32_t LineCnt;
extern int32_t InPos;
extern uint8_t flInputFilterState;
extern uint8_t flContentCut;  // 1 when GetFileContent's file was longer than 4095 bytes

FILE* OpenFile(FILE* stream, const char* path, const char* mode, int level);
FILE* OpenFileF(FILE* stream, const char* mode, int level, const char* fmt, ...)
    PRINTF_FMT(4, 5);
uint8_t OpenInputFile(const char* path, int level);
uint8_t OpenInputFileF(int level, const char* fmt, ...) PRINTF_FMT(2, 3);
int OpenRawFile(const char* path, int flags);
int GetFileLine();
void CloseInputFile();
int GetFileContent(const char* dir, const char* name);
char* FileSearch(const char* path, const char* text, int level);
int32_t GetFileSize(const char* path);
int GetFileTextLine(const char* delims);
void fgetsp(char* buf, int size, FILE* stream, long offset);
int GetLine();
int GetLineN(int n);
int GetLinePos(long offset);

// ---- Text-file editing ----
void FileChange(const char* name, const char* ext, const char* search, const char* repl);
void FileChangeChar(const char* name, const char* ext, const char* code, const char* repl);
void FileDel(const char* name, const char* ext, int count, const char* text);
int FileDelFormat(const char* name, const char* ext, const char* mode, const char* text);
void FileInsert(const char* name, const char* ext, char* insert);
void FileSearchInsert(const char* name, const char* ext, char* insert, const char* search);
void FileDelLine(const char* name, const char* ext, int count, const char* text);
void FileDelLinePair(const char* name, const char* ext, int count, const char* first,
                     const char* second);
void OpenIOFiles(const char* name, const char* ext);
void ReplaceInputFile();

// ---- Messages and the log ----
[[noreturn]] void SysError(const char* fmt, ...) PRINTF_FMT(1, 2);
void ErrorMsg(int level, int status, const char* fmt, ...) PRINTF_FMT(3, 4);
// Appends to "<pLogPath>/<my_name>.log" (emptied by the first call while
// flInitLog is set); only ever writes a regular file, never via a link.
void PutLogMsg(const char* fmt, ...) PRINTF_FMT(1, 2);
// "%s/%s.log" of pLogPath and my_name: the log that PutLogMsg writes.
std::string LogFileName();
void errormsg(const char* fmt, ...) PRINTF_FMT(1, 2);
[[noreturn]] void exit_app(int status);

// ---- Ends of a run ----
// Run once by the first FatalEnd, before its words: undoes what a run that
// cannot go on should not leave behind.
extern void (*pTidyAfterFailure)();
// The signal that asked the run to stop, 0 while none did.
extern volatile sig_atomic_t InterruptSignal;
// Tidies (the hook), writes words to standard error and exits with status.
[[noreturn]] void FatalEnd(int status, const std::string& words);
// SIGINT, SIGTERM and SIGHUP only note that the run must stop; waits for
// input are not resumed after them.
void CatchInterrupts();
// Ends the run with "NAME: interrupted" and 128 plus the signal number
// when one was caught (not while the run is already ending).
void CheckInterrupt();
// Ends the run after standard input gave no answer: interrupted, ended,
// or failed (errno as the read left it).
[[noreturn]] void InputEnded();
void SysCmdP(int level, const char* fmt, ...) PRINTF_FMT(2, 3);

// ---- Files, directories and identity ----
// (CreateFile, DeleteFile and GetUserName run commands: see SysCmd.h.)
// 1 when dir lists name (matched as a whole entry name). With a null or
// empty name, dir is a full path whose last component is looked for.
int FindFile(const char* dir, const char* name);
char* ReadDir(DIR* dir, struct dirent* entry);
char* GetDirFileList(const char* dir);
char* GetEnv(const char* name);
char* GetToolPath(const char* argv0);
char* GetHostname();

// ---- Paths root can trust ----
// True when no user other than root and `trusted` can change where path
// leads: every existing component is a directory or a link owned by one
// of them, and no directory on the way (links followed) lets others
// replace its entries. Components that do not exist yet pass; ask again
// once they are made. Otherwise *bad names the component and *why says
// what is wrong with it.
bool SafePath(const char* path, uid_t trusted, std::string* bad, std::string* why);
// Ends the run with an "ERROR: " naming the component when SafePath
// refuses path for this user.
void RequireSafePath(const char* path);
// True when users other than root may write to dir (or it cannot be
// looked at).
bool OthersCanWrite(const char* dir);
// True for a regular file of this user with one link: one that this user
// made, not one that someone else planted or linked.
bool IsOwnFile(const char* path);
// When others can write to dir, whatever stands at dir/name goes and a
// new empty file of this user takes its place (created exclusively, no
// link followed), so that a command writing there writes into it.
void MakeOwnFile(const char* dir, const char* name);
