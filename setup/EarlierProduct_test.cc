// What the removal of the earlier product reads: the home in its lp's
// first bytes and the queue names of its printer list, piece by piece as
// GetFileLine hands them over.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "setup/setup.h"
#include "utils/TestDir.h"

namespace {

TEST(EarlierProduct, HomeFromTheFirstBytesOfLp) {
  const std::string filler = "#!/bin/sh\n" + std::string(1975, '#') + "\n";  // 1986 bytes
  const struct {
    std::string head;
    bool marked;
    std::string home;
    bool cut;
  } cases[] = {
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
    switch (EarlierQueueName(pieces[i].c_str(), i + 1 == pieces.size(), &lineStart, &name)) {
      case QUEUE_NONE:
        out += "-";
        break;
      case QUEUE_NAME:
        out += "+" + name;
        break;
      case QUEUE_CUT:
        out += ">";
        break;
      case QUEUE_LONG_LINE:
        out += "~";
        break;
      case QUEUE_REFUSED:
        out += "!" + name;
        break;
    }
    out += " ";
  }
  return out;
}

TEST(EarlierProduct, QueueNamesOfThePrinterList) {
  const std::string blanks(505, ' '), long510(510, 'l');
  const struct {
    std::vector<std::string> pieces;
    std::string want;
  } cases[] = {
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
