#include "editor/aeffguieditor.h"

#include <algorithm>

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
  *out = &rect;
  return true;
}

bool AEffGUIEditor::open(void* parentWindow) {
  systemWindow = parentWindow;
  currentOpening = ++openings;
  if (currentOpening == 0) currentOpening = ++openings;  // 0 means closed
  return false;
}

void AEffGUIEditor::close() {
  systemWindow = nullptr;
  currentOpening = 0;
}

void AEffGUIEditor::idle() {
  if (!inIdleUpdate && frame) frame->idle();
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
    r = CRect(std::min(area->left, area->right), std::min(area->top, area->bottom), std::max(area->left, area->right),
              std::max(area->top, area->bottom));
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
