// Fuzz target for the line filters. The first byte picks the filter, the
// second how the input is cut into reads; the rest is the input. Every
// filter must give exactly the bytes of its byte-at-a-time reference,
// whatever the read boundaries, and succeed.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "filters/control_codes.h"
#include "filters/kana.h"
#include "filters/letter_case.h"
#include "filters/newline.h"
#include "filters/tabs.h"
#include "filters/uniq.h"
#include "io/stream_pair.h"
#include "unit/fake_platform.h"
#include "unit/filter_references.h"

namespace zolt {
namespace {

// The newline job of type 0 (the plain copy), 1 (CR LF), 2 (LF) or 4 (CR).
int Newlines(StreamPair* p, int type) {
  if (type == 0) return CopyUnchanged(p);
  return ConvertNewlines(p, type == 1 ? Newline::kCrLf : type == 2 ? Newline::kLf : Newline::kCr);
}

struct Filter {
  const char* name;
  int (*run)(StreamPair*, int);
  std::string (*reference)(const std::string&, int);
  int parameter;
};

const Filter kFilters[] = {
    {"copy", [](StreamPair* p, int t) { return Newlines(p, t); },
     [](const std::string& s, int) { return s; }, 0},
    {"crlf", [](StreamPair* p, int t) { return Newlines(p, t); }, testing::ReferenceCrconv, 1},
    {"lf", [](StreamPair* p, int t) { return Newlines(p, t); }, testing::ReferenceCrconv, 2},
    {"cr", [](StreamPair* p, int t) { return Newlines(p, t); }, testing::ReferenceCrconv, 4},
    {"join", [](StreamPair* p, int) { return JoinLines(p); },
     [](const std::string& s, int) { return testing::ReferenceJoin(s); }, 0},
    {"lower", [](StreamPair* p, int) { return ChangeCase(p, true); },
     [](const std::string& s, int) { return testing::ReferenceCase(s, true); }, 0},
    {"upper", [](StreamPair* p, int) { return ChangeCase(p, false); },
     [](const std::string& s, int) { return testing::ReferenceCase(s, false); }, 0},
    {"control", [](StreamPair* p, int) { return DeleteControlCodes(p); },
     [](const std::string& s, int) { return testing::ReferenceDeleteControl(s); }, 0},
    {"kana", [](StreamPair* p, int) { return WidenKana(p); },
     [](const std::string& s, int) { return testing::ReferenceKana(s); }, 0},
    {"notabs", [](StreamPair* p, int) { return DeleteTabs(p); },
     [](const std::string& s, int) { return testing::ReferenceDeleteTabs(s); }, 0},
    {"tabs", [](StreamPair* p, int n) { return ExpandTabs(p, n); }, testing::ReferenceTabs, 8},
    {"uniq", [](StreamPair* p, int) { return FoldDuplicateLines(p, false); },
     [](const std::string& s, int) { return testing::ReferenceUniq(s, false); }, 0},
    {"uniqfold", [](StreamPair* p, int) { return FoldDuplicateLines(p, true); },
     [](const std::string& s, int) { return testing::ReferenceUniq(s, true); }, 0},
};

}  // namespace
}  // namespace zolt

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zolt;
  if (size < 2) return 0;
  const Filter& filter = kFilters[data[0] % std::size(kFilters)];
  int parameter = filter.parameter;
  if (parameter == 8) parameter = 1 + (data[0] / std::size(kFilters)) % 8;  // tab width
  // Read sizes: whole blocks, one byte at a time, or a cycle of small sizes.
  std::vector<size_t> reads;
  unsigned cut = data[1];
  if (cut % 4 == 1) reads = {1};
  if (cut % 4 >= 2) reads = {1 + cut / 4 % 7, 1 + cut / 32, 2 + cut % 5};
  std::string input(reinterpret_cast<const char*>(data + 2), size - 2);

  std::string expected = filter.reference(input, parameter);
  FakePlatform fake;
  fake.read_sizes = reads;
  StreamPair pair;
  AttachInput(&pair.input, fake.AddInput(input), true);
  int out = fake.AddOutput();
  AttachOutput(&pair.output, out, true, "out");
  int result = filter.run(&pair, parameter);
  bool closed = CloseOutput(&pair.output);
  CloseInput(&pair.input);
  if (result != 0 || !closed || fake.Contents(out) != expected) {
    std::fprintf(stderr, "filter %s (%d): result %d, %zu bytes written, %zu expected\n",
                 filter.name, parameter, result, fake.Contents(out).size(), expected.size());
    std::abort();
  }
  if (fake.allocated_blocks != 0) {
    std::fprintf(stderr, "filter %s left %zu blocks allocated\n", filter.name,
                 fake.allocated_blocks);
    std::abort();
  }
  return 0;
}
