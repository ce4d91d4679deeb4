// The product editor browsing a preset folder of its own in a fresh
// temporary tree, with scripted dialogs, boxes and shell and a recording host.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "gui/controls/coptionmenu.h"
#include "gui/controls/cparamdisplay.h"
#include "platform/file_system.h"
#include "platform/scripted/file_dialog.h"
#include "platform/scripted/shell.h"
#include "tests/editor/editor_fixture.h"

namespace sorvane::test {

namespace fs = std::filesystem;

// The folders the next editor browses (an access factory is built per editor).
inline std::string gPresetFolder, gManualFolder;

template <class Product>
AEffEditor* browsingEditor(AudioEffect* effect) {
  auto* product = static_cast<Sorvane<Product>*>(effect);
  return new editor::sorvaneGUI(effect, layoutOf<Product>(), gEditorServices,
                                [product](platform::MessageBoxService& messages, PresetFileListener* listener) {
                                  return std::make_unique<editor::ProductEffectAccess<Product>>(
                                      *product, messages, listener, gPresetFolder.c_str(), gManualFolder.c_str());
                                });
}

template <class Product>
class Browser : public EditorTest<Product> {
 protected:
  void SetUp() override {
    std::random_device entropy;
    root = fs::temp_directory_path() / ("sorvane-browser-" + std::to_string(entropy()) + std::to_string(entropy()));
    presets =
        root / "Sorvane" / "Presets" /
        (std::string(1, static_cast<char>(std::toupper(this->layout().product[0]))) + (this->layout().product + 1));
    manuals = root / "Sorvane" / "User Manuals";
    fs::create_directories(presets);
    gPresetFolder = presets.string();
    gManualFolder = manuals.string();
    this->ui.files = &platform::systemFileSystem();
    this->ui.dialogs = &dialogs;
    this->ui.shell = &shell;
    useProductPictures(this->layout().product);
    EditorHost::calls.clear();
    this->liveAtStart = liveToolkitObjects();
    remake();
  }
  void TearDown() override {
    EditorTest<Product>::TearDown();
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  void remake() {
    this->effect.reset();
    gEditorServices = this->ui.bundle();
    this->effect =
        std::make_unique<typename EditorTest<Product>::Effect>(&EditorHost::callback, &browsingEditor<Product>);
    this->editor = static_cast<editor::sorvaneGUI*>(this->effect->getEditor());
    EditorHost::calls.clear();
  }
  const char* ext() const { return this->editor->access().product().presetExtension; }
  // A preset file with the current values (and the given output level, so files differ).
  fs::path preset(const fs::path& relative, float output = 0.5f) {
    fs::create_directories((presets / relative).parent_path());
    const float before = this->effect->getParameter(Product::kOutputIndex);
    this->effect->setParameter(Product::kOutputIndex, output);
    EXPECT_TRUE(this->editor->access().savePreset((presets / relative).string().c_str())) << relative;
    this->effect->setParameter(Product::kOutputIndex, before);
    return presets / relative;
  }
  std::string label() const { return this->editor->presetLabel()->getText(); }
  void chooseInPresetMenu(std::vector<std::string> path) {
    this->ui.menus.choose(std::move(path));
    this->click(this->centre(this->layout().presetName));
  }
  void chooseInFileMenu(const char* entry) {
    this->ui.menus.choose({entry});
    this->click(this->centre(this->layout().fileMenu));
  }
  void arrow(int direction) {
    this->click(this->centre(direction < 0 ? this->layout().previous : this->layout().next));
  }
  std::vector<std::string> titles(COptionMenu* menu) const {
    std::vector<std::string> out;
    for (int i = 0; i < menu->getNbEntries(); ++i) out.push_back(menu->getEntry(i)->getTitle());
    return out;
  }
  float output() const { return this->effect->getParameter(Product::kOutputIndex); }

  fs::path root, presets, manuals;
  platform::ScriptedFileDialogs dialogs;
  platform::ScriptedShell shell;
};
}  // namespace sorvane::test
