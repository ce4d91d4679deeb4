// Where the test plug-ins are and small helpers shared by the tool's tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "hostkit/library.h"
#include "tools/sorvane-host/plugin_host.h"

namespace sorvane::host::testing {

// "faulty_none", "faulty_nan", "faulty_state", "faulty_zero_crash", "not_a_plugin".
inline std::string testPluginPath(const std::string& name) {
  return std::string(SORVANE_TEST_PLUGIN_DIR) + name + hostkit::libraryFileSuffix();
}

inline std::unique_ptr<PluginLibrary> openTestPlugin(const std::string& name) {
  std::string error;
  auto library = PluginLibrary::open(testPluginPath(name), error);
  EXPECT_TRUE(library) << error;
  return library;
}

inline std::unique_ptr<PluginInstance> makeInstance(const PluginLibrary& library) {
  std::string error;
  auto instance = PluginInstance::create(library, error);
  EXPECT_TRUE(instance) << error;
  return instance;
}

// A folder of its own per test, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("sorvane-host-" + std::string(info->test_suite_name()) + "-" + info->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace sorvane::host::testing
