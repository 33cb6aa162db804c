// Placeholder until the installer's start-up lands.
#include <cstdio>
int main() {
  std::printf("\n");
  return 0;
}
