#include "editor/sorvane_gui.h"

#include <map>
#include <new>

#include "editor/caboutcontainer.h"
#include "editor/cmyanimknob.h"
#include "editor/cvaluereadout.h"
#include "gui/controls/cbuttons.h"
#include "gui/controls/coptionmenu.h"
#include "gui/controls/cparamdisplay.h"
#include "gui/controls/csplashscreen.h"
#include "gui/draw/cbitmap.h"
#include "gui/draw/cfontdesc.h"
#include "gui/draw/scaling.h"

namespace sorvane::editor {
namespace {

constexpr std::int32_t kFileMenuStyle = kNoTextStyle | 64;
constexpr std::int32_t kFolderModePresetMenuStyle = kNoTextStyle | kCheckStyle | 64;
constexpr std::int32_t kProgramModePresetMenuStyle = kCheckStyle | 64;

constexpr const char* kFolderModeFileMenu[] = {"Save Preset", "Save Preset As", "-", "User Manual",
                                               "-",           "Sorvane Website"};
constexpr const char* kProgramModeFileMenu[] = {"Save Preset", "Load Preset", "-", "Save Bank",      "Load Bank",
                                                "-",           "User Manual", "-", "Sorvane Website"};

constexpr const char* kSizeMenuTitle = "Size";
constexpr const char* kAutomaticSizeTitle = "Automatic";

// The pictures of one opening, each held once until the controls hold their
// own, and each decoded (or made) for the opening's size as it is loaded, so
// the opening pays for it and the first paint finds it ready.
class BitmapSet {
 public:
  explicit BitmapSet(int percent) : percent_(percent) {}
  BitmapSet(const BitmapSet&) = delete;
  BitmapSet& operator=(const BitmapSet&) = delete;
  ~BitmapSet() {
    for (auto& [name, bitmap] : bitmaps_) bitmap->forget();
  }
  CBitmap* load(const char* name) {
    auto it = bitmaps_.find(name);
    if (it != bitmaps_.end()) return it->second;
    auto* bitmap = new CBitmap(name);
    bitmaps_.emplace(name, bitmap);
    bitmap->picture(percent_);
    return bitmap;
  }

 private:
  int percent_;
  std::map<std::string, CBitmap*> bitmaps_;
};

}  // namespace

sorvaneGUI::sorvaneGUI(AudioEffect* effect, const EditorLayout& layout, const platform::UiServices& services,
                       const AccessFactory& makeAccess)
    : AEffGUIEditor(effect, services), layout_(layout) {
  // The file operations' boxes count as the editor's own modal calls.
  access_ = makeAccess(gatedMessages(), this);
  const int count = access_->parameterCount();
  pending_ = std::make_unique<PendingValue[]>(static_cast<size_t>(count));
  parameterControls_.assign(static_cast<size_t>(count), nullptr);
  setPanelSize(layout.width, layout.height);
  valueEntry_ = std::make_unique<ValueEntry>(access_->units());
}

sorvaneGUI::~sorvaneGUI() { close(); }

CControl* sorvaneGUI::parameterControl(int index) const {
  if (index < 0 || index >= static_cast<int>(parameterControls_.size())) return nullptr;
  return parameterControls_[static_cast<size_t>(index)];
}

bool sorvaneGUI::open(void* parentWindow) {
  if (parentWindow == nullptr) return false;
  if (frame) close();
  try {
    if (build(parentWindow)) return true;
  } catch (...) {
    // Nothing thrown may reach the host; what was built goes again.
  }
  releaseTree();
  return false;
}

bool sorvaneGUI::build(void* parentWindow) {
  AEffGUIEditor::open(parentWindow);
  // Drag and drop needs the thread's OLE session while the window lives.
  ole_ = std::make_unique<platform::OleSession>();
  // Values read from here on are the current ones; what arrives meanwhile
  // is applied at the next idle.
  for (int i = 0; i < access_->parameterCount(); ++i) pending_[static_cast<size_t>(i)].changed.store(false);
  presetDisplayPending_.store(false);
  programMenuPending_.store(false);

  BitmapSet bitmaps(getScale());
  // 1. The frame with the background picture.
  {
    CBitmap* background = bitmaps.load(kBackgroundBitmap);
    frame = new CFrame(CRect(0, 0, background->getWidth(), background->getHeight()), parentWindow, this, services,
                       getScale());
    frame->setBackgroundColor(kBlackCColor);
    frame->setBackground(background);
  }
  if (!frame->isWindowOpen()) return false;

  // 2. The product's other pictures.
  for (const char* name : layout_.bitmaps) bitmaps.load(name);

  auto addAbControls = [&] {
    // 4. Both copy buttons; only the one for the current side goes in the tree.
    copyBToA_ = new CKickButton(layout_.abCopy, this, layout_.tags.abCopy, 22, bitmaps.load(kCopyBToABitmap));
    copyBToA_->setTransparency(true);
    copyBToA_->setValue(access_->getParameter(layout_.tags.abCopy));
    copyAToB_ = new CKickButton(layout_.abCopy, this, layout_.tags.abCopy, 22, bitmaps.load(kCopyAToBBitmap));
    copyAToB_->setTransparency(true);
    copyAToB_->setValue(access_->getParameter(layout_.tags.abCopy));
    abSwitch_ = new COnOffButton(layout_.abSwitch, this, layout_.tags.abSwitch, bitmaps.load(kAbSwitchBitmap));
    abSwitch_->setTransparency(true);
    showActiveSide();
    frame->addView(abSwitch_);
  };

  // 3. The parameter controls, in the table's order.
  for (const ParameterControl& c : layout_.controls) {
    CBitmap* bitmap = bitmaps.load(c.bitmap);
    CControl* control = nullptr;
    switch (c.kind) {
      case ControlKind::SteppedKnob: {
        auto* knob = new CMyAnimKnob(c.rect, this, c.tag, bitmap, CPoint(0, 0), c.zones.data(),
                                     static_cast<int>(c.zones.size()));
        knob->setDefaultValue(c.defaultValue);
        knob->setMouseableArea(c.mouseableArea);
        control = knob;
        break;
      }
      case ControlKind::Knob: {
        auto* knob = new CAnimKnob(c.rect, this, c.tag, bitmap, CPoint(0, 0));
        knob->setDefaultValue(c.defaultValue);
        knob->setZoomFactor(2.0f);
        control = knob;
        break;
      }
      case ControlKind::Switch:
        control = new COnOffButton(c.rect, this, c.tag, bitmap);
        control->setTransparency(true);
        break;
    }
    control->setValue(access_->getParameter(c.tag));
    if (c.tag >= 0 && c.tag < static_cast<int>(parameterControls_.size()))
      parameterControls_[static_cast<size_t>(c.tag)] = control;
    frame->addView(control);
    if (c.tag == layout_.abAfterTag) addAbControls();
  }
  if (!abSwitch_) addAbControls();

  // 5. The about screen with its version label, shown by the splash area.
  about_ = new CAboutContainer(layout_.aboutScreen, frame, bitmaps.load(kAboutBitmap));
  auto* version = new CTextLabel(layout_.versionLabel, kVersionText);
  version->setTransparency(true);
  version->setFontColor(kWhiteCColor);
  version->setFont(kNormalFontSmall);
  version->setHoriAlign(kLeftText);
  about_->addView(version);
  // 6. The splash area owns the about screen from here on.
  splash_ = new CSplashScreen(layout_.aboutClick, this, layout_.tags.about, about_);
  about_->setSplashScreen(splash_);
  frame->addView(splash_);

  // 7. Folder mode only for a plain directory.
  presetFolderExists_ =
      services.files && services.files->attributes(access_->presetFolderPath()) == platform::kAttributeDirectory;

  // 8. The file menu.
  fileMenu_ = new COptionMenu(layout_.fileMenu, this, layout_.tags.fileMenu, bitmaps.load(layout_.fileMenuBitmap),
                              bitmaps.load(layout_.fileMenuOpenBitmap), kFileMenuStyle);
  fileMenu_->setFont(kNormalFont);
  fileMenu_->setTextTransparency(true);
  fileMenu_->setTransparency(true);
  fileMenu_->setFontColor(kBlackCColor);
  if (presetFolderExists_)
    for (const char* entry : kFolderModeFileMenu) fileMenu_->addEntry(entry);
  else
    for (const char* entry : kProgramModeFileMenu) fileMenu_->addEntry(entry);
  addSizeMenu();
  fileMenu_->setValue(0);
  frame->addView(fileMenu_);

  // 9. The preset name.
  presetLabel_ = new CTextLabel(layout_.presetName, "");
  presetLabel_->setTransparency(true);
  presetLabel_->setFontColor(kBlackCColor);
  presetLabel_->setFont(kNormalFontSmall);
  frame->addView(presetLabel_);

  // 10. The preset menu over it.
  presetMenu_ = new COptionMenu(layout_.presetName, this, layout_.tags.presetMenu, nullptr, nullptr,
                                presetFolderExists_ ? kFolderModePresetMenuStyle : kProgramModePresetMenuStyle);
  presetMenu_->setFont(kNormalFontSmall);
  presetMenu_->setFontColor(kBlackCColor);
  presetMenu_->setHoriAlign(kCenterText);
  presetMenu_->setTransparency(true);
  if (presetFolderExists_)
    doRefreshPresetDisplay();
  else
    fillProgramMenu();
  frame->addView(presetMenu_);

  // 11. The arrows.
  previous_ = new CKickButton(layout_.previous, this, layout_.tags.previous, 21, bitmaps.load(kPreviousBitmap));
  previous_->setTransparency(true);
  previous_->setValue(0);
  frame->addView(previous_);
  next_ = new CKickButton(layout_.next, this, layout_.tags.next, 21, bitmaps.load(kNextBitmap));
  next_->setTransparency(true);
  next_->setValue(0);
  frame->addView(next_);

  // The knobs' value readout, over the panel's views; it times itself by
  // the idle's clock, so without one there is none.
  if (services.clock) {
    constexpr CColor kReadoutPlate = MakeCColor(0x1b, 0x1b, 0x1d);
    constexpr CColor kReadoutText = MakeCColor(0xec, 0xe4, 0xd0);  // the legends' cream
    readout_ = new CValueReadout(CRect(0, 0, layout_.width, layout_.height), access_->units(),
                                 {kReadoutPlate, layout_.accent, kReadoutText});
    frame->addView(readout_);
  }

  // 12. The pictures are released with `bitmaps`; 13. linear knobs.
  setKnobMode(kLinearMode);
  return true;
}

void sorvaneGUI::addSizeMenu() {
  // After every other entry, so their positions stay what fileMenuChosen knows.
  fileMenu_->addEntry("-");
  sizeMenu_ = new COptionMenu(CRect(0, 0, 0, 0), this, layout_.tags.fileMenu, nullptr, nullptr, kCheckStyle);
  for (int percent : kEditorScales) sizeMenu_->addItem((std::to_string(percent) + " %").c_str());
  sizeMenu_->addItem(kAutomaticSizeTitle);
  fileMenu_->addEntry(sizeMenu_, kSizeMenuTitle);
  showChosenSize();
}

void sorvaneGUI::showChosenSize() {
  if (!sizeMenu_) return;
  const int chosen = getScale(ScaleSource::User);
  int index = static_cast<int>(std::size(kEditorScales));  // Automatic
  for (int i = 0; i < static_cast<int>(std::size(kEditorScales)); ++i)
    if (kEditorScales[i] == chosen) index = i;
  if (sizeMenu_->getCurrentIndex() == index && sizeMenu_->isCheckEntry(index)) return;
  sizeMenu_->checkEntryAlone(index);
  sizeMenu_->setValue(static_cast<float>(index));
}

void sorvaneGUI::releaseTree() {
  // The copy button that is not in the tree belongs to the editor alone.
  for (CKickButton** copy : {&copyAToB_, &copyBToA_}) {
    if (*copy && !(*copy)->isAttached()) (*copy)->forget();
    *copy = nullptr;
  }
  // Not yet handed to the splash area: still ours.
  if (about_ && !splash_) about_->forget();
  presetMenu_ = nullptr;
  folders_.clear();
  currentMenu_ = nullptr;
  currentEntry_ = -1;
  fileMenu_ = nullptr;
  sizeMenu_ = nullptr;
  presetLabel_ = nullptr;
  previous_ = next_ = nullptr;
  abSwitch_ = nullptr;
  splash_ = nullptr;
  about_ = nullptr;
  readout_ = nullptr;
  std::fill(parameterControls_.begin(), parameterControls_.end(), nullptr);
  if (valueEntry_) valueEntry_->frameClosing();
  if (CFrame* old = frame) {
    frame = nullptr;
    old->forget();
  }
  ole_.reset();
  AEffGUIEditor::close();
}

void sorvaneGUI::close() {
  if (!frame) return;
  releaseTree();
}

void sorvaneGUI::setParameter(VstInt32 index, float value) {
  if (index < 0 || index >= static_cast<VstInt32>(parameterControls_.size())) return;
  PendingValue& slot = pending_[static_cast<size_t>(index)];
  slot.value.store(value, std::memory_order_relaxed);
  slot.changed.store(true, std::memory_order_release);
}

void sorvaneGUI::refreshPresetDisplay() { presetDisplayPending_.store(true, std::memory_order_release); }

void sorvaneGUI::refreshProgramMenu() { programMenuPending_.store(true, std::memory_order_release); }

void sorvaneGUI::applyPending() {
  for (size_t i = 0; i < parameterControls_.size(); ++i) {
    PendingValue& slot = pending_[i];
    if (!slot.changed.exchange(false, std::memory_order_acquire)) continue;
    const float value = slot.value.load(std::memory_order_relaxed);
    if (frame && parameterControls_[i]) {
      parameterControls_[i]->setValue(value);
      if (readout_) readout_->valueChanged(parameterControls_[i]);
    }
  }
  // The refreshes rebuild menus and add and remove views: not under the feet
  // of a modal call's opener. Their flags stay set for later.
  if (inModalCall()) return;
  if (programMenuPending_.exchange(false, std::memory_order_acquire)) doRefreshProgramMenu();
  if (presetDisplayPending_.exchange(false, std::memory_order_acquire)) doRefreshPresetDisplay();
}

sorvaneGUI::ModalContext sorvaneGUI::modalContext() {
  ModalContext context = AEffGUIEditor::modalContext();
  if (access_) context.side = access_->getActiveSide();
  return context;
}

void sorvaneGUI::idle() {
  applyPending();
  // Before the frame's idle, which paints what the readout invalidates.
  // Under the about screen no knob is hovered.
  if (readout_ && frame && !inIdleUpdate) {
    CView* over = frame->getModalView() ? nullptr : frame->getMouseOverView();
    readout_->idle(readoutKnob(over), readoutTime());
  }
  showChosenSize();
  AEffGUIEditor::idle();
}

CControl* sorvaneGUI::readoutKnob(CView* view) const {
  if (!view || !view->isTypeOf("CKnob")) return nullptr;
  auto* control = static_cast<CControl*>(view);
  return parameterControl(control->getTag()) == control ? control : nullptr;
}

std::uint32_t sorvaneGUI::readoutTime() const { return services.clock ? services.clock->tickCount() : 0; }

void sorvaneGUI::controlBeginEdit(CControl* control) {
  if (CControl* knob = readout_ ? readoutKnob(control) : nullptr) readout_->gestureBegan(knob, readoutTime());
}

void sorvaneGUI::controlEndEdit(CControl* control) {
  if (CControl* knob = readout_ ? readoutKnob(control) : nullptr) readout_->gestureEnded(knob, readoutTime());
}

void sorvaneGUI::showActiveSide() {
  if (!abSwitch_) return;
  const int side = access_->getActiveSide();
  if (side != 0 && side != 1) return;
  abSwitch_->setValue(side == 1 ? 1.0f : 0.0f);
  CKickButton* shown = side == 1 ? copyBToA_ : copyAToB_;
  CKickButton* hidden = side == 1 ? copyAToB_ : copyBToA_;
  if (hidden && hidden->isAttached()) frame->removeView(hidden, false);
  if (shown && !shown->isAttached()) frame->addView(shown);
}

void sorvaneGUI::toggleSide() {
  // The switch flipped itself on the click, but the effect's side is what
  // counts (sides are per program, so the two can disagree after a program
  // change): the preset-display refresh the switch causes sets both the
  // switch and the copy button from it, at the end of this event.
  access_->toggleActiveSide();
  access_->updateDisplay();
}

std::int32_t sorvaneGUI::controlDoubleClicked(CControl* control) {
  if (!frame || !control || !control->isTypeOf("CKnob")) return 0;
  if (parameterControl(control->getTag()) != control) return 0;
  return valueEntry_->open(frame, control) ? 1 : 0;
}

void sorvaneGUI::valueChanged(CControl* control) {
  if (!frame || !control) return;
  const std::int32_t tag = control->getTag();
  const CommandTags& tags = layout_.tags;
  if (tag >= 0 && tag < access_->parameterCount()) {
    access_->setParameterAutomated(tag, control->getValue());
    markPresetModified();
    if (readout_) readout_->valueChanged(control);
  } else if (tag == tags.fileMenu) {
    // Only this opening's menu: an old one's report names an entry of its own.
    if (fileMenu_ && control == fileMenu_) {
      fileMenuChosen(fileMenu_->getCurrentIndex());
    } else if (sizeMenu_ && control == sizeMenu_) {
      // The last entry is Automatic: no size of the user's own.
      const int index = sizeMenu_->getCurrentIndex();
      const int count = static_cast<int>(std::size(kEditorScales));
      if (index >= 0 && index <= count) chooseScale(index < count ? kEditorScales[index] : 0);
      showChosenSize();
    }
    control->setDirty(true);
  } else if (tag == tags.abSwitch) {
    if (abSwitch_) toggleSide();
  } else if (tag == tags.abCopy) {
    if (copyAToB_ || copyBToA_) access_->copyActiveSideToOther();
    control->setDirty(true);
  } else if (tag == tags.presetMenu) {
    if (presetMenu_) presetMenuChosen(static_cast<COptionMenu*>(control));
    control->setDirty(true);
  } else if (tag == tags.previous || tag == tags.next) {
    CKickButton* arrow = tag == tags.previous ? previous_ : next_;
    if (arrow && control->getValue() < 0.5f) stepPreset(tag == tags.previous ? -1 : 1);
    control->setDirty(true);
  }
  // The effect may have left work for the controls (values, refreshes): do it
  // while the user watches.
  if (frame) applyPending();
}

}  // namespace sorvane::editor
