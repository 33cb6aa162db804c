// CowView: a throw-away copy-on-write view of this host, and the list of
// what changed in it.
//
// The view is made in a private mount namespace: every mount of the host
// is covered by an overlay whose changed layer lives on a tmpfs (the
// kernel's /proc, /sys and /dev are passed through, so commands that act
// on devices still reach the real ones). Part of the program runs in a
// child chrooted into the view; the parent, outside it, then compares
// each changed layer with the host and lists every path that was added
// (+), changed (~) or removed (-), sorted by path, as
//     OP TYPE MODE OWNER GROUP PATH[ -> LINK TARGET]
// with TYPE one of f d l c b p s. The view and its scratch directory go
// when the child has ended, however it ended.
#pragma once

#include <functional>
#include <string>
#include <vector>

// One overlay mounted at mount: what was there before (lower), the
// changed layer (upper) and the merged view. Paths in the list are the
// mount's; a path at or below another layer's mount belongs to that one.
struct ChangeLayer {
  std::string mount;
  std::string lower;
  std::string upper;
  std::string view;
};

// The change lines of the layers, sorted by path; paths equal to or below
// an exclude are left out.
std::vector<std::string> ListChanges(const std::vector<ChangeLayer>& layers,
                                     const std::vector<std::string>& excludes);

// Runs body in a child process chrooted into a new view (the working
// directory kept when the view has it, else /) and returns the child's
// exit status (128 + N when signal N ended it), with the change list in
// *changes. When the view cannot be made, returns -1 with the reason in
// *why and runs nothing. Needs root.
int RunInView(const std::function<int()>& body, std::vector<std::string>* changes,
              std::string* why);
