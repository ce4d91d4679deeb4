// Benchmark bookkeeping: the interleaved schedule and the statistics, apart
// from the timing loop so they can be checked on their own.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tools/sorvane-host/plugin_host.h"

namespace sorvane::host {

struct BenchStats {
  double median = 0.0;
  double lowest = 0.0;
  double highest = 0.0;
  double lowerQuartile = 0.0;
  double upperQuartile = 0.0;
  // Interquartile range over the median: robust against the odd round that
  // another process disturbed.
  double spreadPercent = 0.0;
};

// Median, quartiles and range of the per-round figures (quartiles
// interpolated linearly); all zero for no rounds.
BenchStats summarizeRounds(std::vector<double> nanosecondsPerFrame);

// Order in which the libraries run in a round: a rotation that starts one
// further each round, so no library always runs first (cold) or last.
std::vector<size_t> roundOrder(size_t libraries, size_t round);

// Frames per round: the total spread over the rounds, whole blocks, at
// least one block.
long long framesPerRound(double seconds, double sampleRate, int rounds, int blockSize);

// Settings that give a known peer equaliser a load comparable to ours: its
// bands switched on with non-zero gains. Empty for libraries we do not know.
// Each entry is a parameter name and a normalised value.
struct PeerSetting {
  const char* parameter;
  float value;
};
std::vector<PeerSetting> peerLoadSettings(VstInt32 uniqueId);

}  // namespace sorvane::host
