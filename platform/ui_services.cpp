#include "platform/ui_services.h"

namespace sorvane::platform {

const UiServices& nativeUiServices() {
  static const UiServices services{&nativeWindowSystem(), &nativePopupMenus(),  &systemClock(), &systemMessageBox(),
                                   &systemFileSystem(),   &systemFileDialogs(), &systemShell(), &userSettings()};
  return services;
}

}  // namespace sorvane::platform
