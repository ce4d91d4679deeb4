// The panel's main states against checked-in pictures: exact outside the
// text areas, within a tolerance inside them.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "tests/editor/editor_fixture.h"
#include "tests/editor/golden.h"

namespace sorvane::test {
namespace {

// A preset folder that exists only for the browser: every listed file is a
// regular file.
struct FakePresetFolder : platform::FileSystemService {
  std::string root;
  std::map<std::string, std::vector<platform::FolderEntry>> folders;
  std::uint32_t attributes(const char* path) override {
    return folders.count(path) ? platform::kAttributeDirectory : platform::kInvalidAttributes;
  }
  bool listFolder(const char* folder, std::vector<platform::FolderEntry>& entries) override {
    auto it = folders.find(folder);
    if (it == folders.end()) return false;
    entries = it->second;
    return true;
  }
  bool isRegularFile(const char* path) override {
    const std::string p = path;
    const size_t cut = p.find_last_of("/\\");
    if (cut == std::string::npos) return false;
    auto it = folders.find(p.substr(0, cut));
    if (it == folders.end()) return false;
    for (const auto& e : it->second)
      if (!e.isDirectory && e.name == p.substr(cut + 1)) return true;
    return false;
  }
};

template <class Product>
class Golden : public EditorTest<Product> {
 protected:
  std::vector<CRect> textAreas() const {
    CRect version = this->layout().versionLabel;
    version.offset(this->layout().aboutScreen.left, this->layout().aboutScreen.top);
    return {this->layout().presetName, version};
  }
  void expectPicture(const std::string& state) {
    ASSERT_NE(this->window, nullptr);
    this->idle();
    const std::string name = std::string(this->layout().product) + "-" + state;
    const std::string problem = compareWithGolden(name, this->window->pixels(), textAreas());
    EXPECT_EQ(problem, "");
  }
  void setAll(float value) {
    for (int i = 0; i < this->kParameters; ++i) this->effect->setParameter(i, value);
  }
};
TYPED_TEST_SUITE(Golden, Products);

TYPED_TEST(Golden, TheMainStatesOfThePanel) {
  ASSERT_TRUE(this->open());
  this->expectPicture("side-a");
  this->click(TestFixture::centre(this->layout().abSwitch));
  this->expectPicture("side-b");
  this->click(TestFixture::centre(this->layout().aboutClick));
  this->expectPicture("about");
  this->click(TestFixture::centre(this->layout().aboutClick));
  this->setAll(0.0f);
  this->expectPicture("all-0");
  this->setAll(1.0f);
  this->expectPicture("all-1");
}

TYPED_TEST(Golden, FolderModeMarksTheModifiedPreset) {
  this->effect.reset();
  FakePresetFolder folder;
  this->ui.files = &folder;
  this->makeEffect();
  folder.root = this->effect->getPresetFolderPath();
  char relative[kFileNameField];
  this->editor->access().currentFileName(relative);
  std::string file = relative;
  const size_t cut = file.find_last_of("/\\");
  std::string sub = cut == std::string::npos ? "" : file.substr(0, cut);
  std::string name = cut == std::string::npos ? file : file.substr(cut + 1);
  if (sub.empty()) {
    folder.folders[folder.root] = {{name, false, false}};
  } else {
    folder.folders[folder.root] = {{sub, true, false}};
    folder.folders[folder.root + platform::kPathSeparator + sub] = {{name, false, false}};
  }
  ASSERT_TRUE(this->open());
  EXPECT_TRUE(this->editor->isFolderMode());
  EXPECT_TRUE(this->editor->isPresetNameClean()) << relative;
  const CRect r = this->controlOf(TypeParam::kOutputIndex).rect;
  this->window->mouseDown(r.left + 26, r.top + 26, kLButton);
  this->window->mouseMove(r.left + 26, r.top + 6, kLButton);
  this->window->mouseUp(r.left + 26, r.top + 6, 0);
  this->expectPicture("folder-modified");
  this->effect.reset();
}

}  // namespace
}  // namespace sorvane::test
