// setup: the installer. Start-up, install sources, the main menu and its
// actions, generated scripts and the removal of the earlier print product.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "textmenu/textmenu.h"

#define PACKAGE_NAME "SolarisTavrin7315"

extern const char* pTmpDir;           // the work area
extern const char* pZantoInstallDir;  // the work directory
extern uint8_t flWorkDirMade;         // this run made the work directory
extern uint8_t flRunRefused;          // the run ends normally, but as a failure (status 1)
extern int32_t InstallWarnings;       // warning-mode commands that failed in the installation

extern TextMenu MainMenu;
extern TextMenuItem MainMenuItems[];
extern TextMenu InstallMenu;
extern TextMenuItem InstallMenuItems[];

// Install sources.
int InstallFromDiskette(TextMenu* menu = nullptr, TextMenuItem* item = nullptr);
int InstallFromSite(TextMenu* menu = nullptr, TextMenuItem* item = nullptr);
void EjectDiskette();
void TestDiskette(int number);
// Waits for the operator's key after a "press enter" request; end of input
// ends the program (there is nobody left to insert a diskette).
void WaitForEnter();

// The "disks" list: one entry per diskette line, each the file names it
// carries. Lines end at a line that is exactly "end_of_list".
typedef std::vector<std::vector<std::string>> DisksLines;
// Cuts a list text into lines of names; with stopAtWord a word
// "end_of_list" also ends its line's names. Returns null, or why the list
// cannot be used (a name longer than 127 characters, or one that is not a
// plain file name). Nothing is written outside *lines.
const char* SplitDisksList(const char* text, bool stopAtWord, DisksLines* lines);
// The same for the list that GetFileContent has just read into LineBuf
// from listPath; a list that was cut or cannot be used ends the program
// with an "ERROR: " message naming listPath, status 1.
DisksLines LoadDisksList(const char* listPath, bool stopAtWord);
// True for a name that stays inside the directory it is looked up in.
bool IsPlainFileName(const char* name);

// Takes the host-wide lock of installer runs, held until the process
// ends; ends the run (status 1) while another run holds it.
void TakeRunLock();

// setup --preview [--preview-out FILE]: the run on a copy-on-write view of
// the host, then the list of its changes.
struct PreviewOptions {
  bool on = false;
  std::string out;  // also written here, when named
};
// Takes --preview and --preview-out FILE out of the arguments.
PreviewOptions TakePreviewOptions(int* argc, char** argv);
// Runs run in the view and prints what it changed, the log's and the work
// area's changes apart at the end. Returns the run's status, or 1 when no
// view could be made (run is not called then).
int RunPreview(const PreviewOptions& opt, const std::string& workArea,
               const std::function<int()>& run);

// Earlier-product removal.
void DelKDLM();
// What DelKDLM reads, apart from the files: the home that the first n
// bytes of /usr/bin/lp name (at most kEarlierHead are read), false when
// they are not the earlier product's lp; *cut when the home's line runs
// past the bytes read.
constexpr size_t kEarlierHead = 2000;
bool EarlierHome(const char* head, size_t n, std::string* home, bool* cut);
// True for a home whose removal, with its parent's printer list and model
// directory, is safe: an absolute path that climbs nowhere and is no
// system directory nor holds one, also where its links lead.
bool IsUsableHome(const std::string& home);
// One piece of the printer list as GetFileLine hands it over; fileEnds:
// the file ends with it. A line longer than one read comes in pieces:
// *lineStart says whether this one begins a line (true for the first) and
// is set for the next. A queue name, or a word refused as one, goes into
// *name; a name cut at 127 characters or by the piece's end is left alone.
enum EarlierQueue { QUEUE_NONE, QUEUE_NAME, QUEUE_CUT, QUEUE_LONG_LINE, QUEUE_REFUSED };
EarlierQueue EarlierQueueName(const char* piece, bool fileEnds, bool* lineStart,
                              std::string* name);

// Main menu actions (menu handlers; their arguments are not used).
int Install(TextMenu* menu, TextMenuItem* item);
int GenInstallSite(TextMenu* menu, TextMenuItem* item);
int GenInstallDisks(TextMenu* menu, TextMenuItem* item);
int GetDirName(const char* const* info, const char* defaultDir, bool lookForEarlier);
void GenZFile();
void ChangeDir(const char* dir);  // ends the program when it cannot
DisksLines ReadWorkDisks();       // the work directory's "disks", or the end
// Ends the program unless every file that a new site or diskette would
// receive from dir is one this run made or the program's own: a file
// planted in a work area that others can write to is never passed on.
void CheckSources(const char* dir, const std::vector<std::string>& names);

// The package list pkg/pkg.list: a file name, then keyword and value pairs.
#define PKG_KEYWORDS ",mode,bat,owner,group,"
struct PkgLine {
  std::string File;
  std::vector<std::string> Words;  // the file name, then the pairs
  std::vector<char> Cut;           // 1 where the tokenizer cut the word
};
// The keyword's place in PKG_KEYWORDS, 0 for any other word.
int PkgKeyword(const std::string& word);
// True for an octal or symbolic mode as chmod reads it.
bool IsChmodMode(const char* mode);
// True when the line GetFileLine has just read into LineBuf was read to its
// end (the file's last line may lack one).
bool PkgLineComplete();
// Takes one line apart into *out; null, or why the line is refused.
// complete: the line's end was read (it was not cut at the read's limit).
const char* PkgLineError(const char* line, bool complete, PkgLine* out);
// The work directory's pkg/pkg.list, every line checked and every named
// file present in pkg/; a refused line ends the program naming it.
std::vector<PkgLine> LoadPkgList();
// Checks what tar unpacked before anything is installed from it: only
// files and directories, the work directory and pkg/ root's alone, every
// entry root's (given to root when the archive had other owners).
void CheckUnpacked();
// Writes the install-source marker "installfrom" in dir; a failure is
// reported and the run goes on.
void WriteMarker(const char* dir, const char* text);

// --help, -h and --version, wherever they stand: prints the usage or the
// version and ends the program; returns, having done nothing, without them.
void HandleUsageOptions(int argc, char** argv);
