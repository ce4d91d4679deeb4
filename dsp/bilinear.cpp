#include "dsp/bilinear.h"

namespace sorvane::dsp {

double factorial(unsigned n) { return n == 0 ? 1.0 : static_cast<double>(n) * factorial(n - 1); }

namespace {

// K^i by repeated squaring.
double integerPower(double base, int exponent) {
  double result = 1.0;
  while (exponent > 0) {
    if (exponent & 1) result = result * base;
    base = base * base;
    exponent >>= 1;
  }
  return result;
}

// Coefficient of z^-k in (1 - z^-1)^i (1 + z^-1)^(N-i).
double expansionCoefficient(int i, int k, int N) {
  const int first = (i - N + k) > 0 ? (i - N + k) : 0;
  const int last = i < k ? i : k;
  double sum = 0.0;
  for (int j = first; j <= last; ++j) {
    const double numerator = factorial(static_cast<unsigned>(i)) * factorial(static_cast<unsigned>(N - i));
    const double denominator = factorial(static_cast<unsigned>(j)) * factorial(static_cast<unsigned>(i - j)) *
                               factorial(static_cast<unsigned>(k - j)) *
                               factorial(static_cast<unsigned>(N - i - k + j));
    const double term = numerator / denominator;
    sum = (j % 2 == 0) ? sum + term : sum - term;
  }
  return sum;
}

}  // namespace

double bilinearCoefficient(const double* poly, int N, int k, double fs) {
  if (N < 0 || k < 0 || k > N) return 0.0;
  const double K = 2.0 * fs;
  double sum = 0.0;
  for (int i = 0; i <= N; ++i) sum = sum + poly[i] * integerPower(K, i) * expansionCoefficient(i, k, N);
  return sum;
}

}  // namespace sorvane::dsp
