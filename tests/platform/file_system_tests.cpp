// The file system as the preset browser reads it, on real folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "tests/platform/temp_tree.h"

namespace sorvane::platform {
namespace {

using test::TempTree;
namespace fs = std::filesystem;

#ifdef _WIN32
constexpr bool kPosix = false;
#else
constexpr bool kPosix = true;
#endif

FileSystemService& files() { return systemFileSystem(); }

std::uint32_t attributesOf(const fs::path& path) { return files().attributes(path.string().c_str()); }

std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<FolderEntry> entries;
  EXPECT_TRUE(files().listFolder(folder.string().c_str(), entries)) << folder.string();
  std::vector<std::string> names;
  for (const FolderEntry& entry : entries) names.push_back(entry.name);
  return names;
}

TEST(FileSystem, AMissingPathHasNoAttributesIsNoFileAndCannotBeListed) {
  TempTree tree;
  const fs::path missing = tree.root / "missing";
  EXPECT_EQ(attributesOf(missing), kInvalidAttributes);
  EXPECT_EQ(files().attributes(""), kInvalidAttributes);
  EXPECT_FALSE(files().isRegularFile(missing.string().c_str()));
  EXPECT_FALSE(files().isRegularFile(""));
  std::vector<FolderEntry> entries{{"left over", false, false}};
  EXPECT_FALSE(files().listFolder(missing.string().c_str(), entries));
  EXPECT_TRUE(entries.empty());
}

// The browser takes the preset folder only when its word is exactly 16.
TEST(FileSystem, APlainFolderReadsExactlyTheDirectoryBitAndIsNoRegularFile) {
  TempTree tree;
  const fs::path folder = tree.folder("Presets");
  EXPECT_EQ(attributesOf(folder), static_cast<std::uint32_t>(kAttributeDirectory));
  EXPECT_FALSE(files().isRegularFile(folder.string().c_str()));
}

TEST(FileSystem, AFileIsARegularFileWithoutTheDirectoryBit) {
  TempTree tree;
  const fs::path file = tree.file("Vocal.tsqp");
  const std::uint32_t word = attributesOf(file);
  ASSERT_NE(word, kInvalidAttributes);
  EXPECT_EQ(word & kAttributeDirectory, 0u);
  if (kPosix) {
    EXPECT_EQ(word, static_cast<std::uint32_t>(kAttributeNormal));
  }
  EXPECT_TRUE(files().isRegularFile(file.string().c_str()));
}

TEST(FileSystem, AWriteProtectedFileCarriesTheReadOnlyBit) {
  TempTree tree;
  const fs::path file = tree.file("Locked.tsqp");
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const std::uint32_t word = attributesOf(file);
  EXPECT_NE(word & kAttributeReadOnly, 0u) << std::hex << word;
  EXPECT_EQ(word & (kAttributeDirectory | kAttributeNormal), 0u) << std::hex << word;
  EXPECT_TRUE(files().isRegularFile(file.string().c_str()));
}

#ifndef _WIN32
// Either makes the preset folder's word differ from 16, as extra bits do on
// Windows.
TEST(FileSystem, AWriteProtectedOrDottedFolderReadsMoreThanTheDirectoryBit) {
  TempTree tree;
  const fs::path locked = tree.folder("Locked");
  fs::permissions(locked, fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_EQ(attributesOf(locked), static_cast<std::uint32_t>(kAttributeDirectory | kAttributeReadOnly));
  EXPECT_EQ(attributesOf(tree.folder(".hidden")), static_cast<std::uint32_t>(kAttributeDirectory | kAttributeHidden));
  EXPECT_EQ(attributesOf(tree.file(".hidden.tsqp")), static_cast<std::uint32_t>(kAttributeHidden));
  EXPECT_EQ(attributesOf(tree.root / "Locked" / ".." / "Locked"),
            static_cast<std::uint32_t>(kAttributeDirectory | kAttributeReadOnly));
  EXPECT_EQ(attributesOf(tree.folder("Locked2") / "."), static_cast<std::uint32_t>(kAttributeDirectory));
}
#endif

// POSIX folders come back in the order Windows' file system keeps: letters
// without regard to case and after "." and the digits, "_" after the letters,
// names equal but for case by their bytes.
TEST(FileSystem, AFolderListsEveryEntryButTheDotsInCaseInsensitiveOrder) {
  TempTree tree;
  std::vector<std::string> created{"beta.tsqp", "Alpha.tsqp", "alpha2", "Zed", "_x", "9", "10", "ALPHA"};
  if (kPosix) created.push_back("alpha");  // one file on a case-blind file system
  for (const std::string& name : created) tree.file("Presets/" + name);
  tree.folder("Presets/sub2");
  tree.folder("Presets/Sub");

  std::vector<std::string> expected{"10",        "9",   "ALPHA", "alpha", "Alpha.tsqp", "alpha2",
                                    "beta.tsqp", "Sub", "sub2",  "Zed",   "_x"};
  if (!kPosix) expected.erase(std::find(expected.begin(), expected.end(), "alpha"));
  std::vector<std::string> names = namesIn(tree.root / "Presets");
  // Windows gives its file system's order, which is not ours to check.
  if (!kPosix) {
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
  }
  EXPECT_EQ(names, expected);

  std::vector<FolderEntry> entries;
  ASSERT_TRUE(files().listFolder((tree.root / "Presets").string().c_str(), entries));
  for (const FolderEntry& entry : entries) {
    EXPECT_EQ(entry.isDirectory, entry.name == "Sub" || entry.name == "sub2") << entry.name;
    EXPECT_FALSE(entry.isLink) << entry.name;
  }
  // A trailing separator names the same folder.
  EXPECT_EQ(namesIn((tree.root / "Presets").string() + std::string(1, fs::path::preferred_separator)).size(),
            expected.size());
}

TEST(FileSystem, AnEmptyFolderListsNothingAndAFileCannotBeListed) {
  TempTree tree;
  EXPECT_TRUE(namesIn(tree.folder("Empty")).empty());
  std::vector<FolderEntry> entries{{"left over", false, false}};
  EXPECT_FALSE(files().listFolder(tree.file("Vocal.tsqp").string().c_str(), entries));
  EXPECT_TRUE(entries.empty());
}

#ifndef _WIN32
const FolderEntry* entryNamed(const std::vector<FolderEntry>& entries, const std::string& name) {
  for (const FolderEntry& entry : entries)
    if (entry.name == name) return &entry;
  return nullptr;
}

// The scan must never follow a link: one back to its own folder would have
// it descend for ever.
TEST(FileSystem, LinksAreListedAsLinksAndNeverAsFolders) {
  TempTree tree;
  const fs::path presets = tree.folder("Presets");
  tree.file("Presets/Real.tsqp");
  fs::create_directory_symlink(presets, presets / "Loop");
  fs::create_symlink(presets / "Real.tsqp", presets / "Linked.tsqp");
  fs::create_symlink(presets / "Gone.tsqp", presets / "Dangling.tsqp");

  std::vector<FolderEntry> entries;
  ASSERT_TRUE(files().listFolder(presets.string().c_str(), entries));
  ASSERT_EQ(entries.size(), 4u);
  for (const char* name : {"Loop", "Linked.tsqp", "Dangling.tsqp"}) {
    const FolderEntry* entry = entryNamed(entries, name);
    ASSERT_NE(entry, nullptr) << name;
    EXPECT_TRUE(entry->isLink) << name;
    EXPECT_FALSE(entry->isDirectory) << name;
    EXPECT_EQ(entry->linksToFile, std::string(name) == "Linked.tsqp") << name;
  }
  EXPECT_FALSE(entryNamed(entries, "Real.tsqp")->isLink);

  // Asked about by name, a link describes its target.
  EXPECT_EQ(attributesOf(presets / "Loop"), static_cast<std::uint32_t>(kAttributeDirectory));
  EXPECT_TRUE(files().isRegularFile((presets / "Linked.tsqp").string().c_str()));
  EXPECT_FALSE(files().isRegularFile((presets / "Dangling.tsqp").string().c_str()));
  EXPECT_EQ(attributesOf(presets / "Dangling.tsqp"), kInvalidAttributes);
}

TEST(FileSystem, AFolderWithoutReadPermissionCannotBeListed) {
  TempTree tree;
  const fs::path closed = tree.folder("Closed");
  tree.file("Closed/Vocal.tsqp");
  fs::permissions(closed, fs::perms::none);
  std::error_code error;
  fs::directory_iterator probe(closed, error);
  if (!error) GTEST_SKIP() << "this user reads every folder (a superuser)";
  std::vector<FolderEntry> entries{{"left over", false, false}};
  EXPECT_FALSE(files().listFolder(closed.string().c_str(), entries));
  EXPECT_TRUE(entries.empty());
}
#endif

}  // namespace
}  // namespace sorvane::platform
