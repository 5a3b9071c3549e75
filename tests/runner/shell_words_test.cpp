#include "runner/shell_words.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace droplet {
namespace {

using Words = std::vector<std::string>;

TEST(PlainShellWords, SplitsOnlyLinesTheShellWouldRunAsTheyStand) {
  const struct {
    const char* line;
    std::optional<Words> words;
  } cases[] = {
      {"pdftotext '/tmp/a b.pdf'", Words{"pdftotext", "/tmp/a b.pdf"}},
      {"pdftohtml -c  -stdout 'x.pdf'", Words{"pdftohtml", "-c", "-stdout", "x.pdf"}},
      {"'/opt/Tessik/pdftotext' 'it'\\''s.pdf'", std::nullopt},  // an escaped quote
      {"a 'b'c'd' '' \t e", Words{"a", "bcd", "", "e"}},
      {"'/bin/echo' 'città €'", Words{"/bin/echo", "città €"}},
      {"'/x/exit' 1", Words{"/x/exit", "1"}},  // a path is never a built-in
      {"'a=b' c", Words{"a=b", "c"}},          // a quoted name assigns nothing
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"''", std::nullopt},  // no program at all
      {"a=b c", std::nullopt},
      {"echo x", std::nullopt},
      {"exit 3", std::nullopt},
      {"'cd' /", std::nullopt},
      {"if x", std::nullopt},
      {"a 'unterminated", std::nullopt},
      {"a $HOME", std::nullopt},
      {"a \"b\"", std::nullopt},
      {"a b\\ c", std::nullopt},
      {"a *.pdf", std::nullopt},
      {"a ~", std::nullopt},
      {"a #b", std::nullopt},
      {"a; b", std::nullopt},
      {"a | b", std::nullopt},
      {"a > b", std::nullopt},
      {"a & b", std::nullopt},
      {"a\nb", std::nullopt},
      {"(a)", std::nullopt},
      {"a `b`", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PlainShellWords(c.line), c.words) << '"' << c.line << '"';
  }
}

}  // namespace
}  // namespace droplet
