// The UTF-8 conversions with their units cut at every kind of edge: reads of
// a byte or a few, 64-byte chunks, 4096-byte stretches and input blocks. A
// case moved across them by ASCII before it gives what it gives whole.
#include <gtest/gtest.h>

#include "filter_references.h"
#include "support/texts.h"

namespace zolt::testing {
namespace {

TEST(Encode, UnitsCutAtAnyEdge) {
  const std::string fffd = "\xEF\xBF\xBD", geta = "\x81\xAC", bom = "\xEF\xBB\xBF";
  // A stopping case's `at` is the offset of the unit it stops at; a replacing
  // one's is the count of units replaced.
  const struct {
    const char* sw;
    std::string in, out;
    size_t at;
  } cases[] = {
      {"-Eu", "\x82\xA0\xB1\x83\x9F\x85\x40", "\xE3\x81\x82\xEF\xBD\xB1\xCE\x91", 5},
      {"-Eu+", "\x82\xA0\x85\x40\x81\n\x81", "\xE3\x81\x82" + fffd + fffd + "\n" + fffd, 3},
      {"-Es", "\xE3\x81\x82\xC2\xA7\xF0\x9F\x98\x80", "\x82\xA0\x81\x98", 5},
      {"-Es", "\xE0\x81\x81", "", 0},  // overlong
      {"-Es+", "\xE3\x81\x82\xF0\x9F\x98\x80\xED\xA0\x80\xC0\x80\xE0\x81\x81\xE3\x81",
       "\x82\xA0" + geta + geta + geta + geta + geta + geta + geta + geta + geta + geta, 10},
  };
  auto sjis = [](Text id) {
    std::string bytes;
    Utf8ToCp932(TextUtf8(id), &bytes);
    return bytes;
  };
  const std::string after(70, '\r');  // takes the case into a vector step
  for (const auto& c : cases) {
    bool stops = c.sw[3] != '+';
    for (size_t pad : {0u, 1u, 62u, 63u, 4093u, 4094u, 4095u, 131069u, 131070u, 131071u}) {
      std::string before(pad, 'a');  // with an LF every third byte
      for (size_t i = 0; i < pad; i += 3) before[i] = '\n';
      for (const std::vector<size_t>& reads : {std::vector<size_t>{}, {1}, {2}, {3}, {5}}) {
        bool narrow = pad % 2 == 1;
        SCOPED_TRACE(std::string(c.sw) + " after " + std::to_string(pad) + " reads of " +
                     std::to_string(reads.empty() ? 0 : reads[0]) + (narrow ? " narrow" : ""));
        FilterRun run = RunFilterJob(c.sw, before + c.in + after, reads, SIZE_MAX,
                                     narrow ? VectorWidth::k16 : VectorWidth::k64);
        EXPECT_EQ(run.out, before + c.out + (stops ? "" : after));
        EXPECT_EQ(run.result, stops ? JobResult::kFailed : JobResult::kDone);
        EXPECT_EQ(run.err, stops ? sjis(Text::kUnconvertible) + "line " +
                                       std::to_string(1 + (pad + 2) / 3) + ", byte " +
                                       std::to_string(pad + c.at) + "\n"
                                 : sjis(Text::kReplaced) + std::to_string(c.at) + "\n");
      }
    }
  }
  // A byte-order mark read a byte at a time is skipped once, a part of one is cut short.
  EXPECT_EQ(RunFilterJob("-Es+", bom + bom + "\xEF\xBB", {1}).out, geta + geta);
  EXPECT_EQ(RunFilterJob("-Es+", "\xEF\xBB", {1}).out, geta);
  EXPECT_EQ(RunFilterJob("-Es+", "\xEFx", {1}).out, geta + "x");
}

}  // namespace
}  // namespace zolt::testing
