// The help-file compiler and decompiler.
#include "HelpTty/HelpTesting.h"

namespace {

std::string Decompile(const std::string& file) {
  std::string src, error;
  EXPECT_TRUE(DecompileHelp(file, &src, &error)) << error;
  return src;
}

TEST(HelpSourceCompile, WritesTheViewersLayout) {
  std::string f = HelpFile(
      "@screen intro\n@title Intro\nHello\nWorld\\\n"
      "@screen setup\nSee {intro|Intro} and `\\x02{x}`.\n{#0|nowhere}\n{^setup|alt}\\\n");
  // The viewer's layout with the screen count in the header, then the names.
  EXPECT_EQ(f, Bytes({0, 0, 2}) +
                   RawHelpFile({Bytes({2}) + "Intro" + Bytes({1}) + "Hello" + Bytes({6}) + "World",
                                "See " + Bytes({4, 0, 1}) + "Intro" + Bytes({1}) + " and " +
                                    Bytes({3, 2}) + "{x}" + Bytes({1}) + "." + Bytes({6, 4, 0, 0}) +
                                    "nowhere" + Bytes({1, 6, 5, 0, 2}) + "alt" + Bytes({1})})
                       .substr(3) +
                   "\nhlpc screen names\nintro\nsetup\n");
}

TEST(HelpSourceCompile, RefusesFaultySource) {
  std::string many = "@screen a\n", big = many, raw = many + "@title T\n";
  for (int i = 0; i < 43; i++) many += "{a|x}\n";
  // Link codes written as escapes are links to the viewer too; those in a
  // literal run or a title are not.
  for (int i = 0; i < 42; i++) raw += i % 2 ? "{a|x}\n" : "\\x04\\x00\\x01x\\x01\n";
  raw += "`\\x05\\x00\\x01x\\x01`\n@title \\x05\\x00\\x01x\\x01\ny \\x05\\x00\\x01x\\x01\n";
  for (int i = 0; i < 700; i++) big += std::string(99, 'x') + "\n";
  // clang-format off
  const struct { std::string src, error; } cases[] = {
      {"", "line 0: no @screen in the source"},
      {"text\n@screen a\n", "line 1: text before the first @screen"},
      {"@screen a\n@screen a\n", "line 2: screen 'a' defined twice"},
      {"@screen a b\n", "line 1: @screen needs a name of letters, digits, '-' and '_'"},
      {"@screen a\nx {b|y}\n", "line 2: link to unknown screen 'b'"},
      {"@screen a\n{a|y\n", "line 2: unterminated link"},
      {"@screen a\n{a y}\n", "line 2: link without '|' after its target"},
      {"@screen a\n{#65536|y}\n", "line 2: link target #65536 is not a number from 0 to 65535"},
      {"@screen a\n`abc\n", "line 2: unterminated literal run"},
      {"@screen a\na \\q\n", "line 2: unknown escape \\q"},
      {"@screen a\n\\x4g\n", "line 2: \\x needs two hexadecimal digits"},
      {"@screen a\na }\n", "line 2: '}' outside a link (write \\})"},
      {"@screen a\ndos\r\n", "line 2: control character 0x0d (write \\x0d)"},
      {"@screen a\n@titel x\n", "line 2: unknown directive @titel x (write \\@ for a text '@')"},
      {many, "line 44: screen 'a' has more than 42 links"},
      {raw, "line 47: screen 'a' has more than 42 links"},
      {big, "line 701: the help file would be 70035 bytes, more than the viewer reads (65535)"},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::string file, error;
    EXPECT_FALSE(CompileHelp(c.src, &file, &error)) << c.src;
    EXPECT_EQ(error, c.error);
  }
}

TEST(HelpSourceRoundTrip, SourceFileSourceAndFileSourceFile) {
  const std::string ownSource =
      "@screen contents\n@title Help \\{1\\}\n"
      "\\@home and a @ inside, a tab\there, \\\\ and \\x7f\n"
      "Inline {next|Next screen} link, `literal \\`\\x06 run` and {#0|zero}.\n"
      "{next|Alone}\n\ncut before a title\\\n@title Second\n"
      "@screen next\n@title\n{^contents|Back | home}\n\\x01 stray end\\\n";
  for (const std::string& src : {ownSource, ShippedHelpSource()}) {
    ASSERT_FALSE(src.empty()) << "SETUP_SOURCE_DIR not set?";
    std::string f = HelpFile(src);
    EXPECT_EQ(Decompile(f), src);
    EXPECT_EQ(HelpFile(Decompile(f)), f);
  }
}

TEST(HelpSourceDecompile, NamesAndCodesOfForeignFiles) {
  // A file without stored names, with codes that are cut off or stray.
  std::string f =
      RawHelpFile({Bytes({2}) + "T" + Bytes({1}) + "a" + Bytes({4, 0, 2}) + "go" + Bytes({1, 6}),
                   "x" + Bytes({1}) + "y" + Bytes({4, 0}), Bytes({3}) + "open literal",
                   Bytes({2}) + "open title" + Bytes({4, 0, 9, 'z'})});
  std::string src = Decompile(f);
  EXPECT_EQ(src,
            "@screen screen0\n@title T\na{screen1|go}\n"
            "@screen screen1\nx\\x01y\\x04\\x00\\\n"
            "@screen screen2\n\\x03open literal\\\n"
            "@screen screen3\n\\x02open title\\x04\\x00\tz\\\n");
  // Recompiled, every screen keeps its bytes.
  EXPECT_EQ(HelpFile(src).substr(3, f.size() - 3), f.substr(3));

  std::string error, shared = Bytes({0, 0, 0}) + Be32(11) + Be32(11) + Bytes({0, 0, 0}) +
                              Be32(40000) + std::string(40000, 'x');
  EXPECT_FALSE(DecompileHelp("ab", &src, &error));
  EXPECT_EQ(error, "shorter than a help file header");
  // Screens that share their bytes: the source would be gigabytes.
  EXPECT_FALSE(DecompileHelp(shared, &src, &error));
  EXPECT_EQ(error, "its screens hold more than 65535 bytes together, more than a help file can");
  // Cut to 29993 bytes of content, both screens show them.
  const std::string body = std::string(29993, 'x') + "\\\n";
  EXPECT_EQ(Decompile(shared.substr(0, 30011)),
            "@screen screen0\n" + body + "@screen screen1\n" + body);
  // Offsets and lengths outside the file give empty screens.
  EXPECT_EQ(Decompile(Bytes({0, 0, 0, 0, 0,    0,    11,   0xff, 0xff, 0xff,
                             0, 0, 0, 0, 0x7f, 0xff, 0xff, 0xff, 'a',  'b'})),
            "@screen screen0\nab\\\n@screen screen1\n");
}

}  // namespace
