#include "platform/system_scale.h"

#include <cmath>
#include <string_view>

namespace sorvane::platform {
namespace {

constexpr double kBaseDpi = 96.0;
constexpr double kLargestFactor = 8.0;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// A plain decimal number ("192", "144.5"), whole text; NaN otherwise. No
// locale: a desktop in any language writes its resources with a point.
double parseNumber(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && (isBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  if (text.empty() || text.size() > 32) return NAN;
  double value = 0.0;
  double scale = 0.0;  // 0 before the point, then the weight of the next digit
  bool digits = false;
  for (char c : text) {
    if (c == '.' && scale == 0.0) {
      scale = 0.1;
    } else if (c >= '0' && c <= '9') {
      digits = true;
      if (scale == 0.0) {
        value = value * 10.0 + (c - '0');
      } else {
        value += (c - '0') * scale;
        scale /= 10.0;
      }
    } else {
      return NAN;
    }
  }
  return digits ? value : NAN;
}

}  // namespace

int scaleFromDpi(double dotsPerInch) {
  if (!std::isfinite(dotsPerInch) || dotsPerInch <= 0.0 || dotsPerInch > kBaseDpi * kLargestFactor) return 0;
  const int percent = static_cast<int>(std::lround(dotsPerInch * 100.0 / kBaseDpi));
  return percent > 0 ? percent : 0;
}

int scaleFromXResources(const std::string& resources) {
  constexpr std::string_view kName = "Xft.dpi";
  int found = 0;
  size_t start = 0;
  while (start < resources.size()) {
    size_t end = resources.find('\n', start);
    if (end == std::string::npos) end = resources.size();
    std::string_view line(resources.data() + start, end - start);
    start = end + 1;
    while (!line.empty() && isBlank(line.front())) line.remove_prefix(1);
    if (line.substr(0, kName.size()) != kName) continue;
    line.remove_prefix(kName.size());
    while (!line.empty() && isBlank(line.front())) line.remove_prefix(1);
    if (line.empty() || line.front() != ':') continue;  // Xft.dpiX, say
    line.remove_prefix(1);
    found = scaleFromDpi(parseNumber(line));
  }
  return found;
}

int scaleFromGdkScale(const char* value) {
  if (!value) return 0;
  const double factor = parseNumber(value);
  if (!std::isfinite(factor) || factor != std::floor(factor) || factor < 1.0 || factor > kLargestFactor) return 0;
  return static_cast<int>(factor) * 100;
}

}  // namespace sorvane::platform
