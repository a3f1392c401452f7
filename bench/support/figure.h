// The line every benchmark prints for each figure it measures, which
// tools/bench gathers into its table:
//   FIGURE <tab> figure <tab> value <tab> unit <tab> baseline <tab> baseline value
// The baseline is measured in the same run, in the same unit; a figure
// without one prints "-" in both baseline columns.
#pragma once

namespace bench {

void PrintFigure(const char* figure, double value, const char* unit, const char* baseline,
                 double baseline_value);
void PrintFigure(const char* figure, double value, const char* unit);

}  // namespace bench
