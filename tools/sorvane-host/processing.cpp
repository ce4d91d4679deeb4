#include "tools/sorvane-host/processing.h"

#include <algorithm>

namespace sorvane::host {

BlockProcessor::BlockProcessor(PluginInstance& instance, int maxBlock)
    : instance_(instance), maxBlock_(std::max(maxBlock, 1)) {
  const auto inputs = static_cast<size_t>(std::max(instance.numInputs(), 0));
  const auto outputs = static_cast<size_t>(std::max(instance.numOutputs(), 0));
  const auto frames = static_cast<size_t>(maxBlock_);
  // One spare channel each way: plug-ins that miscount do not write into
  // foreign memory through a null pointer.
  inputs_.assign(inputs + 1, std::vector<float>(frames));
  outputs_.assign(outputs + 1, std::vector<float>(frames));
  inputsDouble_.assign(inputs + 1, std::vector<double>(frames));
  outputsDouble_.assign(outputs + 1, std::vector<double>(frames));
  for (auto& channel : inputs_) inputPointers_.push_back(channel.data());
  for (auto& channel : outputs_) outputPointers_.push_back(channel.data());
  for (auto& channel : inputsDouble_) inputPointersDouble_.push_back(channel.data());
  for (auto& channel : outputsDouble_) outputPointersDouble_.push_back(channel.data());
}

bool BlockProcessor::process(const float* inLeft, const float* inRight, float* outLeft, float* outRight, int frames,
                             bool useDouble) {
  if (useDouble && !instance_.canProcessDouble()) return false;
  int done = 0;
  while (done < frames) {
    const int chunk = std::min(maxBlock_, frames - done);
    processChunk(inLeft + done, inRight + done, outLeft + done, outRight + done, chunk, useDouble);
    done += chunk;
  }
  return true;
}

void BlockProcessor::processChunk(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                                  int frames, bool useDouble) {
  const auto count = static_cast<size_t>(frames);
  const size_t inputs = inputs_.size() - 1;
  const size_t outputs = outputs_.size() - 1;
  if (useDouble) {
    for (size_t c = 0; c < inputs; ++c) {
      const float* source = c % 2 == 0 ? inLeft : inRight;
      std::copy(source, source + count, inputsDouble_[c].begin());
    }
    instance_.processDouble(inputPointersDouble_.data(), outputPointersDouble_.data(), frames);
    for (size_t i = 0; i < count; ++i) {
      outLeft[i] = outputs > 0 ? static_cast<float>(outputsDouble_[0][i]) : 0.0f;
      outRight[i] = outputs > 1 ? static_cast<float>(outputsDouble_[1][i]) : outLeft[i];
    }
    return;
  }
  for (size_t c = 0; c < inputs; ++c) {
    const float* source = c % 2 == 0 ? inLeft : inRight;
    std::copy(source, source + count, inputs_[c].begin());
  }
  instance_.process(inputPointers_.data(), outputPointers_.data(), frames);
  for (size_t i = 0; i < count; ++i) {
    outLeft[i] = outputs > 0 ? outputs_[0][i] : 0.0f;
    outRight[i] = outputs > 1 ? outputs_[1][i] : outLeft[i];
  }
}

AudioBuffer renderBuffer(PluginInstance& instance, const AudioBuffer& input, int blockSize, bool useDouble) {
  AudioBuffer output;
  output.sampleRate = input.sampleRate;
  output.resize(input.frames());
  BlockProcessor processor(instance, blockSize);
  processor.process(input.left.data(), input.right.data(), output.left.data(), output.right.data(),
                    static_cast<int>(input.frames()), useDouble);
  return output;
}

}  // namespace sorvane::host
