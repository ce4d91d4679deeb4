// The UI's half of the port translation: what the editor tells its host
// (a gesture's begin and end, a value it sets) becomes ui:touch and the
// write function in port units; what the host writes to a port becomes the
// parameter value the effect takes, as a VST host's setParameter would; and
// whatever else moved the effect (a program change, an A/B switch, a preset
// file the panel loaded) is written to every port that no longer shows it,
// so the host's controls follow the panel.
//
// It keeps, per port, the value the host shows (the last one either side
// wrote) and the effect's value as last seen, so only the effect's own
// moves are written back: a host value still on its way to the effect is
// never overwritten with the one it replaces.
//
// Thread contract: the host's user-interface thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "plugin/units.h"

namespace sorvane::lv2 {

struct UiHostCalls {
  void* context = nullptr;
  void (*write)(void* context, std::uint32_t port, float value) = nullptr;
  // Null when the host gives no ui:touch.
  void (*touch)(void* context, std::uint32_t port, bool grabbed) = nullptr;
};

class UiBridge {
 public:
  // values: the effect's parameter values now, which the ports are taken to show.
  UiBridge(const ParameterUnits& units, const std::vector<float>& values, UiHostCalls host);

  // The editor's gestures and values (the effect already holds the value).
  void beginEdit(int index);
  void endEdit(int index);
  void automated(int index, float value);
  // The host's port value, with the effect's value now: the parameter
  // value to set, or nothing when the effect already plays what the port
  // shows (or the port is no control).
  std::optional<float> portEvent(std::uint32_t port, float value, float effectValue);
  // After setting what portEvent asked: the effect's value as it took it.
  void effectTook(int index, float effectValue);
  // The effect's values now: writes each port the effect moved away from.
  // Returns how many ports were written.
  int follow(const std::vector<float>& values);
  // Ends the gestures still open (the panel closes mid-drag).
  void endOpenGestures();

  int parameterCount() const { return static_cast<int>(shown_.size()); }
  float shown(int index) const { return shown_[static_cast<std::size_t>(index)]; }

 private:
  bool valid(int index) const { return index >= 0 && index < parameterCount(); }
  void write(int index, float port);

  ParameterUnits units_;
  UiHostCalls host_;
  std::vector<float> shown_;
  std::vector<float> seen_;
  std::vector<bool> touching_;
};

}  // namespace sorvane::lv2
