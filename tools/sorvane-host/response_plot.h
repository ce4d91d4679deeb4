// The response plot: magnitude above, phase below, log frequency from 10 Hz
// to 22 kHz, labelled grids, a legend with one entry per curve and a title.
#pragma once

#include <string>
#include <vector>

#include "tools/sorvane-host/raster.h"
#include "tools/sorvane-host/response.h"

namespace sorvane::host {

constexpr double kPlotLowHz = 10.0;
constexpr double kPlotHighHz = 22000.0;

struct DbRange {
  double bottom = -24.0;
  double top = 24.0;
  double step = 6.0;
};

// A range in whole grid steps that holds every curve, at least +-12 dB
// and never below -60 dB (deep cut slopes are clipped at the bottom).
DbRange chooseDbRange(const std::vector<ResponseCurve>& curves);

Raster drawResponsePlot(const std::vector<ResponseCurve>& curves, const std::string& title);

// Frequency, then magnitude (dB) and phase (degrees) per curve.
bool writeResponseCsv(const std::string& path, const std::vector<ResponseCurve>& curves, std::string& error);

}  // namespace sorvane::host
