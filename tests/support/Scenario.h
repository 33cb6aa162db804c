// Table-driven whole-program scenarios: plant on a fresh copy of the host,
// run the installer (optionally while an attacker races it), and compare
// the exit status, standard error and what changed on the host.
#pragma once

#include <string>

#include "tests/support/SetupRun.h"

// Runs the rest of a shell line as an unprivileged user (uid 65534).
#define AS_NOBODY "setpriv --reuid=65534 --regid=65534 --clear-groups "

// The change list's lines that the run added to what the planting left,
// without the log and what lies inside the work directory.
std::string RunChanges(const SetupRun& h, const std::string& before);

// What a full installation of the sample package adds, with the driver
// directory app (its parent made too when parent is set).
std::string Installed(const std::string& app, const std::string& parent = "");

struct Scenario {
  const char* name;
  std::string plant;  // shell, as root, after /etc/victim (secret, 0600) is made
  std::string run;    // shell: runs the installer
  std::string input;
  int status;
  std::string err;         // standard error, exactly (a full-match pattern with errPattern)
  std::string changes;     // RunChanges, exactly; with a race, a pattern every line matches
  std::string check = "";  // shell whose output must be checkOut
  std::string checkOut = "";
  // The sample package at /h/site, with this list and tree.sh (PackageSite).
  std::string pkgList = "", tree = "";
  bool diskette = false;  // a diskette with the list, help file and first piece is in the drive
  bool errPattern = false;
};

// Plants, runs (with race, a shell loop of the attacker's, going on
// meanwhile) and checks; /etc/victim must come through untouched.
void RunScenario(const Scenario& s, const std::string& race = "");
