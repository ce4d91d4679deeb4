// What the frame and its controls need from the editor that owns them: the
// idle pump, the knob mode, and the start and end of a user's gesture on a
// parameter (which the editor passes on to the host).
#pragma once

#include <cstdint>

namespace sorvane {

enum CKnobMode : std::int32_t { kCircularMode = 0, kRelativCircularMode = 1, kLinearMode = 2 };

class GUIEditorInterface {
 public:
  virtual void doIdleStuff() = 0;
  virtual std::int32_t getKnobMode() const = 0;
  virtual void beginEdit(std::int32_t index) = 0;
  virtual void endEdit(std::int32_t index) = 0;
  virtual ~GUIEditorInterface() = default;
};

}  // namespace sorvane
