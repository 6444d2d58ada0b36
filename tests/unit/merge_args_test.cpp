#include "merge/list_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace zolt {
namespace {

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
