// Frequency-response measurement of a plug-in instance.
//
// Method: the instance, already in its state and resumed, first processes
// one second of silence, longer than any update period plus crossfade, so
// that coefficient changes triggered by the state have settled. Then a unit
// impulse (scaled by 0.5 for headroom) enters both channels and the left
// output is recorded for 2^k samples (at least 1.3 s). H(f) is the DFT of
// that impulse response evaluated exactly at each wanted frequency, with the
// plug-in's announced latency removed from the phase.
#pragma once

#include <string>
#include <vector>

#include "tools/sorvane-host/plugin_host.h"

namespace sorvane::host {

struct ResponseCurve {
  std::string label;
  std::vector<double> frequencies;  // Hz
  std::vector<double> magnitudeDb;
  std::vector<double> phaseDegrees;  // wrapped to (-180, 180]
};

// count frequencies spaced evenly on a log scale from low to high.
std::vector<double> logFrequencies(double low, double high, int count);

// The pure part: H at each frequency from an impulse response h (already
// divided by the impulse height), with delaySamples of latency removed.
void responseFromImpulse(const std::vector<double>& impulse, double sampleRate, double delaySamples,
                         ResponseCurve& curve);

// Samples of impulse response recorded at this rate.
int impulseLength(double sampleRate);

// Runs the method above on a resumed instance.
ResponseCurve measureResponse(PluginInstance& instance, double sampleRate, int blockSize,
                              const std::vector<double>& frequencies, const std::string& label);

}  // namespace sorvane::host
