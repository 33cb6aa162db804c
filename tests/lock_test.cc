// One installer run at a time: a second run is refused while the first
// holds the host's lock, the lock dies with its process, and no lock file
// that someone else made is used.
#include <string>

#include "tests/support/Scenario.h"

namespace {

// The first run waits at its menu, reading from /h/in (fd 3 writes it);
// $pid is its process.
const char kFirstAtMenu[] =
    "mkfifo /h/in; /h/site/setup </h/in >/h/out & pid=$!; exec 3>/h/in; "
    "until grep -qs 'Enter option' /h/out; do :; done; ";
const char kLock[] = "/run/setup-" PKG ".lock";

TEST(Lock, OneRunAtATime) {
  SKIP_UNLESS_HOST();
  const std::string lock = kLock;
  const Scenario cases[] = {
      {"a second run is refused and leaves the first's work alone; the first then installs", "",
       std::string(kFirstAtMenu) +
           "ls -A /tmp/ZantoInstall > /h/wd1; cp /tmp/setup.log /h/log1; "
           "/h/site/setup </dev/null >/h/out2 2>/h/err2; echo $? > /h/st2; "
           "ls -A /tmp/ZantoInstall > /h/wd2; cmp /tmp/setup.log /h/log1 >&2; "
           "printf '1\\n\\ny\\n' >&3; exec 3>&-; wait $pid; st=$?; echo $pid > /h/pid; exit $st",
       "", 0, "", Installed("/opt/Zanto/7315", "/opt/Zanto"),
       "sed \"s/$(cat /h/pid)/PID/\" /h/err2; cat /h/st2 /h/out2; cmp /h/wd1 /h/wd2 && echo kept",
       "ERROR: another setup is running (process PID); wait for it to end\n1\nkept\n"},
      {"a run after one killed outright starts as usual", "",
       std::string(kFirstAtMenu) + "kill -KILL $pid; { wait $pid; } 2>/dev/null; /h/site/setup",
       "e\n", 0, "", "", "ls -A /tmp", "setup.log\n"},
      {"a lock file of another user's is not used", "touch " + lock + " && chown 65534 " + lock,
       "/h/site/setup", "e\n", 1,
       "ERROR: the lock file " + lock + " is not root's own plain file; not used\n", "",
       "ls -A /tmp; stat -c '%U %s' " + lock, "nobody 0\n"},
      {"a link for the lock file is not followed", "ln -s /etc/victim " + lock, "/h/site/setup",
       "e\n", 1, "ERROR: the lock file " + lock + " is not root's own plain file; not used\n", ""},
      {"lock-like files where others can write change nothing",
       AS_NOBODY "sh -c 'ln -s /etc/victim /tmp/setup-" PKG ".lock; touch /tmp/setup.lock'",
       "/h/site/setup", "e\n", 0, "", ""},
  };
  for (const Scenario& c : cases) {
    SCOPED_TRACE(c.name);
    RunScenario(c);
  }
}

}  // namespace
