#include "editor/aeffguieditor.h"

#include <algorithm>

namespace sorvane::editor {

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect, const platform::UiServices& services)
    : AEffEditor(effect),
      nextIdleTick(services.clock ? services.clock->tickCount() : 0),
      services(services),
      effectX(dynamic_cast<AudioEffectX*>(effect)) {}

AEffGUIEditor::~AEffGUIEditor() = default;

bool AEffGUIEditor::getRect(ERect** out) {
  if (!out) return false;
  *out = &rect;
  return true;
}

bool AEffGUIEditor::open(void* parentWindow) {
  systemWindow = parentWindow;
  return false;
}

void AEffGUIEditor::close() { systemWindow = nullptr; }

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
