// Where the stand-in commands live, and scoped environment changes.
#include "tests/support/FakeBin.h"

#include <cstdlib>

std::string FakeBinDir() { return std::string(SETUP_SOURCE_DIR) + "/tests/fakebin"; }

std::string FakeBinPath() {
  const char* path = std::getenv("PATH");
  return FakeBinDir() + ":" + (path ? path : "/usr/bin:/bin");
}

ScopedEnv::ScopedEnv(const std::string& name, const std::optional<std::string>& value)
    : name_(name) {
  if (const char* old = std::getenv(name.c_str())) old_ = old;
  value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
}

ScopedEnv::~ScopedEnv() {
  old_ ? setenv(name_.c_str(), old_->c_str(), 1) : unsetenv(name_.c_str());
}
