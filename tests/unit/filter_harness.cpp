#include "filter_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "filters/newline.h"
#include "unit/fake_platform.h"

namespace zolt::testing {

FilterRun RunJob(const std::function<int(StreamPair*)>& job, const std::string& input,
                 const std::vector<size_t>& reads, size_t allocation_budget) {
  FakePlatform fake;
  fake.read_sizes = reads;
  fake.allocation_budget = allocation_budget;
  StreamPair pair;
  AttachInput(&pair.input, fake.AddInput(input), true);
  int out = fake.AddOutput();
  AttachOutput(&pair.output, out, true, "out");
  FilterRun run;
  run.result = job(&pair);
  CloseOutput(&pair.output);
  CloseInput(&pair.input);
  run.out = fake.Contents(out);
  run.err = fake.err;
  return run;
}

std::vector<size_t> RandomReads(std::mt19937* rng, size_t size) {
  std::vector<size_t> reads;
  size_t total = 0;
  while (total < size) {
    size_t n;
    switch ((*rng)() % 4) {
      case 0:
        n = 1;
        break;
      case 1:
      case 2:
        n = 1 + (*rng)() % 8;
        break;
      default:
        n = 1 + (*rng)() % 4096;
        break;
    }
    reads.push_back(n);
    total += n;
  }
  if (reads.empty()) reads.push_back(1);
  return reads;
}

std::string RandomText(std::mt19937* rng, size_t max_length) {
  static const unsigned char kSpecial[] = {
      '\r', '\n', '\t', 0x00, 0x1A, 0x7F, 0x81, 0x82, 0x83, 0x9F, 0xE0, 0xFC, 0xA0, 0xA1,
      0xB3, 0xB6, 0xC4, 0xC5, 0xCA, 0xCE, 0xCF, 0xDE, 0xDF, 'A',  'Z',  'a',  'z',  'x'};
  size_t length = (*rng)() % (max_length + 1);
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    unsigned r = (*rng)() % 8;
    unsigned char b;
    if (r < 5) {
      b = kSpecial[(*rng)() % sizeof(kSpecial)];
    } else if (r < 7) {
      b = static_cast<unsigned char>('A' + (*rng)() % 58);  // letters and a few signs
    } else {
      b = static_cast<unsigned char>((*rng)() % 256);
    }
    text.push_back(static_cast<char>(b));
  }
  return text;
}

void CheckAgainstReference(const Job& job, const Reference& reference, unsigned seed,
                           const Generator& generate) {
  std::mt19937 rng(seed);
  for (int i = 0; i < 400; ++i) {
    // Mostly short texts, now and then one longer than an input block.
    size_t max_length = i % 50 == 49 ? 3 * kStreamBlock : 400;
    std::string text = generate(&rng, max_length);
    std::vector<size_t> reads = RandomReads(&rng, text.size());
    if (i % 10 == 0) reads = {1};
    std::string expected = reference(text);
    FilterRun run = RunJob(job, text, reads);
    if (run.out != expected || run.result != 0) {
      ADD_FAILURE() << "input " << Hex(text.substr(0, 400)) << (text.size() > 400 ? "..." : "")
                    << "\nexpected " << Hex(expected.substr(0, 400)) << "\nactual   "
                    << Hex(run.out.substr(0, 400)) << "\nresult " << run.result;
      return;
    }
  }
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char b : bytes) {
    if (!text.empty()) text += ' ';
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

int ConvertNewlineType(StreamPair* pair, int type) {
  if (type == 0) return CopyUnchanged(pair);
  return ConvertNewlines(pair, type == 1   ? Newline::kCrLf
                               : type == 2 ? Newline::kLf
                                           : Newline::kCr);
}

}  // namespace zolt::testing
