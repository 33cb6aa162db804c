// The stand-in commands of tests/fakebin and environment helpers.
//
// Stand-ins (shell scripts) and the variables they read:
//   sleep   returns at once; appends its arguments as one line to
//           $FAKE_SLEEP_LOG when set.
//   clear   prints nothing.
//   whoami  prints ${FAKE_WHOAMI-root}; an empty FAKE_WHOAMI prints nothing.
//   df      with FAKE_DF_AVAIL=<kilobytes> prints the Solaris df -k header
//           and one file system with that free space; with FAKE_DF_AVAIL
//           unset it runs the real df.
//   eject, volcheck
//           do nothing.
#pragma once

#include <optional>
#include <string>

// Absolute path of tests/fakebin in the source tree.
std::string FakeBinDir();

// FakeBinDir() put before the current PATH (or /usr/bin:/bin when there is none).
std::string FakeBinPath();

// Sets (or, with std::nullopt, removes) an environment variable for the
// life of the object and puts the old value back afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const std::string& name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};
