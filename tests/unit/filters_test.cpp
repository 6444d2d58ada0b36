// Every line filter against its byte-at-a-time reference, on random texts
// cut into reads at random places, and the duplicate-line filter's memory.
// (Example inputs and outputs of each filter are rows of the end-to-end
// tables.)
#include <gtest/gtest.h>

#include "filter_harness.h"
#include "filter_references.h"
#include "filters/control_codes.h"
#include "filters/kana.h"
#include "filters/letter_case.h"
#include "filters/newline.h"
#include "filters/tabs.h"
#include "filters/uniq.h"
#include "support/texts.h"

namespace zolt::testing {
namespace {

// Text as it mostly is: runs of letters, TABs and katakana with CR LF line
// ends, now and then a lone CR or LF or another control code. The block
// filters skip whole chunks of such text.
std::string MostlyCleanText(std::mt19937* rng, size_t max_length) {
  static const char* const kOdd[] = {"\r", "\n", "\n\r", "\x1A", "\x7F", "\r\r\n", "\xB6\xDE"};
  size_t length = (*rng)() % (max_length + 1);
  std::string text;
  while (text.size() < length) {
    text.append((*rng)() % 90, (*rng)() % 3 == 0 ? '\t' : (*rng)() % 2 ? 'a' : '\xB6');
    text += (*rng)() % 30 == 0 ? kOdd[(*rng)() % std::size(kOdd)] : "\r\n";
  }
  return text;
}

// Lines drawn from a small set, in letter-case variants, so that runs of
// equal lines, prefixes of lines and near misses are common.
std::string RandomLines(std::mt19937* rng, size_t max_length) {
  static const std::string kLines[] = {"",
                                       "a",
                                       "ab",
                                       "abc",
                                       "abd",
                                       "\x83\x41",
                                       "\x83\x61",
                                       std::string("x\0y", 3),
                                       std::string("x\0z", 3),
                                       "\r",
                                       "abc\r"};
  std::string text;
  size_t length = (*rng)() % (max_length + 1);
  while (text.size() < length) {
    std::string line = kLines[(*rng)() % std::size(kLines)];
    if ((*rng)() % 50 == 0) line.append((*rng)() % 10000, 'q');
    for (char& c : line)
      if ((*rng)() % 4 == 0 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
    for (int copies = 1 + static_cast<int>((*rng)() % 3); copies > 0; --copies) text += line + "\n";
  }
  if ((*rng)() % 2 == 0 && !text.empty()) text.pop_back();  // last line without LF
  return text;
}

int Uniq(StreamPair* p) {
  return FoldDuplicateLines(p, false);
}

TEST(Filters, EveryFilterMatchesItsReferenceAtAnyBlockBoundary) {
  struct Row {
    const char* name;
    Job job;
    Reference reference;
  };
  const Row rows[] = {
      {"copy", CopyUnchanged, [](const std::string& s) { return s; }},
      {"-Cd", [](StreamPair* p) { return ConvertNewlineType(p, 1); },
       [](const std::string& s) { return ReferenceCrconv(s, 1); }},
      {"-Cu", [](StreamPair* p) { return ConvertNewlineType(p, 2); },
       [](const std::string& s) { return ReferenceCrconv(s, 2); }},
      {"-Cm", [](StreamPair* p) { return ConvertNewlineType(p, 4); },
       [](const std::string& s) { return ReferenceCrconv(s, 4); }},
      {"-J", JoinLines, ReferenceJoin},
      {"-L", [](StreamPair* p) { return ChangeCase(p, true); },
       [](const std::string& s) { return ReferenceCase(s, true); }},
      {"-P", [](StreamPair* p) { return ChangeCase(p, false); },
       [](const std::string& s) { return ReferenceCase(s, false); }},
      {"-D", DeleteControlCodes, ReferenceDeleteControl},
      {"-K", WidenKana, ReferenceKana},
      {"-T0", DeleteTabs, ReferenceDeleteTabs},
      {"-T3", [](StreamPair* p) { return ExpandTabs(p, 3); },
       [](const std::string& s) { return ReferenceTabs(s, 3); }},
      {"-T8", [](StreamPair* p) { return ExpandTabs(p, 8); },
       [](const std::string& s) { return ReferenceTabs(s, 8); }},
      {"-U", Uniq, [](const std::string& s) { return ReferenceUniq(s, false); }},
      {"-U+", [](StreamPair* p) { return FoldDuplicateLines(p, true); },
       [](const std::string& s) { return ReferenceUniq(s, true); }},
  };
  unsigned seed = 1;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CheckAgainstReference(row.job, row.reference, seed++);
    CheckAgainstReference(row.job, row.reference, seed++, MostlyCleanText);
    if (row.name[1] == 'U') CheckAgainstReference(row.job, row.reference, seed++, RandomLines);
  }
  for (int width = 1; width <= 8; ++width)
    CheckAgainstReference([width](StreamPair* p) { return ExpandTabs(p, width); },
                          [width](const std::string& s) { return ReferenceTabs(s, width); },
                          100 + width, MostlyCleanText);
}

TEST(Filters, DuplicateLinesNeedMemoryForTheLongestLineOnly) {
  // A hundred different lines of 10,000 bytes fit in room for a few.
  std::string in;
  for (int i = 0; i < 100; ++i) in += std::string(10000, static_cast<char>('A' + i % 26)) + "\n";
  FilterRun run = RunJob(Uniq, in, {}, 40000);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.out.size(), in.size());
  // Lines longer than any buffer are compared whole.
  std::string big(1 << 20, 'y'), other = big;
  other.back() = 'z';
  EXPECT_EQ(RunJob(Uniq, big + "\n" + big + "\n" + other + "\n" + other).out,
            big + "\n" + other + "\n" + other);
  // No room at all, or none for the second line: the message and a failure.
  const std::string message = TextBytes(Text::kUniqMemoryError) + "\n";
  for (size_t budget : {size_t{0}, size_t{4096}}) {
    FilterRun short_of_memory = RunJob(Uniq, "a\n" + std::string(5000, 'b') + "\n", {}, budget);
    EXPECT_EQ(short_of_memory.result, -1);
    EXPECT_EQ(short_of_memory.err, message);
  }
}

}  // namespace
}  // namespace zolt::testing
