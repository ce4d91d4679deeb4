#include "editor/aeffguieditor.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "gui/draw/scaling.h"

namespace sorvane::editor {

// The three modal services in front of the system's (or the test's) own.
// A service the editor was given none of stays absent; gatedMessages still
// answers, with the neutral answer.
class AEffGUIEditor::ModalGate final : public platform::MessageBoxService,
                                       public platform::FileDialogService,
                                       public platform::PopupMenuService {
 public:
  ModalGate(AEffGUIEditor& editor, const platform::UiServices& given)
      : editor(editor), messages(given.messages), dialogs(given.dialogs), menus(given.menus) {}

  platform::MessageAnswer show(void* owner, const char* text, const char* caption,
                               platform::MessageButtons buttons) override {
    // No for a question: nothing is overwritten without the user's consent.
    const platform::MessageAnswer neutral =
        buttons == platform::MessageButtons::YesNo ? platform::MessageAnswer::No : platform::MessageAnswer::Ok;
    if (!messages) return neutral;
    Call call(editor);
    const platform::MessageAnswer answer = messages->show(owner, text, caption, buttons);
    return call.stillCurrent() ? answer : neutral;
  }

  bool run(const platform::FileDialogRequest& request, char (&path)[platform::kPathCapacity]) override {
    path[0] = 0;
    if (!dialogs) return false;
    Call call(editor);
    if (dialogs->run(request, path) && call.stillCurrent()) return true;
    path[0] = 0;
    return false;
  }

  int track(void* owner, const platform::PopupMenu& menu, int x, int y, bool acceptRightButton) override {
    if (!menus) return 0;
    Call call(editor);
    const int command = menus->track(owner, menu, x, y, acceptRightButton);
    return call.stillCurrent() ? command : 0;
  }

  bool hasMessages() const { return messages != nullptr; }
  bool hasDialogs() const { return dialogs != nullptr; }
  bool hasMenus() const { return menus != nullptr; }

 private:
  // One modal call: counted while it runs, with what it was opened for.
  class Call {
   public:
    explicit Call(AEffGUIEditor& editor) : editor(editor), opened(editor.modalContext()) { ++editor.modalDepth; }
    ~Call() { --editor.modalDepth; }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
    bool stillCurrent() { return editor.modalContext() == opened; }

   private:
    AEffGUIEditor& editor;
    const ModalContext opened;
  };

  AEffGUIEditor& editor;
  platform::MessageBoxService* messages;
  platform::FileDialogService* dialogs;
  platform::PopupMenuService* menus;
};

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect, const platform::UiServices& given)
    : AEffEditor(effect),
      nextIdleTick(given.clock ? given.clock->tickCount() : 0),
      services(given),
      effectX(dynamic_cast<AudioEffectX*>(effect)),
      gate(std::make_unique<ModalGate>(*this, given)) {
  if (gate->hasMessages()) services.messages = gate.get();
  if (gate->hasDialogs()) services.dialogs = gate.get();
  if (gate->hasMenus()) services.menus = gate.get();
}

AEffGUIEditor::~AEffGUIEditor() = default;

AEffGUIEditor::ModalContext AEffGUIEditor::modalContext() {
  ModalContext context;
  context.opening = currentOpening;
  context.program = effect ? effect->getProgram() : 0;
  return context;
}

platform::MessageBoxService& AEffGUIEditor::gatedMessages() { return *gate; }

bool AEffGUIEditor::getRect(ERect** out) {
  if (!out) return false;
  if (!frame) {
    readUserScale();
    if (!systemScaleRead) readSystemScale(nullptr);
  }
  // While the host is asked for a new size it may ask for the rectangle.
  const int percent = askingScale ? askingScale : getShownScale();
  rect.top = rect.left = 0;
  rect.right = static_cast<VstInt16>(std::min(scaleToWindow(panelWidth, percent), 32767));
  rect.bottom = static_cast<VstInt16>(std::min(scaleToWindow(panelHeight, percent), 32767));
  *out = &rect;
  return true;
}

void AEffGUIEditor::setPanelSize(int width, int height) {
  panelWidth = width;
  panelHeight = height;
}

void AEffGUIEditor::setScale(ScaleSource source, int percent) noexcept {
  const auto slot = static_cast<size_t>(source);
  if (slot >= std::size(scales)) return;
  if (percent == 0) {
    scales[slot] = 0;
    return;
  }
  if (percent < 0) return;
  const int snapped = isEditorScale(percent) ? percent : nearestEditorScale(percent / 100.0);
  if (snapped != 0) scales[slot] = snapped;
}

int AEffGUIEditor::getScale(ScaleSource source) const noexcept {
  const auto slot = static_cast<size_t>(source);
  return slot < std::size(scales) ? scales[slot] : 0;
}

int AEffGUIEditor::getScale() const noexcept {
  for (int percent : scales)
    if (percent != 0) return percent;
  return kDefaultEditorScale;
}

int AEffGUIEditor::getShownScale() const noexcept { return frame ? frame->getScale() : getScale(); }

namespace {
constexpr const char* kSizeKey = "size";
constexpr const char* kAutomaticSize = "automatic";
}  // namespace

void AEffGUIEditor::readUserScale() noexcept {
  if (userScaleRead) return;
  userScaleRead = true;
  if (!services.settings) return;
  try {
    const std::string text = services.settings->value(kSizeKey);
    // Only a size exactly as chooseScale writes it: anything else is no choice.
    for (int percent : kEditorScales)
      if (text == std::to_string(percent)) setScale(ScaleSource::User, percent);
  } catch (...) {
    // No memory for a few bytes: no choice.
  }
}

void AEffGUIEditor::readSystemScale(void* parent) noexcept {
  systemScaleRead = true;
  if (!services.windows) return;
  int percent = 0;
  try {
    percent = services.windows->systemScale(parent);
  } catch (...) {
    // Nothing about the size may reach the host: the system says nothing.
  }
  // Nothing usable from the system clears what it said before.
  const int snapped = percent > 0 ? nearestEditorScale(percent / 100.0) : 0;
  setScale(ScaleSource::System, snapped);
}

bool AEffGUIEditor::chooseScale(int percent) noexcept {
  if (percent != 0 && !isEditorScale(percent)) return false;
  userScaleRead = true;  // a choice made now beats the file's
  setScale(ScaleSource::User, percent);
  if (!services.settings) return false;
  try {
    return services.settings->setValue(kSizeKey, percent ? std::to_string(percent) : std::string(kAutomaticSize));
  } catch (...) {
    return false;
  }
}

VstIntPtr AEffGUIEditor::vendorSpecific(VstInt32 index, VstIntPtr value, void*, float opt) {
  if (index != kScaleFactorIndex || value != kScaleFactorValue) return 0;
  const int percent = nearestEditorScale(opt);
  if (percent == 0) return 0;  // no usable factor: the size stays
  setScale(ScaleSource::Host, percent);
  return 1;
}

VstInt32 AEffGUIEditor::canDo(const char* text) {
  return text && std::strcmp(text, "supportsViewDpiScaling") == 0 ? 1 : 0;
}

void AEffGUIEditor::applyScaleChange() {
  // Views of the tree may be on the stack of an event or a modal call; the
  // window is resized only from an idle of its own.
  if (!frame || !frame->isWindowOpen() || inModalCall() || frame->isHandlingEvent() || askingScale != 0) return;
  if (platform::NativeWindow* window = frame->getNativeWindow()) {
    const int reported = window->systemScale();
    if (reported > 0 && reported != windowReportedScale) {
      windowReportedScale = reported;
      setScale(ScaleSource::System, nearestEditorScale(reported / 100.0));
    }
  }
  const int wanted = getScale();
  const int shown = frame->getScale();
  if (wanted == shown) {
    refusedScale = 0;
    return;
  }
  if (wanted == refusedScale) return;
  CFrame* asked = frame;
  const std::uint32_t askedOpening = currentOpening;
  asked->remember();
  bool refused = false;
  try {
    const CPoint size = asked->windowSizeAt(wanted);
    askingScale = wanted;
    const bool agreed = effectX && effectX->sizeWindow(size.x, size.y);
    askingScale = 0;
    // The host may have closed the editor meanwhile.
    if (frame == asked && currentOpening == askedOpening && asked->isWindowOpen()) {
      if (agreed && !asked->setScale(wanted)) {
        // Our window could not follow: the host's goes back to it.
        const CPoint kept = asked->windowSizeAt(shown);
        effectX->sizeWindow(kept.x, kept.y);
      }
      refused = asked->getScale() != wanted;
      if (refused) refusedScale = wanted;
    }
  } catch (...) {
    // Nothing about the size may reach the host; the panel stays as it was.
    askingScale = 0;
  }
  asked->forget();
  if (refused) scaleChangeRefused(wanted);
}

void AEffGUIEditor::scaleChangeRefused(int percent) {
  const std::string text = "The host could not resize the editor's window to " + std::to_string(percent) +
                           " %. The editor will open at that size the next time.";
  gatedMessages().show(frame ? frame->getSystemWindow() : nullptr, text.c_str(), "", platform::MessageButtons::Ok);
}

bool AEffGUIEditor::open(void* parentWindow) {
  readUserScale();
  readSystemScale(parentWindow);
  windowReportedScale = 0;
  systemWindow = parentWindow;
  currentOpening = ++openings;
  if (currentOpening == 0) currentOpening = ++openings;  // 0 means closed
  return false;
}

void AEffGUIEditor::close() {
  systemWindow = nullptr;
  currentOpening = 0;
  askingScale = refusedScale = 0;
  systemScaleRead = false;
}

void AEffGUIEditor::idle() {
  if (inIdleUpdate || !frame) return;
  applyScaleChange();
  if (frame) frame->idle();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& key) {
  if (!frame) return false;
  CKeyCode code{key.character, key.virt, key.modifier};
  return frame->onKeyDown(code) > 0;
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& key) {
  if (!frame) return false;
  CKeyCode code{key.character, key.virt, key.modifier};
  return frame->onKeyUp(code) > 0;
}

bool AEffGUIEditor::setKnobMode(VstInt32 mode) {
  knobMode = mode;
  return true;
}

void AEffGUIEditor::draw(ERect* area) {
  if (!frame) return;
  CRect r = frame->getViewSize();
  if (area) {
    const platform::DrawRect inWindow{std::min(area->left, area->right), std::min(area->top, area->bottom),
                                      std::max(area->left, area->right), std::max(area->top, area->bottom)};
    r = coveringPanelRect(inWindow, frame->getScale());
  }
  frame->invalidRect(r);
  frame->updateWindow();
}

void AEffGUIEditor::doIdleStuff() {
  platform::Clock* clock = services.clock;
  if (!clock) return;
  std::uint32_t now = clock->tickCount();
  if (platform::tickDifference(now, nextIdleTick) < 0) {
    clock->sleep(4);
    now += 4;
    if (platform::tickDifference(now, nextIdleTick - 50) < 0) return;
  }
  idle();  // the frame's idle paints what it invalidated
  inIdleUpdate = true;
  nextIdleTick = now + 100;
  if (effect) effect->masterIdle();
  inIdleUpdate = false;
}

void AEffGUIEditor::beginEdit(std::int32_t index) {
  if (effectX && index >= 0 && index < effectX->getAeffect()->numParams) effectX->beginEdit(index);
}

void AEffGUIEditor::endEdit(std::int32_t index) {
  if (effectX && index >= 0 && index < effectX->getAeffect()->numParams) effectX->endEdit(index);
}

}  // namespace sorvane::editor
