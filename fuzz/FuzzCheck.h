// Shared by the fuzz targets: a property check that keeps the input, and
// the input as the stream a file of these bytes would give.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// A failed property names itself and aborts, so libFuzzer saves the input.
#define FUZZ_CHECK(cond)                                                                  \
  do {                                                                                    \
    if (!(cond)) {                                                                        \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                       \
    }                                                                                     \
  } while (0)

// A read-only stream over the bytes; the caller closes it.
inline FILE* OpenBytes(const uint8_t* data, size_t size) {
  static char none[1];
  void* bytes = size ? static_cast<void*>(const_cast<uint8_t*>(data)) : none;
  FILE* f = fmemopen(bytes, size, "r");
  if (!f) std::abort();
  return f;
}

// The pieces fgets(buf, size) hands over one after another: at most
// size - 1 bytes each, a line end closing one. NUL bytes are kept.
inline std::vector<std::string> FgetsPieces(const std::string& in, size_t size) {
  std::vector<std::string> pieces;
  size_t i = 0;
  while (i < in.size()) {
    size_t nl = in.find('\n', i);
    size_t end = nl == std::string::npos ? in.size() : nl + 1;
    if (end - i > size - 1) end = i + size - 1;
    pieces.push_back(in.substr(i, end - i));
    i = end;
  }
  return pieces;
}

// The text up to its first NUL, as a C string reader sees it.
inline std::string CText(const std::string& s) { return s.substr(0, s.find('\0')); }
