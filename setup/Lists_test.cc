// What the installer reads before root acts on it: the package list, the
// diskette list, the pieces to join and the earlier product's files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "SysCmd/SysCmd.h"
#include "setup/Scripts.h"
#include "setup/setup.h"
#include "tests/support/FakeBin.h"
#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

// The work paths as the program starts with them, put back when a test
// that pointed them into its scratch directory ends.
struct WorkPaths {
  ~WorkPaths() {
    pTmpDir = "/tmp";
    pZantoInstallDir = "/tmp/ZantoInstall";
    pLogPath = ".";
  }
};

TEST(PkgList, ModesAsChmodReadsThem) {
  for (const char* ok : {"755", "4755", "0", "0644", "u+s", "a-w", "-w", "+t", "g=u,o-rwx",
                         "u=", "ug+rwX", "a+rw-x", "o=g"})
    EXPECT_TRUE(IsChmodMode(ok)) << ok;
  for (const char* bad : {"", "--reference=/etc/shadow", "--", "--r", "--s", "-R", "8", "04755x",
                          "07777 ", "u", "u+s,", ",u+s", "z+w", "u+q", "755,u+s", "u+ug", "00755"})
    EXPECT_FALSE(IsChmodMode(bad)) << bad;
}

TEST(PkgList, LinesRefusedBeforeTheyAreApplied) {
  const std::string cut(130, 'c');
  // err: null when the line is accepted.
  const struct { std::string line; bool complete; const char* err; } cases[] = {
      {"prog mode 755 owner\n", true, nullptr},       // a keyword without a value is ignored
      {"prog colour -red mode -w\n", true, nullptr},  // unknown pairs are not looked at
      {"prog bat ../x\n", true, nullptr},             // a bad wrapper is only skipped when applied
      {"\n", true, nullptr},
      {"prog mode 755", false, "line too long"},
      {"../prog\n", true, "not a plain file name"},
      {cut + "\n", true, "not a plain file name"},
      {"prog mode --reference=/etc/shadow\n", true, "mode is not a chmod mode"},
      {"prog owner -1\n", true, "value begins with '-'"},
      {"prog group --reference=/x\n", true, "value begins with '-'"},
      {"prog owner " + cut + "\n", true, "value longer than 127 characters"},
  };
  for (const auto& c : cases) {
    PkgLine pl;
    const char* err = PkgLineError(c.line.c_str(), c.complete, &pl);
    EXPECT_EQ(err ? std::string(err) : "", c.err ? c.err : "") << c.line;
  }
  PkgLine pl;
  ASSERT_EQ(PkgLineError("prog mode,bat 7 bat w\r\n", true, &pl), nullptr);
  EXPECT_EQ(pl.File, "prog");
  EXPECT_EQ(PkgKeyword(pl.Words[1]), 0);  // a ',' never matches across entries
  EXPECT_EQ(PkgKeyword(pl.Words[3]), 2);
}

// The whole list is read before anything is done; every named file must
// be a plain file of the package, counted in the file's own lines.
TEST(PkgListDeathTest, NamesOnlyPlainFilesOfThePackage) {
  TestDir t;
  WorkPaths restore;
  mkdir((t / "pkg").c_str(), 0755);
  mkdir((t / "pkg/sub").c_str(), 0755);
  t.Write("pkg/README", "");
  ASSERT_EQ(symlink("README", (t / "pkg/link").c_str()), 0);
  pZantoInstallDir = t.path().c_str();
  for (const char* name : {"sub", "link", "missing"}) {
    t.Write("pkg/pkg.list",
            "README mode 644 \\\n colour red\n\n" + std::string(name) + " mode 644\n");
    EXPECT_EXIT(LoadPkgList(), testing::ExitedWithCode(1),
                "pkg.list, line 4: no such file in the package\n$")
        << name;
  }
  t.Write("pkg/pkg.list", "README mode 644\n\n");
  EXPECT_EQ(LoadPkgList().size(), 1u);
}

TEST(PkgList, OnlyThisDriversWrappersAreReplaced) {
  const std::string head =
      "#! /usr/bin/sh\n\nTavrinFileSourceDir=`pwd`\nexport TavrinFileSourceDir\ncd ";
  EXPECT_TRUE(IsDriverWrapper((head + "/opt/Zanto/7315\n/opt/Zanto/7315/tavrin $*\n").c_str()));
  EXPECT_TRUE(IsDriverWrapper((head + "'/a b'\n'/a b'/t $*\n").c_str()));
  for (const std::string& other :
       {std::string("#!/bin/sh\nexec /bin/ls \"$@\"\n"), head + "/opt\n/opt/t $*\nrm -rf /\n",
        head + "/opt\n/opt/t $*", head + "\n/opt/t $*\n", head + "/opt\n"})
    EXPECT_FALSE(IsDriverWrapper(other.c_str())) << other;
}

// What the whole-program tests leave out; the end of the list is a line
// that is exactly the marker, and nothing after it is looked at.
TEST(DisksList, Lines) {
  const struct { std::string text; bool stopAtWord; DisksLines lines; } cases[] = {
      {"a\nend_of_list \nb\nend_of_list\n../x\n", false, {{"a"}, {"end_of_list"}, {"b"}}},
      {"disks a end_of_list b\nc\n", false, {{"disks", "a", "end_of_list", "b"}, {"c"}}},
      {"disks a end_of_list ../b\nc\n", true, {{"disks", "a"}, {"c"}}},
      {"end_of_list\nx\n", true, {}},
      {"disks " + std::string(127, 'n') + "\r\n", false, {{"disks", std::string(127, 'n')}}},
  };
  for (const auto& c : cases) {
    DisksLines lines;
    EXPECT_EQ(SplitDisksList(c.text.c_str(), c.stopAtWord, &lines), nullptr) << c.text;
    EXPECT_EQ(lines, c.lines) << c.text;
  }
}

// Lists that cannot be used end the program before anything is copied.
TEST(DisksListDeathTest, Refused) {
  const std::string err = "^ERROR: the list /m/disks ";
  const struct { std::string text, why; } cases[] = {
      {"disks ../etc/passwd\n", "names \"../etc/passwd\", which is not a plain file name\n$"},
      {"disks\n/etc/shadow\n", "names \"/etc/shadow\", which is not a plain file name\n$"},
      {"a .\n", "names \".\", which is not a plain file name\n$"},
      {"..\n", "names \"..\", which is not a plain file name\n$"},
      {"a\\/b\n", "names \"a/b\", which is not a plain file name\n$"},  // the backslash escapes
      // Control bytes, also those the escapes make, would split a command line.
      {"disks a\\nb\n", "names \"a\nb\", which is not a plain file name\n$"},
      {"a\\tb\n", "names \"a\tb\", which is not a plain file name\n$"},
      {"a\x01 b\n", "names \"a\x01\", which is not a plain file name\n$"},
      {"disks a\x7f\n", "names \"a\x7f\", which is not a plain file name\n$"},
      {"disks " + std::string(128, 'x') + "\n", "holds a name longer than 127 characters\n$"},
  };
  for (const auto& c : cases) {
    std::strcpy(LineBuf, c.text.c_str());
    EXPECT_EXIT(LoadDisksList("/m/disks", false), testing::ExitedWithCode(1), err + c.why);
  }
  std::strcpy(LineBuf, "disks pkg_tar.z1\n");
  flContentCut = 1;
  EXPECT_EXIT(LoadDisksList("/m/disks", false), testing::ExitedWithCode(1),
              err + "is longer than 4095 bytes\n$");
  flContentCut = 0;
  EXPECT_EQ(LoadDisksList("/m/disks", false), (DisksLines{{"disks", "pkg_tar.z1"}}));
}

// Joining the archive from its pieces: the lists it refuses, in a scratch
// work area with the stand-in sleep first on PATH.
TEST(GenZFileDeathTest, Refused) {
  ScopedEnv path("PATH", FakeBinPath());
  InitSysCmdList();
  TestDir t;
  WorkPaths restore;
  const std::string work = t / "ZantoInstall";
  std::filesystem::create_directory(work);
  pTmpDir = pLogPath = t.path().c_str();
  pZantoInstallDir = work.c_str();
  t.Write("ZantoInstall/pkg_tar.z1", "one.");
  const struct { std::string disks, err; } cases[] = {
      // Tabs do not separate pieces here: no piece has that name.
      {"disks pkg_tar.z1\tpkg_tar.z1\n", ""},
      // A piece name must stay inside the work directory, and whole.
      {"disks pkg_tar.z1/../../x\n", "^ERROR: .*not a plain file name\n$"},
      {"disks pkg_tar." + std::string(130, 'z') + "\n", "^ERROR: .*longer than 127 characters\n$"},
  };
  for (const auto& c : cases) {
    t.Write("ZantoInstall/disks", c.disks);
    EXPECT_EXIT(GenZFile(), testing::ExitedWithCode(1), c.err) << c.disks;
  }
}

// What the removal of the earlier product reads: the home in its lp's
// first bytes and the queue names of its printer list, piece by piece as
// GetFileLine hands them over.
TEST(EarlierProduct, HomeFromTheFirstBytesOfLp) {
  const std::string filler = "#!/bin/sh\n" + std::string(1975, '#') + "\n";  // 1986 bytes
  const struct { std::string head; bool marked; std::string home; bool cut; } cases[] = {
      {"#!/bin/sh\nKDLM_HOME=/opt/old/home\nexec kdlm\n", true, "/opt/old/home", false},
      {"#!/bin/sh\r\nKDLM_HOME=/opt/a\r\nKDLM_HOME=/opt/b\n", true, "/opt/a", false},
      {std::string("#!/bin/sh\nKDLM_HOME=/opt/x") + '\0' + "y\n", true, "/opt/x", false},
      {"#!/bin/shKDLM_HOME=", true, "", false},
      {"#!/bin/bash\nKDLM_HOME=/opt/old\n", false, "", false},
      {"#!/bin/s", false, "", false},
      // The line runs past the 2000 bytes read: its home may be longer.
      {filler + "KDLM_HOME=/opt", true, "/opt", true},
      {filler + "KDLM_HOM", false, "", false},
  };
  for (const auto& c : cases) {
    std::string home;
    bool cut = false;
    EXPECT_EQ(EarlierHome(c.head.data(), c.head.size(), &home, &cut), c.marked) << c.head;
    EXPECT_EQ(home, c.home) << c.head;
    EXPECT_EQ(cut, c.cut) << c.head;
  }
}

// A home is removed only where nothing of the system's goes with it.
TEST(EarlierProduct, HomesThatAreSafeToRemove) {
  TestDir t;
  ASSERT_EQ(symlink("/usr/share", (t / "share").c_str()), 0);
  for (const std::string& home :
       std::vector<std::string>{"/opt/old/home", "/usr/local/KDLM", "/opt/old/home/", "//opt//x",
                                "/usr/bin/ZantoSave/x", t.path()})
    EXPECT_TRUE(IsUsableHome(home)) << home;
  for (const std::string& home : std::vector<std::string>{
           "/", "", "opt/old/home", "//", "/opt", "/opt/", "/opt/old/..", "/opt/./x", "/usr",
           "//usr//local/", "/usr/lib64", "/usr/local/lib", "/var/spool/lp", "/var/spool",
           "/usr/bin/ZantoSave", "/usr/ucb/ZantoSave", "/etc/rc2.d", "/var/spool/Zanto",
           t / "share"})
    EXPECT_FALSE(IsUsableHome(home)) << home;
}

// Each piece with the file's end after the last, what the reader makes of
// it: '-' no name, '+' a name, '>' a name cut at 127 characters, '~' one
// that the piece's end may cut, '!' a word that is no plain name.
std::string Read(const std::vector<std::string>& pieces) {
  std::string out;
  bool lineStart = true;
  for (size_t i = 0; i < pieces.size(); i++) {
    std::string name;
    const int kind = EarlierQueueName(pieces[i].c_str(), i + 1 == pieces.size(), &lineStart, &name);
    out += std::string("-+>~!").at(kind) +
           (kind == QUEUE_NAME || kind == QUEUE_REFUSED ? name : "") + " ";
  }
  return out;
}

TEST(EarlierProduct, QueueNamesOfThePrinterList) {
  const std::string blanks(505, ' '), long510(510, 'l');
  const struct { std::vector<std::string> pieces; std::string want; } cases[] = {
      {{"q1  # first queue\n", "#skipped\n", "  #old\n", "\n", "   \n", "q2\tmore\n", "last"},
       "+q1 - +old - - +q2 +last "},
      {{"../x\n", "a\\/b\n", "q\\nx\n", std::string(128, 'n') + "\n"}, "!../x !a/b !q\nx > "},
      // A line longer than one read: only its first piece is looked at, and
      // a name that reaches that piece's end may go on in the next.
      {{blanks + "queue", "1\n", "q2\n"}, "~ - +q2 "},
      {{"q3 " + std::string(507, 'c'), "q4\n"}, "+q3 - "},
      {{blanks + "que\\", " x\n"}, "~ - "},
      {{blanks + "queu ", "e\n"}, "+queu - "},
      {{long510, "l\n"}, "> - "},
      // Unless the file ends there.
      {{blanks + "queue"}, "+queue "},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.pieces), c.want) << c.pieces[0];
}

}  // namespace
