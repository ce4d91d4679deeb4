// Hosts a CLAP file through the VST 2.4 effect record that every command drives.
#include "tools/sorvane-host/plugin_host.h"

namespace sorvane::host {

std::unique_ptr<PluginLibrary> openClapFile(const std::string& path, std::string& error) {
  error = "'" + path + "': this build of sorvane-host cannot load a CLAP file yet";
  return nullptr;
}

}  // namespace sorvane::host
