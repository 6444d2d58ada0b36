// Every filter job against its byte-at-a-time reference, on random texts
// cut into reads at random places, and the duplicate-line filter's memory.
// (Example inputs and outputs of each filter are rows of the end-to-end
// tables.)
#include <gtest/gtest.h>

#include <random>

#include "filter_references.h"
#include "io/stream.h"
#include "support/texts.h"

namespace zolt::testing {
namespace {

using Generator = std::string (*)(std::mt19937*, size_t max_length);

// Random text biased towards the bytes the filters treat specially: CR,
// LF, TAB, control codes, Shift-JIS lead bytes, half-width katakana and
// sound marks, and letters.
std::string RandomText(std::mt19937* rng, size_t max_length) {
  static const unsigned char kSpecial[] = {
      '\r', '\n', '\t', 0x00, 0x1A, 0x7F, 0x81, 0x82, 0x83, 0x9F, 0xE0, 0xFC, 0xA0, 0xA1,
      0xB3, 0xB6, 0xC4, 0xC5, 0xCA, 0xCE, 0xCF, 0xDE, 0xDF, 'A',  'Z',  'a',  'z',  'x'};
  std::string text((*rng)() % (max_length + 1), '\0');
  for (char& c : text) {
    unsigned r = (*rng)() % 8;
    c = static_cast<char>(r < 5   ? kSpecial[(*rng)() % sizeof(kSpecial)]
                          : r < 7 ? 'A' + (*rng)() % 58  // letters and a few signs
                                  : (*rng)() % 256);
  }
  return text;
}

// Text as it mostly is: runs of letters, TABs and katakana with CR LF line
// ends, now and then a lone CR or LF or another control code. The block
// filters skip whole chunks of such text.
std::string MostlyCleanText(std::mt19937* rng, size_t max_length) {
  static const char* const kOdd[] = {"\r", "\n", "\n\r", "\x1A", "\x7F", "\r\r\n", "\xDE\xDF"};
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

// Read sizes that cut `size` bytes at random places: mostly short reads
// (size 1 included), some long ones.
std::vector<size_t> RandomReads(std::mt19937* rng, size_t size) {
  std::vector<size_t> reads = {1};
  for (size_t total = 0; total < size; total += reads.back()) {
    unsigned kind = (*rng)() % 4;
    reads.push_back(kind == 0 ? 1 : 1 + (*rng)() % (kind < 3 ? 8 : 4096));
  }
  return reads;
}

// Bytes as hexadecimal pairs, at most 400 of them, for failure messages.
std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (char c : bytes.substr(0, 400)) {
    unsigned char b = static_cast<unsigned char>(c);
    text += {kDigits[b >> 4], kDigits[b & 15], ' '};
  }
  return bytes.size() > 400 ? text + "..." : text;
}

// Runs the job of `sw` on 400 texts from `generate`, each cut into reads at
// random places or a byte at a time, on 64-, 16- and 32-byte vectors in
// turn, and expects exactly the reference's bytes for the whole text.
// Reports the first text that differs.
void CheckAgainstReference(const std::string& sw, unsigned seed, Generator generate) {
  std::mt19937 rng(seed);
  for (int i = 0; i < 400; ++i) {
    // Mostly short texts, now and then one longer than an input block.
    std::string text = generate(&rng, i % 50 == 49 ? 3 * kStreamBlock : 400);
    std::vector<size_t> reads = RandomReads(&rng, text.size());
    if (i % 10 == 0) reads = {1};
    std::string expected = Reference(sw, text);
    const VectorWidth widths[] = {VectorWidth::k64, VectorWidth::k16, VectorWidth::k32};
    FilterRun run = RunFilterJob(sw, text, reads, SIZE_MAX, widths[i % 3]);
    if (run.out != expected || run.result != JobResult::kDone || !run.closed) {
      ADD_FAILURE() << "input " << Hex(text) << "\nexpected " << Hex(expected) << "\nactual   "
                    << Hex(run.out) << "\nresult " << static_cast<int>(run.result);
      return;
    }
  }
}

TEST(Filters, EveryFilterMatchesItsReferenceAtAnyBlockBoundary) {
  unsigned seed = 1;
  for (const std::string& sw : kFilterSwitches) {
    SCOPED_TRACE(sw);
    for (Generator generate : {RandomText, MostlyCleanText, RandomLines})
      CheckAgainstReference(sw, seed++, generate);
  }
}

TEST(Filters, DuplicateLinesNeedMemoryForTheLongestLineOnly) {
  // A hundred different lines of 10,000 bytes fit in room for a few.
  std::string in;
  for (int i = 0; i < 100; ++i) in += std::string(10000, static_cast<char>('A' + i % 26)) + "\n";
  FilterRun run = RunFilterJob("-U", in, {}, 40000);
  EXPECT_EQ(run.result, JobResult::kDone);
  EXPECT_EQ(run.out.size(), in.size());
  // Lines longer than any buffer are compared whole.
  std::string big(1 << 20, 'y'), other = big;
  other.back() = 'z';
  EXPECT_EQ(RunFilterJob("-U", big + "\n" + big + "\n" + other + "\n" + other).out,
            big + "\n" + other + "\n" + other);
  // No room at all, or none for the second line: the message and a failure.
  const std::string message = TextBytes(Text::kUniqMemoryError) + "\n";
  for (size_t budget : {size_t{0}, size_t{4096}}) {
    FilterRun short_of_memory =
        RunFilterJob("-U", "a\n" + std::string(5000, 'b') + "\n", {}, budget);
    EXPECT_EQ(short_of_memory.result, JobResult::kFailed);
    EXPECT_EQ(short_of_memory.err, message);
  }
}

}  // namespace
}  // namespace zolt::testing
