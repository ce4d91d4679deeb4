// A private folder tree per test below the system's temporary folder, with a
// name no other test process uses, removed with everything in it at the end.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace sorvane::platform::test {

namespace fs = std::filesystem;

class TempTree {
 public:
  TempTree() {
    // Test processes run side by side: the name takes entropy from the system.
    static std::atomic<int> counter{0};
    static const unsigned long long processTag =
        (static_cast<unsigned long long>(std::random_device{}()) << 32) | std::random_device{}();
    root = fs::temp_directory_path() /
           ("sorvane-platform-" + std::to_string(processTag) + "-" + std::to_string(counter++));
    fs::create_directories(root);
  }
  ~TempTree() {
    // Write-protected entries would stop the removal on some systems.
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::none, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored))
      if (!it->is_symlink(ignored)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(root, ignored);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  fs::path folder(const std::string& relative) const {
    fs::create_directories(root / relative);
    return root / relative;
  }
  fs::path file(const std::string& relative, const std::string& content = "x") const {
    const fs::path path = root / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  fs::path root;
};

}  // namespace sorvane::platform::test
