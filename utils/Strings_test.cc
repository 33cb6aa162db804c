// Strings, tokens, shell quoting, messages and the log.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "MemMgr/MemMgr.h"
#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

uintptr_t Addr(const void* p) { return reinterpret_cast<uintptr_t>(p); }

TEST(Strings, PathAndNameParts) {
  const std::string d300 = "/" + std::string(300, 'd'), n127(127, 'n');
  const struct { char* (*fn)(const char*); std::string in, want; } cases[] = {
      {StripPath, "/usr/bin/", "bin"}, {StripPath, "setup", "setup"}, {StripPath, "///", "///"},
      // Long paths are handled whole; only the result is cut.
      {StripPath, d300 + "/" + n127 + "nn/", n127},
      {StripFn, "/tmp/setup", "/tmp"}, {StripFn, "/setup", "/"}, {StripFn, "setup", "."},
      {StripFn, "a//b", "a/"}, {StripFn, d300 + "/setup", d300.substr(0, 255)},
      {StripExt, "a.tar.Z", "a"}, {StripExt, "..a.b", "..a"},
      {StripPathExt, "/dir.d/", "dir"}, {StripPathExt, "/x.y/.hidden", ".hidden"},
      {StripPathName, ".", ""}, {StripPathName, "/usr/bin/ls", "/usr/bin/"},
      {StripPathName, d300 + "/f", "/" + std::string(126, 'd')},
      {GenName, "hello WORLD-42x", "HelloWorld42x"}, {GenName, "--12 abc", "Abc"},
      {GenName, std::string(300, 'q'), "Q" + std::string(126, 'q')},
  };
  for (const auto& c : cases) EXPECT_EQ(c.fn(c.in.c_str()), c.want) << c.in;
  for (auto fn : {StripPath, StripExt, StripPathExt, StripPathName}) EXPECT_STREQ(fn(nullptr), "");
  EXPECT_STREQ(StripFn(nullptr), ".");
  const char* text = " \t\n\v\f\rX y";
  EXPECT_EQ(SkipSpace(text), text + 6);
  EXPECT_EQ(SkipSpace(nullptr), nullptr);
}

// A pool string's text and block size, "text|size"; the block is released.
std::string Take(char* s) {
  const std::string out = s + ("|" + std::to_string(FindLink(&UsedMemList, Addr(s))->Size));
  PutMem(s);
  return out;
}

TEST(Strings, SaveStrCopiesIntoAPoolBlock) {
  // 15 characters ask for 16 bytes: a 32-byte block (17 would give 48).
  EXPECT_EQ(Take(SaveStr("%s/%s", "/tmp/ab", "setup12")), "/tmp/ab/setup12|32");
  EXPECT_EQ(Take(SaveStr("%s", "")), "|32");  // one byte asked, not none
  EXPECT_EQ(Take(SaveStr_(nullptr)), "|32");
  const std::string line = "Filesystem 100% used %s %n %d";  // '%' in a plain text is kept
  EXPECT_EQ(Take(SaveStr_(line.c_str())), line + "|48");
  const std::string big(5000, 'L');  // a format is bounded by the 4096-byte area, a copy is not
  EXPECT_EQ(Take(SaveStr("%s", big.c_str())), big.substr(0, 4095) + "|4112");
  EXPECT_EQ(Take(SaveStr_(big.c_str())), big + "|5024");
}

// The whole scan of text: each token followed by '@', the delimiter that
// ended it ('0' for none) and '!' when it was cut, up to the first null.
std::string Scan(const char* text, const char* delims, bool parse = false) {
  std::string out;
  char* t = parse ? GetTokenParse(const_cast<char*>(text), delims) : GetToken(text, delims);
  for (;; t = parse ? GetTokenParse(nullptr, delims) : GetToken(nullptr, delims)) {
    out += std::string(t ? t : "") + '@' + (chTokenDel != 0 ? chTokenDel : '0');
    if (!parse && flTokenCut) out += '!';
    if (t == nullptr) return out;
    out += '|';
  }
}

TEST(GetToken, DelimitersEscapesAndCuts) {
  // The rest of a cut token is skipped, not split off; an escape counts as one.
  const std::string e127(127, 'e'), x128 = std::string(128, 'x') + ",next",
                    a126 = std::string(126, 'a') + "\\tb";
  const struct { const char *text, *delims; std::string want; } cases[] = {
      {"  alpha  beta", " ", "alpha@ |beta@ |@0"}, {",,,", ",", "@,"}, {"a b", "", "a b@0|@0"},
      {"x\\,y,z", ",", "x,y@,|z@0|@0"},  // escapes never end a token
      {"\\n\\r\\t\\\\\\q", ",", "\n\r\t\\q@0|@0"}, {"ab\\", ",", "ab@0|@0"},
      {"a\\\\b\\c", "\\", "a\\bc@0|@0"},  // even when the backslash is a delimiter
      {e127.c_str(), ",", e127 + "@0|@0"},
      {x128.c_str(), ",", std::string(127, 'x') + "@,!|next@0|@0"},
      {a126.c_str(), ",", std::string(126, 'a') + "\t@0!|@0"},
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(c.text, c.delims), c.want) << c.text;
}

TEST(GetToken, LineModeStopsAtTheEndOfALine) {
  char text[] = "a b\nc";
  for (bool parse : {false, true}) {  // the in-place scan last: it cuts text up
    auto next = [&](const char* in) {
      return parse ? GetTokenParse(const_cast<char*>(in), " \n") : GetToken(in, " \n");
    };
    EXPECT_STREQ(next(text), "a") << parse;
    EXPECT_EQ(next(TOKEN_LINE_MODE), nullptr);  // b ended the line
    EXPECT_EQ(chTokenDel, '\n');
    if (!parse) { EXPECT_STREQ(GetTokenBuf, "b"); }  // still there for the caller
    EXPECT_STREQ(next(TOKEN_LINE_MODE), "c");
  }
  SetTokenBuf("\n\ny z");  // a line feed among leading delimiters does not stop it
  EXPECT_STREQ(GetToken(TOKEN_LINE_MODE, " \n"), "y");
}

TEST(GetTokenParse, TerminatesInPlaceAndKeepsEscapes) {
  char text[] = "::one\\ttwo x\\:y::z";
  EXPECT_EQ(Scan(text, ":", true), "one\\ttwo x\\:y@:|z@:|@0");
  // Skipped delimiters are cleared too.
  EXPECT_EQ(std::string(text, sizeof text), std::string("\0\0one\\ttwo x\\:y\0\0z", 19));
}

TEST(GetTokenN, PicksTheNthTokenAndLeavesTheScanBehindIt) {
  const char* want[] = {nullptr, "p", "q", "r", nullptr};
  for (unsigned n : {0u, 4u, 1u, 3u, 2u}) EXPECT_STREQ(GetTokenN("p q r", " ", n), want[n]) << n;
  EXPECT_STREQ(GetToken(nullptr, " "), "r");
}

TEST(FindToken, MatchesWholeFieldsOnly) {
  const struct { const char *token, *list; int want; } cases[] = {
      {"mode", ",mode,bat,", 1}, {"Bat", ",mode,bat,", 0}, {"mod", ",mode,bat,", 0},
      {"bat,owner", ",mode,bat,owner,", 2}, {"..", ";.;..;", 2}, {"x", "", 0}, {nullptr, ",x,", 0},
      {"x", nullptr, 0}, {"mode", "mode,bat,", 0},  // no leading separator: the first field is lost
  };
  for (const auto& c : cases) EXPECT_EQ(FindToken(c.token, c.list), c.want) << c.token << c.list;
}

TEST(ShellQuoteTest, OnlyValuesThatNeedItAreQuoted) {
  for (const char* plain : {"", "/tmp/ZantoInstall", "666", "a-b_c.d+e,f:g=h@i%j"}) {
    EXPECT_TRUE(IsPlainWord(plain)) << plain;
    EXPECT_EQ(ShellQuote(plain), plain);
  }
  for (const char* odd : {" ", "a;b", "$x", "`x`", "a'b", "*", "~", "a\nb", "x>y"})
    EXPECT_FALSE(IsPlainWord(odd)) << odd;
  EXPECT_EQ(ShellQuote("it's"), "'it'\\''s'");
  // What the shell makes of the quoted word: printf %s prints it back.
  for (const std::string value : {"a;touch pwned", "$(id) `id` $HOME", "tab\there", "new\nline",
                                  "*?[a]", "'", "\\", "-n", "a  b"}) {
    FILE* pipe = popen(("printf %s " + ShellQuote(value)).c_str(), "r");
    std::string out;
    for (int c; (c = std::fgetc(pipe)) != EOF;) out += static_cast<char>(c);
    pclose(pipe);
    EXPECT_EQ(out, value);
  }
}

char kSetup[] = "setup";

using ::testing::ExitedWithCode;
using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

TEST(Messages, ErrorLevelsTextsAndStatuses) {
  my_name = kSetup;
  EXPECT_EXIT((errno = ENOENT, SysError("can't open file, %s", "/tmp/x")), ExitedWithCode(1),
              "^\nsetup: can't open file, /tmp/x : No such file or directory\n$");
  EXPECT_EXIT(ErrorMsg(2, 0, "gone %d", 7), ExitedWithCode(0), "^ERROR: gone 7\n$");
  EXPECT_EXIT(ErrorMsg(2, 1, "gone"), ExitedWithCode(1), "^ERROR: gone\n$");
  CaptureStderr();
  ErrorMsg(0, 1, "can't open file, %s", "/y");
  ErrorMsg(1, 1, "can't open file, %s", "/x");
  errormsg("bad %s", "thing");
  EXPECT_EQ(GetCapturedStderr(), "WARNING: can't open file, /x\nsetup: bad thing\n");
  ErrorMsg(0, 0, "<%s>", Line);  // Line may itself be one of the values
  EXPECT_STREQ(Line, "<can't open file, /x>");
  ErrorMsg(0, 0, "%s", std::string(70000, 'z').c_str());  // cut, never overrun
  EXPECT_EQ(strlen(Line), sizeof Line - 1);

  // The echoed command goes to standard output; keep it out of the way.
  auto quiet = [] { return freopen("/dev/null", "w", stdout) != nullptr; };
  EXPECT_EXIT(quiet() && (SysCmdP(2, "exit %d", 3), true), ExitedWithCode(1),
              "ERROR: unable to locate system command 'exit 3'");
  // A command line that does not fit is never run, not even cut short.
  TestDir dir;
  const std::string cmd = "touch '" + (dir / "ran") + "' #" + std::string(600, 'x');
  EXPECT_EXIT(quiet() && (SysCmdP(2, "%s", cmd.c_str()), true), ExitedWithCode(1), "ERROR: ");
  EXPECT_FALSE(Exists(dir / "ran"));
}

TEST(Messages, LogStartsAfreshAppendsAndNeverFollowsPlantedEntries) {
  TestDir dir;
  const std::string log = dir.Write("setup.log", "old\n"), target = dir.Write("t", "keep\n");
  my_name = kSetup;
  pLogPath = dir.path().c_str();
  flInitLog = 1;
  PutLogMsg("%s\n", "first");
  EXPECT_EQ(flInitLog, 0);
  PutLogMsg("no line end %d", 2);
  EXPECT_EQ(ReadText(log), "first\nno line end 2");
  unlink(log.c_str());
  PutLogMsg("a");  // created when missing, even after the start
  EXPECT_EQ(ReadText(log), "a");

  // A planted link's target stays untouched (a hard link's is not emptied
  // either), a FIFO without a reader does not block, a directory is left.
  auto fifo = [](const char*, const char* at) { return mkfifo(at, 0600); };
  auto dirAt = [](const char*, const char* at) { return mkdir(at, 0700); };
  using Plant = int (*)(const char*, const char*);
  for (Plant plant : std::initializer_list<Plant>{symlink, link, fifo, dirAt}) {
    unlink(log.c_str());
    EXPECT_EQ(plant(target.c_str(), log.c_str()), 0);
    for (uint8_t start : {1, 0}) {
      flInitLog = start;
      PutLogMsg("start %d\n", start);
    }
    EXPECT_EQ(ReadText(target), "keep\n");
  }
  const std::string none = dir / "none";  // lost silently
  pLogPath = none.c_str();
  CaptureStderr();
  PutLogMsg("lost\n");
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_FALSE(Exists(none));
  pLogPath = ".";
  flInitLog = 1;
}

}  // namespace
