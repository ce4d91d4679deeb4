// Block-wise processing of whole stereo buffers through an instance, with
// the channel counts the plug-in announces.
#pragma once

#include <vector>

#include "tools/sorvane-host/audio.h"
#include "tools/sorvane-host/plugin_host.h"

namespace sorvane::host {

// Owns the host-side channel buffers. Plug-ins with other channel counts
// than two still get stereo: input channel c carries stereo channel c % 2,
// and outputs 0 and 1 (or 0 twice) are taken as left and right.
class BlockProcessor {
 public:
  BlockProcessor(PluginInstance& instance, int maxBlock);

  // frames may exceed maxBlock: the processor splits it. Returns false if
  // the instance cannot process in double precision and useDouble is set.
  bool process(const float* inLeft, const float* inRight, float* outLeft, float* outRight, int frames, bool useDouble);

 private:
  void processChunk(const float* inLeft, const float* inRight, float* outLeft, float* outRight, int frames,
                    bool useDouble);

  PluginInstance& instance_;
  int maxBlock_;
  std::vector<std::vector<float>> inputs_, outputs_;
  std::vector<std::vector<double>> inputsDouble_, outputsDouble_;
  std::vector<float*> inputPointers_, outputPointers_;
  std::vector<double*> inputPointersDouble_, outputPointersDouble_;
};

// Processes input from start to end in blocks of blockSize.
AudioBuffer renderBuffer(PluginInstance& instance, const AudioBuffer& input, int blockSize, bool useDouble);

}  // namespace sorvane::host
