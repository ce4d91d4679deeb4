// The product editor of both products: a fixed-size, bitmap-skinned panel
// built from the product's layout table on every open and destroyed on
// close. It routes every control's change (parameters to the effect and the
// host, A/B, the preset browser, the file menu) and keeps the controls in
// step with the effect. A double-click on a parameter's knob opens a field
// to type its value (value_entry.h).
//
// Threads. The host may set parameters, programs and names from its audio
// thread while its user-interface thread opens, idles or closes the editor.
// What reaches the editor from the effect (setParameter, the refresh hooks)
// only stores values and flags in atomics; the user-interface thread applies
// them to the controls at its next idle, or at the end of the control event
// that caused them. Views, windows and files are touched on that thread only.
//
// Modal calls (AEffGUIEditor): while a box, a dialog or a pop-up of ours
// runs, its opener holds views of the tree and the host still idles us, so
// the idle moves controls to their values but rebuilds nothing; the preset
// display and program menu wait until the call has returned (the end of the
// event, or the next idle). Code that goes on after a modal call checks that
// the window is still the opening it started in.
//
// Browser (preset_browser.cpp). Folder mode when the preset folder exists (a
// plain directory): the preset menu mirrors the folder tree, sub-folders
// first, and the arrows walk the presets in depth-first folder order. Program
// mode otherwise: the menu lists the twelve programs and the file menu loads
// and saves presets and banks through file dialogs.
//
// The file menu ends, after a separator, with the Size sub-menu: the
// supported sizes and "Automatic", the user's choice checked; a choice goes
// to chooseScale (AEffGUIEditor), so the file menu's own entries keep their
// positions in both modes.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/aeffguieditor.h"
#include "editor/effect_access.h"
#include "editor/layout.h"
#include "editor/value_entry.h"
#include "gui/controls/ccontrol.h"
#include "platform/ole.h"
#include "presets/preset_files.h"

namespace sorvane {
class COptionMenu;
class COnOffButton;
class CKickButton;
class CTextLabel;
class CSplashScreen;
}  // namespace sorvane

namespace sorvane::editor {

class CAboutContainer;
class CValueReadout;

// Texts of the file menu and the manual.
inline constexpr const char* kManualFileName = "Corvina Manual.pdf";

class sorvaneGUI : public AEffGUIEditor, public CControlListener, public EndianSwap, public PresetFileListener {
 public:
  using AccessFactory = std::function<std::unique_ptr<EffectAccess>(platform::MessageBoxService&, PresetFileListener*)>;

  sorvaneGUI(AudioEffect* effect, const EditorLayout& layout, const platform::UiServices& services,
             const AccessFactory& makeAccess);
  ~sorvaneGUI() override;

  // False for a null parent, a window the system refused or a failure while
  // building; then nothing of the tree is left. Opening an open editor
  // closes it first.
  bool open(void* parentWindow) override;
  void close() override;
  void idle() override;
  void setParameter(VstInt32 index, float value) override;
  void refreshPresetDisplay() override;
  void refreshProgramMenu() override;

  void valueChanged(CControl* control) override;
  void controlBeginEdit(CControl* control) override;
  void controlEndEdit(CControl* control) override;
  // A double-click on a parameter's knob opens the field to type its value.
  std::int32_t controlDoubleClicked(CControl* control) override;

  // Preset browser and file commands.
  void presetMenuChosen(COptionMenu* menu);
  void stepPreset(int direction);
  void fileMenuChosen(int index);
  void markPresetModified();
  bool selectPresetByPath(const char* path);
  void openUserManual();
  void openWebSite();

  // PresetFileListener: what the file operations ask of the editor.
  void* messageOwner() override;
  bool presetFileExists(const char* path) override;
  void presetLoadFinished(bool loaded) override;
  void presetSaved(const char* path) override;
  void bankLoadFinished(bool loaded) override;

  // For tests and tools.
  const EditorLayout& layout() const { return layout_; }
  EffectAccess& access() { return *access_; }
  CControl* parameterControl(int index) const;
  COptionMenu* fileMenu() const { return fileMenu_; }
  // The file menu's last entry: the sizes, then "Automatic".
  COptionMenu* sizeMenu() const { return sizeMenu_; }
  COptionMenu* presetMenu() const { return presetMenu_; }
  CTextLabel* presetLabel() const { return presetLabel_; }
  CKickButton* previousButton() const { return previous_; }
  CKickButton* nextButton() const { return next_; }
  COnOffButton* abSwitch() const { return abSwitch_; }
  CKickButton* copyButton(int side) const { return side == 0 ? copyAToB_ : copyBToA_; }
  CSplashScreen* aboutArea() const { return splash_; }
  // The value readout of the knobs (null while closed or without a clock).
  CValueReadout* readout() const { return readout_; }
  CTextEdit* valueField() const { return valueEntry_ ? valueEntry_->field() : nullptr; }
  bool isFolderMode() const { return presetFolderExists_; }
  bool isPresetNameClean() const { return presetNameClean_; }
  int currentFolderNumber() const { return currentFolder_; }
  int folderCount() const { return static_cast<int>(folders_.size()); }
  COptionMenu* currentPresetMenu() const { return currentMenu_; }
  int currentPresetEntry() const { return currentEntry_; }
  // Applies what other threads left for the controls (values, refreshes).
  void applyPending();

 protected:
  ModalContext modalContext() override;

 private:
  struct PendingValue {
    std::atomic<float> value{0.0f};
    std::atomic<bool> changed{false};
  };
  // A folder of the preset menu tree; its folder number is its index in
  // folders_ (depth first, a folder before its sub-folders).
  struct FolderRecord {
    COptionMenu* menu;  // not owned: the root menu or a sub-menu of it
    std::string path;
  };

  bool build(void* parentWindow);
  void releaseTree();
  // The A/B switch and the visible copy button follow the effect's side.
  void showActiveSide();
  // view as a parameter's knob (a knob whose tag is its parameter), or null.
  CControl* readoutKnob(CView* view) const;
  // The readout's hour: the services' clock.
  std::uint32_t readoutTime() const;
  void toggleSide();

  void fillProgramMenu();
  void doRefreshPresetDisplay();
  void doRefreshProgramMenu();
  void scanPresetFolder(COptionMenu* root, const char* folder);
  void scanFolder(COptionMenu* root, COptionMenu* menu, const std::string& path, int depth);
  void showPresetName(const char* text);
  // The record of a folder number, or null.
  const FolderRecord* folderRecord(int number) const;
  // The folder number of a menu of the tree, or -1.
  int folderNumberOf(const COptionMenu* menu) const;
  bool loadFromMenu(const FolderRecord& record, int entry);
  bool runFileDialog(bool save, bool bank, bool inPresetFolder, char (&path)[platform::kPathCapacity]);
  bool askToReplace(const char* path);
  void showMessage(const std::string& text, const char* caption);
  void addSizeMenu();
  // Checks the user's size, or "Automatic" when the user chose none.
  void showChosenSize();

  const EditorLayout& layout_;
  std::unique_ptr<EffectAccess> access_;
  std::unique_ptr<PendingValue[]> pending_;
  std::atomic<bool> presetDisplayPending_{false};
  std::atomic<bool> programMenuPending_{false};
  std::unique_ptr<platform::OleSession> ole_;

  std::vector<CControl*> parameterControls_;
  COptionMenu* fileMenu_ = nullptr;
  COptionMenu* sizeMenu_ = nullptr;  // owned by its entry in the file menu
  COptionMenu* presetMenu_ = nullptr;
  CTextLabel* presetLabel_ = nullptr;
  CKickButton* previous_ = nullptr;
  CKickButton* next_ = nullptr;
  COnOffButton* abSwitch_ = nullptr;
  CKickButton* copyAToB_ = nullptr;  // "ab.png", shown on side A
  CKickButton* copyBToA_ = nullptr;  // "ba.png", shown on side B
  CSplashScreen* splash_ = nullptr;
  CAboutContainer* about_ = nullptr;
  CValueReadout* readout_ = nullptr;
  std::unique_ptr<ValueEntry> valueEntry_;

  bool presetFolderExists_ = false;
  bool presetNameClean_ = true;
  std::vector<FolderRecord> folders_;
  COptionMenu* currentMenu_ = nullptr;
  int currentEntry_ = -1;
  int currentFolder_ = 0;
};

// Makes the editor of one product's effect; the product's entry file hands
// this to the effect.
template <class Product>
AEffEditor* makeProductEditor(AudioEffect* effect, const EditorLayout& layout, const platform::UiServices& services) {
  auto* product = static_cast<Sorvane<Product>*>(effect);
  return new sorvaneGUI(effect, layout, services,
                        [product](platform::MessageBoxService& messages, PresetFileListener* listener) {
                          return std::make_unique<ProductEffectAccess<Product>>(*product, messages, listener);
                        });
}

}  // namespace sorvane::editor
