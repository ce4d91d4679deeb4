// The LV2 UI of one product (ui:X11UI): the effect's own editor, the same
// as the VST build shows, opened in a child window of the host's ui:parent.
// It reaches the effect through instance-access, so the preset browser,
// A/B and the FILE menu act on the instance the host plays. The host pumps
// it through ui:idleInterface (the editor's idle, which reads the window's
// events); it runs no thread of its own. Its size goes to the host through
// ui:resize, and ui:scaleFactor is the host's factor among the editor's
// size sources. Gestures, values and program changes reach the ports
// through the bridge (ui_bridge.h).
//
// Thread contract: the host's user-interface thread only.
#pragma once

#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <new>
#include <vector>

#include "editor/aeffguieditor.h"
#include "formats/lv2/adapter_impl.h"
#include "formats/lv2/ui_bridge.h"
#include "gui/draw/scaling.h"

namespace sorvane::lv2 {

// The host's scale factor among the options, or 0 without one (or without
// the map that names it).
inline float hostScaleFactor(const LV2_Options_Option* options, LV2_URID key, LV2_URID floatType) {
  if (!options || !key) return 0.0f;
  for (const LV2_Options_Option* o = options; o->key || o->value; ++o)
    if (o->key == key && o->type == floatType && o->size == sizeof(float) && o->value)
      return *static_cast<const float*>(o->value);
  return 0.0f;
}

template <class Product>
class Ui final : public EditorLink {
 public:
  static const LV2UI_Descriptor* descriptor() {
    static const LV2UI_Descriptor d = {Identity<Product>::kUiUri, instantiate, cleanup, portEvent, extensionData};
    return &d;
  }

  void beginEdit(int index) override { bridge_.beginEdit(index); }
  void endEdit(int index) override { bridge_.endEdit(index); }
  void automated(int index, float value) override { bridge_.automated(index, value); }
  bool sizeWindow(int width, int height) override {
    return resize_ && resize_->ui_resize && resize_->ui_resize(resize_->handle, width, height) == 0;
  }

 private:
  using Plugin = Adapter<Product>;

  Ui(Plugin& plugin, editor::AEffGUIEditor* editor, LV2UI_Write_Function write, LV2UI_Controller controller,
     const LV2UI_Touch* touch, const LV2UI_Resize* resize)
      : plugin_(plugin),
        editor_(editor),
        bridge_(unitsOf<Product>(), valuesOf(plugin.effect()),
                UiHostCalls{this, writePort, touch ? touchPort : nullptr}),
        resize_(resize),
        touch_(touch),
        write_(write),
        controller_(controller) {}

  static std::vector<float> valuesOf(Sorvane<Product>& effect) {
    std::vector<float> values(Product::kParameterCount);
    for (int i = 0; i < Product::kParameterCount; ++i) values[static_cast<std::size_t>(i)] = effect.getParameter(i);
    return values;
  }

  static void writePort(void* context, std::uint32_t port, float value) {
    auto* self = static_cast<Ui*>(context);
    self->write_(self->controller_, port, sizeof value, 0, &value);
  }
  static void touchPort(void* context, std::uint32_t port, bool grabbed) {
    auto* self = static_cast<Ui*>(context);
    self->touch_->touch(self->touch_->handle, port, grabbed);
  }

  static LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*,
                                  LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                                  const LV2_Feature* const* features) {
    if (!pluginUri || std::strcmp(pluginUri, Identity<Product>::kUri) != 0 || !write || !widget) return nullptr;
    void* parent = nullptr;
    Plugin* plugin = nullptr;
    const LV2UI_Resize* resize = nullptr;
    const LV2UI_Touch* touch = nullptr;
    const LV2_Options_Option* options = nullptr;
    const LV2_URID_Map* map = nullptr;
    for (int i = 0; features && features[i]; ++i) {
      const char* uri = features[i]->URI;
      void* data = features[i]->data;
      if (std::strcmp(uri, LV2_UI__parent) == 0)
        parent = data;
      else if (std::strcmp(uri, LV2_INSTANCE_ACCESS_URI) == 0)
        plugin = static_cast<Plugin*>(data);
      else if (std::strcmp(uri, LV2_UI__resize) == 0)
        resize = static_cast<const LV2UI_Resize*>(data);
      else if (std::strcmp(uri, LV2_UI__touch) == 0)
        touch = static_cast<const LV2UI_Touch*>(data);
      else if (std::strcmp(uri, LV2_OPTIONS__options) == 0)
        options = static_cast<const LV2_Options_Option*>(data);
      else if (std::strcmp(uri, LV2_URID__map) == 0)
        map = static_cast<const LV2_URID_Map*>(data);
    }
    if (!parent || !plugin) return nullptr;
    auto* editor = dynamic_cast<editor::AEffGUIEditor*>(plugin->effect().getEditor());
    // One panel per instance, as a VST host opens one editor.
    if (!editor || editor->isOpen()) return nullptr;
    Ui* self = nullptr;
    try {
      self = new Ui(*plugin, editor, write, controller, touch && touch->touch ? touch : nullptr, resize);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
    if (map && map->map) {
      self->scaleKey_ = map->map(map->handle, LV2_UI__scaleFactor);
      self->floatType_ = map->map(map->handle, LV2_ATOM__Float);
    }
    self->takeScaleFactor(hostScaleFactor(options, self->scaleKey_, self->floatType_));
    plugin->linkEditor(self);
    if (!editor->open(parent) || !editor->getFrame() || !editor->getFrame()->getSystemWindow()) {
      editor->close();
      plugin->linkEditor(nullptr);
      delete self;
      return nullptr;
    }
    *widget = editor->getFrame()->getSystemWindow();
    ERect* rect = nullptr;
    if (resize && resize->ui_resize && editor->getRect(&rect) && rect)
      resize->ui_resize(resize->handle, rect->right - rect->left, rect->bottom - rect->top);
    return self;
  }

  static void cleanup(LV2UI_Handle handle) {
    auto* self = static_cast<Ui*>(handle);
    // A drag the panel's closing cuts short still ends its gesture at the host.
    self->editor_->close();
    self->bridge_.endOpenGestures();
    self->plugin_.linkEditor(nullptr);
    delete self;
  }

  static void portEvent(LV2UI_Handle handle, std::uint32_t port, std::uint32_t size, std::uint32_t format,
                        const void* buffer) {
    auto* self = static_cast<Ui*>(handle);
    if (format != 0 || size != sizeof(float) || !buffer || port >= static_cast<std::uint32_t>(Product::kParameterCount))
      return;
    float value;
    std::memcpy(&value, buffer, sizeof value);
    Sorvane<Product>& effect = self->plugin_.effect();
    const int index = static_cast<int>(port);
    // As a VST host's setParameter: the effect takes it and tells the editor.
    if (const std::optional<float> parameter = self->bridge_.portEvent(port, value, effect.getParameter(index))) {
      effect.setParameter(index, *parameter);
      self->bridge_.effectTook(index, effect.getParameter(index));
    }
  }

  static int idle(LV2UI_Handle handle) {
    auto* self = static_cast<Ui*>(handle);
    self->editor_->idle();
    // What the panel changed without a gesture (a program, a side, a file)
    // reaches every port that no longer shows it.
    self->bridge_.follow(valuesOf(self->plugin_.effect()));
    return 0;
  }

  // The host's factor is one of the editor's size sources; a change while
  // open is applied at the next idle, as the VST build's.
  // (0: the host gives none.)
  void takeScaleFactor(float factor) {
    editor_->setScale(editor::AEffGUIEditor::ScaleSource::Host, nearestEditorScale(factor));
  }

  static std::uint32_t getOptions(LV2_Handle, LV2_Options_Option*) { return LV2_OPTIONS_ERR_UNKNOWN; }
  static std::uint32_t setOptions(LV2_Handle handle, const LV2_Options_Option* options) {
    auto* self = static_cast<Ui*>(handle);
    const float factor = hostScaleFactor(options, self->scaleKey_, self->floatType_);
    if (factor == 0.0f) return LV2_OPTIONS_ERR_BAD_KEY;
    self->takeScaleFactor(factor);
    return LV2_OPTIONS_SUCCESS;
  }

  static const void* extensionData(const char* uri) {
    static const LV2UI_Idle_Interface idleInterface = {idle};
    static const LV2_Options_Interface optionsInterface = {getOptions, setOptions};
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0) return &idleInterface;
    if (std::strcmp(uri, LV2_OPTIONS__interface) == 0) return &optionsInterface;
    return nullptr;
  }

  Plugin& plugin_;
  editor::AEffGUIEditor* editor_;
  UiBridge bridge_;
  const LV2UI_Resize* resize_;  // null without ui:resize
  const LV2UI_Touch* touch_;    // null without ui:touch
  LV2UI_Write_Function write_;
  LV2UI_Controller controller_;
  LV2_URID scaleKey_ = 0;  // 0 without the host's map
  LV2_URID floatType_ = 0;
};

template <class Product>
const LV2UI_Descriptor* uiDescriptorOf() {
  return Ui<Product>::descriptor();
}

}  // namespace sorvane::lv2
