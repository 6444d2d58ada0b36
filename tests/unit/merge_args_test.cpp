#include "merge/merge_args.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "merge/list_file.h"
#include "support/sjis.h"

namespace zolt {
namespace {

TEST(ClassifyMergeArg, WildcardThenListThenOutputOptionThenPlain) {
  struct Case {
    const char* arg;
    MergeArgKind kind;
  };
  // On POSIX a name starting with / is a path.
  const MergeArgKind slash_o =
      IsSwitchPrefix('/') ? MergeArgKind::kOutputOption : MergeArgKind::kPlain;
  const Case cases[] = {
      {"*.TXT", MergeArgKind::kWildcard},
      {"a?.txt", MergeArgKind::kWildcard},
      {"-o*.TXT", MergeArgKind::kWildcard},
      {"@list*", MergeArgKind::kWildcard},
      {"@list", MergeArgKind::kListFile},
      {"@", MergeArgKind::kListFile},
      {"@-o", MergeArgKind::kListFile},
      {"-o", MergeArgKind::kOutputOption},
      {"-O", MergeArgKind::kOutputOption},
      {"/o", slash_o},
      {"/O+x", slash_o},
      {"-onew", MergeArgKind::kOutputOption},
      {"-x", MergeArgKind::kPlain},
      {"o", MergeArgKind::kPlain},
      {"-", MergeArgKind::kPlain},
      {"a.txt", MergeArgKind::kPlain},
      {"", MergeArgKind::kPlain},
      {"x@y", MergeArgKind::kPlain},
  };
  for (const Case& c : cases) EXPECT_EQ(ClassifyMergeArg(c.arg), c.kind) << c.arg;
}

// Runs MergeArgs over `args` with a directory holding `files`.
struct Scan {
  FakePlatform fake;
  MergeScan scan;
  int result = 0;
  Scan(std::vector<std::string> args, std::map<std::string, uint64_t> files) {
    fake.utf8 = true;
    fake.files = std::move(files);
    std::vector<char*> argv;
    for (std::string& a : args_ = std::move(args)) argv.push_back(a.data());
    result = MergeArgs(static_cast<int>(argv.size()), argv.data(), &scan);
  }
  std::vector<MergeItemKind> kinds() const {
    std::vector<MergeItemKind> k;
    for (const MergeItem& item : scan.items) k.push_back(item.kind);
    return k;
  }
  std::vector<std::string> args_;
};

using K = MergeItemKind;

TEST(MergeArgs, OutputOptionForms) {
  {
    Scan s({"a", "-o", "-dash", "b"}, {{"a", 1}, {"b", 2}});
    EXPECT_EQ(s.result, 4);
    EXPECT_EQ(s.scan.output, "-dash");
    EXPECT_FALSE(s.scan.append);
    EXPECT_EQ(s.kinds(), (std::vector<K>{K::kFile, K::kSkip, K::kSkip, K::kFile}));
    EXPECT_EQ(s.scan.total, 3);
    EXPECT_EQ(s.scan.file_count, 2);
  }
  {
    Scan s({"a", "-o+new", "b"}, {{"a", 1}, {"b", 2}});
    EXPECT_EQ(s.scan.output, "new");
    EXPECT_TRUE(s.scan.append);
  }
#ifdef _WIN32
  {
    Scan s({"/O+new", "a", "b"}, {{"a", 1}, {"b", 2}});
    EXPECT_EQ(s.scan.output, "new");
    EXPECT_TRUE(s.scan.append);
  }
#endif
  {
    // -o+ then the name; a later plain -o replaces the name but append stays.
    Scan s({"-o+", "first", "a", "-Osecond", "b"}, {{"a", 1}, {"b", 2}});
    EXPECT_EQ(s.scan.output, "second");
    EXPECT_TRUE(s.scan.append);
    EXPECT_EQ(s.scan.file_count, 2);
  }
  {
    // A trailing bare -o keeps the name given earlier.
    Scan s({"a", "-onew", "b", "-o"}, {{"a", 1}, {"b", 2}});
    EXPECT_EQ(s.result, 4);
    EXPECT_EQ(s.scan.output, "new");
  }
}

TEST(MergeArgs, BareOutputOptionAtTheEndIsFatal) {
  Scan s({"a", "b", "-o", "c"}, {{"a", 1}, {"b", 2}, {"c", 3}});
  EXPECT_EQ(s.result, 4);
  EXPECT_EQ(s.scan.output, "c");
  Scan t({"a", "b", "-o+"}, {{"a", 1}, {"b", 2}});
  EXPECT_EQ(t.result, -1);
  EXPECT_EQ(t.fake.err, "出力ファイルを指定して下さい\n");
}

TEST(MergeArgs, MissingInputsAreReportedAndSkipped) {
  Scan s({"a", "nope", "b"}, {{"a", 10}, {"b", 20}});
  EXPECT_EQ(s.result, 3);
  EXPECT_EQ(s.kinds(), (std::vector<K>{K::kFile, K::kSkip, K::kFile}));
  EXPECT_EQ(s.scan.missing, 1);
  EXPECT_EQ(s.scan.total, 30);
  EXPECT_EQ(s.fake.err, "ファイルがオープンできません: nope\n");
  ASSERT_EQ(s.scan.found.size(), 2u);
  EXPECT_EQ(s.scan.found[1].name, "b");
  EXPECT_TRUE(s.scan.found[1].id.valid);
}

TEST(MergeArgs, SecondWildcardStopsTheScan) {
  // Nothing matches the first wildcard here (the fake directory has no
  // patterns), so no list message follows.
  Scan s({"*.a", "x", "*.b", "y"}, {{"x", 1}, {"y", 1}});
  EXPECT_EQ(s.result, -1);
  EXPECT_EQ(s.fake.err, "ワイルドカードが複数指定されています: *.b\n");
  EXPECT_EQ(s.scan.items[3].kind, K::kSkip);  // never looked at
}

TEST(LookUpInput, TakesANameWithWildcardCharactersLiterally) {
  FakePlatform fake;
  fake.utf8 = true;
  fake.files = {{"a*b", 5}};
  uint64_t size = 0;
  EXPECT_TRUE(LookUpInput("a*b", &size));
  EXPECT_EQ(size, 5u);
  EXPECT_FALSE(LookUpInput("a*", &size));
  EXPECT_FALSE(LookUpInput("", &size));
}

TEST(SortWildcardNames, RawByteOrder) {
  std::vector<std::string> names = {"b.log", "X.LOG", "\x95\x5C.txt", "10", "2", "B.log", "a"};
  SortWildcardNames(&names);
  EXPECT_EQ(names,
            (std::vector<std::string>{"10", "2", "B.log", "X.LOG", "a", "b.log", "\x95\x5C.txt"}));
}

// Writes `bytes` to a fresh file and reads it back as a list.
std::vector<std::string> ListNames(const std::string& bytes) {
  static int serial = 0;
  std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("zolt-list-test-" + std::to_string(++serial));
  {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  InStream in;
  std::vector<std::string> names;
  EXPECT_TRUE(OpenInput(&in, path.string()));
  EXPECT_TRUE(ReadListNames(&in, [&](const std::string& n) { names.push_back(n); }));
  CloseInput(&in);
  std::filesystem::remove(path);
  return names;
}

TEST(ReadListNames, TextRules) {
  using V = std::vector<std::string>;
  EXPECT_EQ(ListNames("a\r\nb\n"), (V{"a", "b"}));
  EXPECT_EQ(ListNames("a\nlast"), (V{"a", "last"}));
  EXPECT_EQ(ListNames("a\n\n b \n"), (V{"a", "", " b "}));
  EXPECT_EQ(ListNames("x\ry\n"), (V{"xy"}));
  EXPECT_EQ(ListNames("a\nb\x1A"
                      "c\nd\n"),
            (V{"a", "b"}));
  EXPECT_EQ(ListNames("\x1A"
                      "a\n"),
            V{});
  EXPECT_EQ(ListNames(""), V{});
  EXPECT_EQ(ListNames("\r"), V{});
  std::string long_name(70000, 'n');  // longer than a stream block
  EXPECT_EQ(ListNames(long_name + "\nz"), (V{long_name, "z"}));
}

}  // namespace
}  // namespace zolt
