// cowlist: the change list of overlay layers, for a tool that makes its
// own view (tools/cowhost), so that there is one way of listing changes.
//
//   cowlist [-x PATH]... MOUNT LOWER UPPER VIEW [MOUNT LOWER UPPER VIEW]...
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "CowView/CowView.h"

int main(int argc, char** argv) {
  std::vector<std::string> excludes;
  int i = 1;
  for (; i + 1 < argc && std::strcmp(argv[i], "-x") == 0; i += 2) excludes.push_back(argv[i + 1]);
  if (i < argc && (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0)) {
    std::printf("usage: cowlist [-x PATH]... MOUNT LOWER UPPER VIEW [MOUNT LOWER UPPER VIEW]...\n");
    return 0;
  }
  if (argc == i || (argc - i) % 4 != 0) {
    std::fprintf(
        stderr, "usage: cowlist [-x PATH]... MOUNT LOWER UPPER VIEW [MOUNT LOWER UPPER VIEW]...\n");
    return 2;
  }
  std::vector<ChangeLayer> layers;
  for (; i < argc; i += 4) layers.push_back({argv[i], argv[i + 1], argv[i + 2], argv[i + 3]});
  for (const std::string& line : ListChanges(layers, excludes)) std::printf("%s\n", line.c_str());
  return 0;
}
