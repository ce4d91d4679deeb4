// The effect as the product editor sees it: parameters, programs, the A/B
// sides, the folders, and the preset and bank files. One editor class serves
// both products through this face; ProductEffectAccess binds it to one
// product's effect and that effect's file operations.
//
// Thread contract: the user-interface thread only (the editor calls it from
// its controls, menus and idle).
#pragma once

#include <cstring>
#include <string>

#include "plugin/sorvane.h"
#include "plugin/units.h"
#include "presets/folders.h"
#include "presets/preset_files.h"

namespace sorvane::editor {

class EffectAccess {
 public:
  virtual ~EffectAccess() = default;

  virtual AudioEffectX& effect() = 0;
  virtual int parameterCount() const = 0;
  virtual const PresetProduct& product() const = 0;
  virtual ParameterUnits units() const = 0;

  virtual float getParameter(int index) = 0;
  virtual void setParameterAutomated(int index, float value) = 0;
  virtual int getProgram() = 0;
  virtual void setProgram(int program) = 0;
  virtual bool updateDisplay() = 0;
  // Program i's name on the side the current program shows.
  virtual void programName(int program, char (&name)[kProgramNameMax + 1]) = 0;

  virtual int getActiveSide() = 0;
  virtual void toggleActiveSide() = 0;
  virtual void copyActiveSideToOther() = 0;

  virtual const char* presetFolderPath() = 0;
  virtual const char* manualFolderPath() = 0;
  // The current program's current-side preset file, relative to the preset folder.
  virtual void currentFileName(char (&name)[platform::kPathCapacity]) = 0;
  // That file as a full path in the preset folder; false when it does not fit.
  virtual bool currentPresetPath(char (&path)[platform::kPathCapacity]) = 0;

  virtual bool loadPreset(const char* path) = 0;
  virtual bool savePreset(const char* path) = 0;
  virtual bool loadBank(const char* path) = 0;
  virtual bool saveBank(const char* path) = 0;
  virtual bool isPresetModified() = 0;
};

template <class Product>
class ProductEffectAccess final : public EffectAccess {
 public:
  using Effect = Sorvane<Product>;

  // The folders are the effect's unless given (tests browse folders of their own).
  ProductEffectAccess(Effect& effect, platform::MessageBoxService& messages, PresetFileListener* listener,
                      const char* presetFolder = nullptr, const char* manualFolder = nullptr)
      : effect_(effect),
        presetFolder_(presetFolder ? presetFolder : effect.getPresetFolderPath()),
        manualFolder_(manualFolder ? manualFolder : effect.getManualFolderPath()),
        files_(effect, Product::presets(), presetFolder_.c_str(), messages, listener) {}

  AudioEffectX& effect() override { return effect_; }
  int parameterCount() const override { return Product::kParameterCount; }
  const PresetProduct& product() const override { return Product::presets(); }
  ParameterUnits units() const override { return unitsOf<Product>(); }

  float getParameter(int index) override { return effect_.getParameter(index); }
  void setParameterAutomated(int index, float value) override { effect_.setParameterAutomated(index, value); }
  int getProgram() override { return effect_.getProgram(); }
  void setProgram(int program) override { effect_.setProgram(program); }
  bool updateDisplay() override { return effect_.updateDisplay(); }
  void programName(int program, char (&name)[kProgramNameMax + 1]) override {
    std::memset(name, 0, sizeof(name));
    if (!effect_.getProgramNameIndexed(0, program, name)) name[0] = 0;
  }

  int getActiveSide() override { return effect_.getActiveSide(); }
  void toggleActiveSide() override { effect_.toggleActiveSide(); }
  void copyActiveSideToOther() override { effect_.copyActiveSideToOther(); }

  const char* presetFolderPath() override { return presetFolder_.c_str(); }
  const char* manualFolderPath() override { return manualFolder_.c_str(); }
  void currentFileName(char (&name)[platform::kPathCapacity]) override { files_.currentRelativeName(name); }
  bool currentPresetPath(char (&path)[platform::kPathCapacity]) override { return files_.currentPresetPath(path); }

  bool loadPreset(const char* path) override { return files_.loadPreset(path); }
  bool savePreset(const char* path) override { return files_.savePreset(path); }
  bool loadBank(const char* path) override { return files_.loadBank(path); }
  bool saveBank(const char* path) override { return files_.saveBank(path); }
  bool isPresetModified() override { return files_.isPresetModified(); }

 private:
  Effect& effect_;
  std::string presetFolder_;
  std::string manualFolder_;
  PresetFiles<Effect> files_;
};

}  // namespace sorvane::editor
