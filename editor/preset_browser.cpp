// The preset browser and the file menu of the product editor.
#include <cstdio>
#include <cstring>
#include <string>

#include "editor/sorvane_gui.h"
#include "gui/controls/cbuttons.h"
#include "gui/controls/coptionmenu.h"
#include "gui/controls/cparamdisplay.h"
#include "platform/documents.h"

namespace sorvane::editor {
namespace {

// Deeper folder trees are not browsed: a tree that deep is a mistake, and a
// bound keeps the scan's recursion small whatever is on disk.
constexpr int kMaxFolderDepth = 16;
constexpr std::int32_t kSubMenuStyle = kNoTextStyle | kCheckStyle | kPopupStyle;

constexpr std::uint32_t kOpenDialogFlags = platform::kDialogPathMustExist | platform::kDialogFileMustExist;
// "File must exist" would forbid saving under a new name.
constexpr std::uint32_t kSaveDialogFlags = platform::kDialogPathMustExist | platform::kDialogOverwritePrompt;

// Where the last component of a path starts (after the last "/" or "\").
const char* lastComponent(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p)
    if (*p == '/' || *p == '\\') name = p + 1;
  return name;
}

// text up to (not including) its last ".".
std::string withoutExtension(const char* text) {
  std::string name = text;
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

// The text behind the last "." of a file name (empty without one).
std::string extensionOf(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

// Whether path lies inside folder: folder, then a separator. A bare prefix
// would take "Tessaro Backup/x" for a file inside "Tessaro".
bool isInsideFolder(const char* path, const char* folder) {
  const size_t length = std::strlen(folder);
  if (length == 0 || std::strncmp(path, folder, length) != 0) return false;
  return path[length] == '/' || path[length] == '\\';
}

}  // namespace

void* sorvaneGUI::messageOwner() { return frame ? frame->getSystemWindow() : nullptr; }

void sorvaneGUI::showMessage(const std::string& text, const char* caption) {
  if (services.messages) services.messages->show(messageOwner(), text.c_str(), caption, platform::MessageButtons::Ok);
}

void sorvaneGUI::showPresetName(const char* text) {
  if (!presetLabel_) return;
  presetLabel_->setText(text);
  presetLabel_->setDirty(true);
}

// ---- Program mode ------------------------------------------------------------

void sorvaneGUI::fillProgramMenu() {
  if (!presetMenu_) return;
  presetMenu_->removeAllEntry();
  for (int i = 0; i < kProgramCount; ++i) {
    char name[kProgramNameMax + 1];
    access_->programName(i, name);
    presetMenu_->addItem(name);
  }
  const int current = access_->getProgram();
  presetMenu_->setValue(static_cast<float>(current));
  presetMenu_->checkEntryAlone(current);
  presetMenu_->setDirty(true);
}

// The host hears of new names from whoever made them (the effect's rename,
// the save and the bank load below), at once and editor open or not.
void sorvaneGUI::doRefreshProgramMenu() {
  if (frame && presetMenu_ && !presetFolderExists_) fillProgramMenu();
}

// ---- Folder mode ---------------------------------------------------------------

void sorvaneGUI::scanPresetFolder(COptionMenu* root, const char* folder) {
  folders_.clear();
  root->removeAllEntry();
  currentMenu_ = nullptr;
  scanFolder(root, root, folder, 0);
  currentFolder_ = 0;
}

// One pass over the tree: a folder gets its record and number before its
// sub-folders (depth first), its menu lists the sub-folders first and then its
// presets, each group in the listing's order.
void sorvaneGUI::scanFolder(COptionMenu* root, COptionMenu* menu, const std::string& path, int depth) {
  folders_.push_back({menu, path});
  std::vector<platform::FolderEntry> entries;
  if (!services.files || !services.files->listFolder(path.c_str(), entries)) return;
  const std::string extension = access_->product().presetExtension;
  for (const platform::FolderEntry& entry : entries) {
    // Links to folders are never followed: one back up the tree would never end.
    if (!entry.isDirectory || entry.isLink || depth + 1 > kMaxFolderDepth) continue;
    const std::string subPath = path + platform::kPathSeparator + entry.name;
    if (subPath.size() >= static_cast<size_t>(platform::kPathCapacity)) continue;
    auto* sub = new COptionMenu(root->getViewSize(), this, root->getTag(), nullptr, nullptr, kSubMenuStyle);
    menu->addEntry(sub, entry.name.c_str());
    scanFolder(root, sub, subPath, depth + 1);
  }
  for (const platform::FolderEntry& entry : entries) {
    if (entry.isDirectory || (entry.isLink && !entry.linksToFile)) continue;
    if (extensionOf(entry.name) != extension) continue;
    if (path.size() + 1 + entry.name.size() >= static_cast<size_t>(platform::kPathCapacity)) continue;
    menu->addItem(entry.name.c_str());
  }
}

const sorvaneGUI::FolderRecord* sorvaneGUI::folderRecord(int number) const {
  return number >= 0 && number < folderCount() ? &folders_[static_cast<size_t>(number)] : nullptr;
}

int sorvaneGUI::folderNumberOf(const COptionMenu* menu) const {
  for (size_t i = 0; i < folders_.size(); ++i)
    if (folders_[i].menu == menu) return static_cast<int>(i);
  return -1;
}

bool sorvaneGUI::presetFileExists(const char* path) {
  // Only a regular file counts: a folder, or the preset folder itself when
  // the stored name is empty, is no preset.
  if (path && *path && services.files && services.files->isRegularFile(path)) return true;
  if (!frame || !presetLabel_) return false;
  const std::string shown = withoutExtension(lastComponent(path ? path : "")) + "*";
  showPresetName(shown.c_str());
  if (currentMenu_) currentMenu_->checkEntry(currentEntry_, false);
  presetNameClean_ = false;
  return false;
}

bool sorvaneGUI::selectPresetByPath(const char* path) {
  if (!presetFileExists(path)) return false;
  const char* name = lastComponent(path);
  const std::string folder(path, static_cast<size_t>(name - path) - (name > path ? 1 : 0));
  int number = -1;
  for (size_t i = 0; i < folders_.size(); ++i)
    if (folders_[i].path == folder) number = static_cast<int>(i);
  const FolderRecord* record = folderRecord(number);
  if (!record) {
    currentMenu_ = nullptr;
    currentEntry_ = -1;
    return false;
  }
  int found = -1;
  for (int i = 0; i < record->menu->getNbEntries(); ++i) {
    const CMenuItem* item = record->menu->getEntry(i);
    if (!item->isSeparator() && !item->getSubmenu() && item->getTitle() == name) found = i;
  }
  if (found < 0) return false;
  record->menu->setValue(static_cast<float>(found));
  record->menu->checkEntry(found, true);
  currentMenu_ = record->menu;
  currentEntry_ = found;
  currentFolder_ = number;
  showPresetName(withoutExtension(name).c_str());
  return true;
}

void sorvaneGUI::markPresetModified() {
  if (!presetFolderExists_ || !presetLabel_ || !presetNameClean_) return;
  const std::string text = std::string(presetLabel_->getText()) + "*";
  showPresetName(text.c_str());
  presetNameClean_ = false;
}

void sorvaneGUI::doRefreshPresetDisplay() {
  if (!frame) return;
  showActiveSide();
  if (presetFolderExists_) {
    if (!presetMenu_) return;
    scanPresetFolder(presetMenu_, access_->presetFolderPath());
    char path[platform::kPathCapacity];
    const bool fits = access_->currentPresetPath(path);
    // A missing file already shows its name with the marker; only a preset
    // found is clean, so the marker never doubles.
    presetNameClean_ = fits && selectPresetByPath(path);
    if (presetNameClean_ && access_->isPresetModified()) markPresetModified();
  } else {
    // The names too: after a side switch the list shows the other side's names.
    fillProgramMenu();
  }
}

// ---- Choosing and stepping -------------------------------------------------------

bool sorvaneGUI::loadFromMenu(const FolderRecord& record, int entry) {
  const CMenuItem* item = record.menu->getEntry(entry);
  if (!item) return false;
  char path[platform::kPathCapacity];
  const int written = std::snprintf(path, sizeof(path), "%s%c%s", record.path.c_str(), platform::kPathSeparator,
                                    item->getTitle().c_str());
  if (written < 0 || written >= static_cast<int>(sizeof(path))) return false;
  return access_->loadPreset(path);
}

void sorvaneGUI::presetMenuChosen(COptionMenu* /*reporting*/) {
  if (!presetMenu_) return;
  int chosen = -1;
  COptionMenu* menu = presetMenu_->getLastItemMenu(chosen);
  if (!menu || chosen < 0) return;
  if (!presetFolderExists_) {
    access_->setProgram(chosen);
    presetMenu_->setDirty(true);
    access_->updateDisplay();
    return;
  }
  COptionMenu* oldMenu = currentMenu_;
  const int oldEntry = currentEntry_;
  const int oldFolder = currentFolder_;
  if (oldMenu) oldMenu->checkEntry(oldEntry, false);
  const int number = folderNumberOf(menu);
  const FolderRecord* record = folderRecord(number);
  currentMenu_ = menu;
  currentEntry_ = chosen;
  const std::uint32_t openedIn = opening();
  if (record && loadFromMenu(*record, chosen)) {
    currentFolder_ = number;
    menu->setValue(static_cast<float>(chosen));
    menu->checkEntry(chosen, true);
    showPresetName(withoutExtension(menu->getEntry(chosen)->getTitle().c_str()).c_str());
    return;
  }
  // A failed load has shown its box: the window closed meanwhile took the
  // menus along (a new opening has menus of its own).
  if (opening() != openedIn) return;
  menu->checkEntry(chosen, false);
  currentMenu_ = oldMenu;
  currentEntry_ = oldEntry;
  currentFolder_ = oldFolder;
  if (oldMenu) {
    oldMenu->setValue(static_cast<float>(oldEntry));
    oldMenu->checkEntry(oldEntry, true);
  }
}

void sorvaneGUI::stepPreset(int direction) {
  if (!presetFolderExists_) {
    int program = access_->getProgram() + direction;
    if (program < 0) program = kProgramCount - 1;
    if (program >= kProgramCount) program = 0;
    access_->setProgram(program);
    if (presetMenu_) presetMenu_->setDirty(true);
    access_->updateDisplay();
    return;
  }
  if (!currentMenu_) return;
  int folder = folderNumberOf(currentMenu_);
  const FolderRecord* record = folderRecord(folder);
  if (!record) return;
  int entry = currentEntry_ + direction;
  const std::uint32_t openedIn = opening();
  // Walk the folders in number order (depth first), skipping sub-menu entries.
  while (true) {
    COptionMenu* menu = record->menu;
    for (; entry >= 0 && entry < menu->getNbEntries(); entry += direction) {
      const CMenuItem* item = menu->getEntry(entry);
      if (item->isSeparator() || item->getSubmenu()) continue;
      if (!loadFromMenu(*record, entry)) {
        // The broken preset stops the step; the old selection stays marked
        // (unless the window closed while the box was up).
        if (currentMenu_ && opening() == openedIn) currentMenu_->checkEntry(currentEntry_, true);
        return;
      }
      if (currentMenu_) currentMenu_->checkEntry(currentEntry_, false);
      menu->setValue(static_cast<float>(entry));
      menu->checkEntry(entry, true);
      showPresetName(withoutExtension(item->getTitle().c_str()).c_str());
      currentMenu_ = menu;
      currentEntry_ = entry;
      currentFolder_ = folder;
      return;
    }
    folder += direction;
    record = folderRecord(folder);
    if (!record) return;
    entry = direction > 0 ? 0 : record->menu->getNbEntries() - 1;
  }
}

// ---- File menu -------------------------------------------------------------------

bool sorvaneGUI::runFileDialog(bool save, bool bank, bool inPresetFolder, char (&path)[platform::kPathCapacity]) {
  if (!services.dialogs) return false;
  const PresetProduct& product = access_->product();
  char productName[64];
  productNameOf(product, productName, sizeof(productName));
  const std::string extension = bank ? product.bankExtension : product.presetExtension;
  platform::FileDialogRequest request;
  request.kind = save ? platform::FileDialogRequest::Save : platform::FileDialogRequest::Open;
  request.title = std::string(save ? "Save " : "Load ") + (bank ? "Bank" : "Preset");
  request.filters.push_back(
      {std::string(productName) + (bank ? " Bank (*." : " Preset (*.") + extension + ")", "*." + extension});
  request.defaultExtension = extension;
  if (inPresetFolder) request.initialFolder = access_->presetFolderPath();
  request.flags = save ? kSaveDialogFlags : kOpenDialogFlags;
  request.owner = messageOwner();
  path[0] = 0;
  return services.dialogs->run(request, path) && path[0] != 0;
}

bool sorvaneGUI::askToReplace(const char* path) {
  if (!services.messages) return false;
  const std::string question = std::string("Are you sure you want to replace \"") + path + "\" ?";
  return services.messages->show(messageOwner(), question.c_str(), "", platform::MessageButtons::YesNo) ==
         platform::MessageAnswer::Yes;
}

void sorvaneGUI::fileMenuChosen(int index) {
  if (!fileMenu_ || !frame) return;
  char path[platform::kPathCapacity];
  if (presetFolderExists_) {
    switch (index) {
      case 0:
        // Only an existing file is replaced (an empty name leaves the folder itself).
        if (!access_->currentPresetPath(path) || !services.files || !services.files->isRegularFile(path)) return;
        if (askToReplace(path)) access_->savePreset(path);
        return;
      case 1:
        if (!runFileDialog(true, false, true, path)) return;
        if (isInsideFolder(path, access_->presetFolderPath()))
          access_->savePreset(path);
        else
          showMessage(std::string("Please save the preset inside \"") + access_->presetFolderPath() + "\" folder!",
                      "Attention!");
        return;
      case 3:
        openUserManual();
        return;
      case 5:
        openWebSite();
        return;
      default:
        return;
    }
  }
  switch (index) {
    case 0:
      if (runFileDialog(true, false, false, path)) access_->savePreset(path);
      return;
    case 1:
      if (runFileDialog(false, false, false, path)) access_->loadPreset(path);
      return;
    case 3:
      if (runFileDialog(true, true, false, path)) access_->saveBank(path);
      return;
    case 4:
      if (runFileDialog(false, true, false, path)) access_->loadBank(path);
      return;
    case 6:
      openUserManual();
      return;
    case 8:
      openWebSite();
      return;
    default:
      return;
  }
}

void sorvaneGUI::openUserManual() {
  char path[platform::kPathCapacity];
  joinPath(access_->manualFolderPath(), kManualFileName, path, sizeof(path));
  if (!services.files || !services.files->isRegularFile(path)) {
    showMessage(std::string("The file at \"") + path + "\" doesn't exist!", "");
    return;
  }
  if (services.shell) services.shell->open(messageOwner(), path);
}

void sorvaneGUI::openWebSite() {
  if (services.shell) services.shell->open(messageOwner(), kMakerWebSite);
}

// ---- After the file operations ----------------------------------------------------

void sorvaneGUI::presetLoadFinished(bool) {
  if (presetFolderExists_) presetNameClean_ = true;
}

void sorvaneGUI::presetSaved(const char* path) {
  if (frame && presetFolderExists_ && presetMenu_) {
    scanPresetFolder(presetMenu_, access_->presetFolderPath());
    if (selectPresetByPath(path)) presetNameClean_ = true;
  }
  // The save renamed the program.
  refreshProgramMenu();
  access_->updateDisplay();
}

void sorvaneGUI::bankLoadFinished(bool) {
  refreshProgramMenu();
  access_->updateDisplay();
}

}  // namespace sorvane::editor
