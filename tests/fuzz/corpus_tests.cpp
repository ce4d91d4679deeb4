// Every stored fuzz input, the seeds and the inputs that once broke
// something, replayed through the check its target runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz_checks.h"

namespace sorvane::fuzz {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsOf(const char* target) {
  std::vector<fs::path> inputs;
  for (const char* kind : {"corpus", "regressions"}) {
    const fs::path folder = fs::path(SORVANE_FUZZ_DIR) / kind / target;
    if (!fs::is_directory(folder)) continue;
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

class StoredInputs : public ::testing::TestWithParam<Target> {};

TEST_P(StoredInputs, KeepEveryInvariant) {
  const Target& target = GetParam();
  const std::vector<fs::path> inputs = inputsOf(target.name);
  ASSERT_FALSE(inputs.empty()) << "no seeds for " << target.name << " below " << SORVANE_FUZZ_DIR;
  for (const fs::path& path : inputs) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ("", target.check(bytes.data(), bytes.size())) << path.string();
  }
}

INSTANTIATE_TEST_SUITE_P(Fuzz, StoredInputs, ::testing::ValuesIn(targets().begin(), targets().end()),
                         [](const ::testing::TestParamInfo<Target>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace sorvane::fuzz
