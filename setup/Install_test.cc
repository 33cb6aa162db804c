// Joining the archive from its pieces: the lists it refuses, in a scratch
// work area with the stand-in sleep first on PATH.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "SysCmd/SysCmd.h"
#include "setup/setup.h"
#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

TEST(GenZFileDeathTest, Refused) {
  std::string src = std::filesystem::path(__FILE__).parent_path().parent_path().string();
  setenv("PATH", (src + "/tests/fakebin:" + std::getenv("PATH")).c_str(), 1);
  InitSysCmdList();
  TestDir t;
  const std::string work = t / "ZantoInstall";
  std::filesystem::create_directory(work);
  pTmpDir = pLogPath = t.path().c_str();
  pZantoInstallDir = work.c_str();
  t.Write("ZantoInstall/pkg_tar.z1", "one.");
  const struct {
    std::string disks, err;
  } cases[] = {
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
  pLogPath = ".";  // the scratch directory goes with t
}

}  // namespace
