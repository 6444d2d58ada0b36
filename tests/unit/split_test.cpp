// A split whose input fails to read: only the platform double can make a
// regular file fail part-way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "front/zolt_main.h"
#include "unit/fake_platform.h"

namespace zolt {
namespace {

TEST(Split, AReadFailureIsReportedWithStatus1) {
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
           {"-S100", "in"}, {"-S1L", "in"}, {"-S1L", "-#x", "in"}}) {
    FakePlatform fake;
    fake.memory_files = fake.stdin_terminal = fake.utf8 = true;
    fake.disk["in"] = std::string(300000, 'x') + "\n";
    fake.read_fails_at = 200000;
    args.insert(args.begin(), "zolt");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    EXPECT_EQ(ZoltMain(static_cast<int>(argv.size()), argv.data()), 1) << args[1];
    EXPECT_NE(fake.err.find("ファイルが読み込めません: in\n"), std::string::npos) << fake.err;
  }
}

}  // namespace
}  // namespace zolt
