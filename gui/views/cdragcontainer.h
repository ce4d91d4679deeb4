// What is being dragged over the editor: the file names as the system gives
// them. Nothing resolves or opens them; no view of the products takes a drop.
#pragma once

#include <string>
#include <vector>

#include "gui/cbaseobject.h"

namespace sorvane {

class CDragContainer : public CBaseObject {
 public:
  explicit CDragContainer(std::vector<std::string> files) : files_(std::move(files)) {}
  int getCount() const { return static_cast<int>(files_.size()); }
  const std::string& getFile(int index) const { return files_[static_cast<size_t>(index)]; }

 private:
  std::vector<std::string> files_;
};

}  // namespace sorvane
