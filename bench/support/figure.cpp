#include "bench/support/figure.h"

#include <cstdio>

namespace bench {

void PrintFigure(const char* figure, double value, const char* unit, const char* baseline,
                 double baseline_value) {
  std::printf("FIGURE\t%s\t%.6g\t%s\t%s\t%.6g\n", figure, value, unit, baseline, baseline_value);
  std::fflush(stdout);
}

void PrintFigure(const char* figure, double value, const char* unit) {
  std::printf("FIGURE\t%s\t%.6g\t%s\t-\t-\n", figure, value, unit);
  std::fflush(stdout);
}

}  // namespace bench
