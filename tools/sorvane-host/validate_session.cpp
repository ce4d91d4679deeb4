#include "tools/sorvane-host/validate_session.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sorvane::host::validation {

void fail(const std::string& message) { throw CheckFailure{message}; }
CheckOutcome pass(std::string detail) { return {CheckOutcome::Kind::Pass, std::move(detail)}; }
CheckOutcome skip(std::string detail) { return {CheckOutcome::Kind::Skip, std::move(detail)}; }

std::string exactText(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  return text;
}

std::string hzText(double rate) { return std::to_string(static_cast<int>(rate)) + " Hz"; }

Session::Session(const PluginLibrary& library, double rate, int block) {
  std::string error;
  instance_ = PluginInstance::create(library, error);
  if (!instance_) fail(error);
  instance_->setSampleRate(rate);
  instance_->setBlockSize(block);
  const auto inputs = static_cast<size_t>(std::clamp(instance_->numInputs(), 0, 64));
  const auto outputs = static_cast<size_t>(std::clamp(instance_->numOutputs(), 0, 64));
  in_.assign(inputs + 1, std::vector<float>(kLargestBlock));
  out_.assign(outputs + 1, std::vector<float>(kLargestBlock));
  inDouble_.assign(inputs + 1, std::vector<double>(kLargestBlock));
  outDouble_.assign(outputs + 1, std::vector<double>(kLargestBlock));
}

void Session::fillNoise(Random& random, int frames, double peak) {
  for (int i = 0; i < frames; ++i) {
    const auto left = static_cast<float>((random.uniform() * 2.0 - 1.0) * peak);
    const auto right = static_cast<float>((random.uniform() * 2.0 - 1.0) * peak);
    for (size_t c = 0; c < inputs(); ++c) in_[c][static_cast<size_t>(i)] = c % 2 == 0 ? left : right;
  }
}

void Session::fillConstant(int frames, float value) {
  for (size_t c = 0; c < inputs(); ++c) std::fill_n(in_[c].begin(), frames, value);
}

void Session::process(int frames) {
  std::vector<float*> ins, outs;
  for (auto& c : in_) ins.push_back(c.data());
  for (auto& c : out_) outs.push_back(c.data());
  instance_->process(ins.data(), outs.data(), frames);
}

void Session::processInPlace(int frames) {
  std::vector<float*> buffers;
  for (auto& c : in_) buffers.push_back(c.data());
  instance_->process(buffers.data(), buffers.data(), frames);
}

void Session::processDouble(int frames) {
  std::vector<double*> ins, outs;
  for (auto& c : inDouble_) ins.push_back(c.data());
  for (auto& c : outDouble_) outs.push_back(c.data());
  instance_->processDouble(ins.data(), outs.data(), frames);
}

double Session::outputPeak(int frames) const {
  double peak = 0.0;
  for (size_t c = 0; c < outputs(); ++c) {
    for (int i = 0; i < frames; ++i) {
      const double value = out_[c][static_cast<size_t>(i)];
      if (!std::isfinite(value)) return std::numeric_limits<double>::infinity();
      peak = std::max(peak, std::abs(value));
    }
  }
  return peak;
}

void Session::runNoise(Random& random, double seconds, int block, const std::string& what, double peak, double limit) {
  const auto total = static_cast<long long>(seconds * instance_->context().sampleRate);
  for (long long done = 0; done < total; done += block) {
    fillNoise(random, block, peak);
    process(block);
    requireSane(block, what, limit);
  }
}

void Session::requireSane(int frames, const std::string& what, double limit) {
  const double peak = outputPeak(frames);
  if (!std::isfinite(peak)) fail(what + ": the output holds NaN or infinity");
  if (peak > limit) {
    fail(what + ": the output reaches " + std::to_string(20.0 * std::log10(peak)).substr(0, 5) + " dBFS");
  }
}

std::vector<float> parameterValues(PluginInstance& instance) {
  std::vector<float> values;
  for (int i = 0; i < instance.numParams(); ++i) values.push_back(instance.getParameter(i));
  return values;
}

void randomiseParameters(PluginInstance& instance, Random& random, int changes) {
  for (int i = 0; i < changes && instance.numParams() > 0; ++i) {
    instance.setParameter(random.below(instance.numParams()), static_cast<float>(random.uniform()));
  }
}

}  // namespace sorvane::host::validation
