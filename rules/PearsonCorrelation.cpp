// The correlation of two judges' marks.
#include "rules/PearsonCorrelation.h"

#include <cmath>

namespace {
const double tiny = 0.00001;
}

double pearsonCorrelation(const double* x, const double* y, int n)
{
    if (n < 1)
        return 1.0;
    double mx = 0, my = 0;
    for (int i = 0; i < n; ++i) {
        mx += x[i];
        my += y[i];
    }
    mx /= n;
    my /= n;
    double sxx = 0, syy = 0, sxy = 0;
    for (int i = 0; i < n; ++i) {
        sxx += (x[i] - mx) * (x[i] - mx);
        syy += (y[i] - my) * (y[i] - my);
        sxy += (x[i] - mx) * (y[i] - my);
    }
    const double d = std::sqrt(sxx) * std::sqrt(syy);
    if (d >= tiny)
        return std::fabs(sxy / d);
    const double e = std::fabs(mx - my);
    if (e <= tiny)
        return 1.0;
    return e < 1.0 ? 1.0 - e : 0.0;
}
