#include "tools/hlpc/HelpSource.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string Compile(const std::string& src) {
  std::string file, error;
  EXPECT_TRUE(CompileHelp(src, &file, &error)) << error;
  return file;
}

std::string Decompile(const std::string& file) {
  std::string src, error;
  EXPECT_TRUE(DecompileHelp(file, &src, &error)) << error;
  return src;
}

std::string CompileError(const std::string& src) {
  std::string file, error;
  EXPECT_FALSE(CompileHelp(src, &file, &error)) << "accepted:\n" << src;
  return error;
}

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

// A help file as the viewer sees it: header, table, records, and no names.
std::string RawFile(const std::initializer_list<std::string>& screens) {
  std::string f = B({0, 0, 0});
  uint32_t off = static_cast<uint32_t>(3 + 4 * screens.size());
  for (const std::string& s : screens) {
    f += B({int(off >> 24), int(off >> 16 & 255), int(off >> 8 & 255), int(off & 255)});
    off += static_cast<uint32_t>(7 + s.size());
  }
  for (const std::string& s : screens) {
    uint32_t n = static_cast<uint32_t>(s.size());
    f += B({0, 0, 0, int(n >> 24), int(n >> 16 & 255), int(n >> 8 & 255), int(n & 255)}) + s;
  }
  return f;
}

// The content bytes of screen n of a file made by CompileHelp.
std::string Content(const std::string& f, size_t n) {
  auto at = [&](size_t i) {
    return uint32_t(uint8_t(f[i])) << 24 | uint32_t(uint8_t(f[i + 1])) << 16 |
           uint32_t(uint8_t(f[i + 2])) << 8 | uint32_t(uint8_t(f[i + 3]));
  };
  size_t off = at(3 + 4 * n);
  return f.substr(off + 7, at(off + 3));
}

TEST(HelpSourceCompile, WritesTheViewersLayout) {
  std::string f = Compile(
      "@screen intro\n"
      "@title Intro\n"
      "Hello\n"
      "World\\\n"
      "@screen setup\n"
      "See {intro|Intro} and `\\x02{x}`.\n"
      "{#0|nowhere}\n"
      "{^setup|alt}\\\n");
  std::string head = B({0, 0, 2, 0, 0, 0, 11, 0, 0, 0, 36});
  EXPECT_EQ(f.substr(0, 11), head);
  EXPECT_EQ(f.substr(11, 7), B({0, 0, 0, 0, 0, 0, 18}));
  EXPECT_EQ(Content(f, 0), B({2}) + "Intro" + B({1}) + "Hello" + B({6}) + "World");
  EXPECT_EQ(Content(f, 1), "See " + B({4, 0, 1}) + "Intro" + B({1}) + " and " + B({3, 2}) +
                               "{x}" + B({1}) + "." + B({6, 4, 0, 0}) + "nowhere" + B({1, 6}) +
                               B({5, 0, 2}) + "alt" + B({1}));
  // The names follow the last screen.
  EXPECT_EQ(f.substr(f.size() - 12), "intro\nsetup\n");
}

TEST(HelpSourceCompile, RefusesFaultySource) {
  const char* screen = "@screen a\n";
  EXPECT_EQ(CompileError(""), "line 0: no @screen in the source");
  EXPECT_EQ(CompileError("text\n@screen a\n"), "line 1: text before the first @screen");
  EXPECT_EQ(CompileError("@screen a\n@screen a\n"), "line 2: screen 'a' defined twice");
  EXPECT_EQ(CompileError("@screen a b\n"),
            "line 1: @screen needs a name of letters, digits, '-' and '_'");
  EXPECT_EQ(CompileError(std::string(screen) + "x {b|y}\n"), "line 2: link to unknown screen 'b'");
  EXPECT_EQ(CompileError(std::string(screen) + "{a|y\n"), "line 2: unterminated link");
  EXPECT_EQ(CompileError(std::string(screen) + "{a y}\n"),
            "line 2: link without '|' after its target");
  EXPECT_EQ(CompileError(std::string(screen) + "{#65536|y}\n"),
            "line 2: link target #65536 is not a number from 0 to 65535");
  EXPECT_EQ(CompileError(std::string(screen) + "`abc\n"), "line 2: unterminated literal run");
  EXPECT_EQ(CompileError(std::string(screen) + "a \\q\n"), "line 2: unknown escape \\q");
  EXPECT_EQ(CompileError(std::string(screen) + "\\x4g\n"),
            "line 2: \\x needs two hexadecimal digits");
  EXPECT_EQ(CompileError(std::string(screen) + "a }\n"), "line 2: '}' outside a link (write \\})");
  EXPECT_EQ(CompileError(std::string(screen) + "dos\r\n"),
            "line 2: control character 0x0d (write \\x0d)");
  EXPECT_EQ(CompileError(std::string(screen) + "@titel x\n"),
            "line 2: unknown directive @titel x (write \\@ for a text '@')");
  std::string many = screen;
  for (int i = 0; i < 43; i++) many += "{a|x}\n";
  EXPECT_EQ(CompileError(many), "line 44: screen 'a' has more than 42 links");
  std::string big = screen;
  for (int i = 0; i < 700; i++) big += std::string(99, 'x') + "\n";
  EXPECT_NE(CompileError(big).find("more than the viewer reads (65535)"), std::string::npos);
}

TEST(HelpSourceRoundTrip, SourceFileSourceAndFileSourceFile) {
  const std::string src =
      "@screen contents\n"
      "@title Help \\{1\\}\n"
      "\\@home and a @ inside, a tab\there, \\\\ and \\x7f\n"
      "Inline {next|Next screen} link, `literal \\`\\x06 run` and {#0|zero}.\n"
      "{next|Alone}\n"
      "\n"
      "cut before a title\\\n"
      "@title Second\n"
      "@screen next\n"
      "@title\n"
      "{^contents|Back | home}\n"
      "\\x01 stray end\\\n";
  std::string f = Compile(src);
  EXPECT_EQ(Decompile(f), src);
  EXPECT_EQ(Compile(Decompile(f)), f);
}

TEST(HelpSourceDecompile, NamesAndCodesOfForeignFiles) {
  // A file without stored names, with codes that are cut off or stray.
  std::string f = RawFile({B({2}) + "T" + B({1}) + "a" + B({4, 0, 2}) + "go" + B({1, 6}),
                           "x" + B({1}) + "y" + B({4, 0}),
                           B({3}) + "open literal", B({2}) + "open title" + B({4, 0, 9, 'z'})});
  std::string src = Decompile(f);
  EXPECT_EQ(src,
            "@screen screen0\n@title T\na{screen1|go}\n"
            "@screen screen1\nx\\x01y\\x04\\x00\\\n"
            "@screen screen2\n\\x03open literal\\\n"
            "@screen screen3\n\\x02open title\\x04\\x00\tz\\\n");
  // Recompiled, every screen keeps its bytes.
  std::string g = Compile(src);
  for (size_t n = 0; n < 4; n++) EXPECT_EQ(Content(g, n), Content(f, n)) << n;

  std::string error;
  EXPECT_FALSE(DecompileHelp("ab", &src, &error));
  EXPECT_EQ(error, "shorter than a help file header");
  // Offsets and lengths outside the file give empty screens.
  std::string bad = B({0, 0, 0, 0, 0, 0, 11, 0xff, 0xff, 0xff, 0, 0, 0, 0, 0x7f, 0xff, 0xff, 0xff,
                       'a', 'b'});
  EXPECT_TRUE(DecompileHelp(bad, &src, &error));
  EXPECT_EQ(src, "@screen screen0\nab\\\n@screen screen1\n");
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(ShippedHelpSource, CompilesAndRoundTrips) {
  const char* dir = getenv("SETUP_SOURCE_DIR");
  ASSERT_NE(dir, nullptr);
  std::string src = ReadFile(std::string(dir) + "/help/setup.hlpsrc");
  ASSERT_FALSE(src.empty());
  std::string f = Compile(src);
  EXPECT_EQ(Decompile(f), src);
  EXPECT_EQ(Compile(Decompile(f)), f);
}

}  // namespace
