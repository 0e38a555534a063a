// How closely two series of marks agree: the absolute correlation coefficient,
// with fallbacks for a constant series.
#pragma once

// 0 to 1. When either series is constant the agreement follows the distance
// of the two means: equal 1, up to 1 apart 1 minus the distance, else 0.
double pearsonCorrelation(const double* x, const double* y, int n);
