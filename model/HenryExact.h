// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace model {

// Henry's function for a sphere, exact (Henry 1931, in Ohshima's closed form
// with the exponential integral E1): from 1 at small Ka to 1.5. Exact to
// double precision for every Ka > 0; 1 for Ka <= 0, NaN for NaN.
double henryExact(double ka);

// The three methods behind henryExact, each exact to double precision on its
// own range, and the seams between them. Exposed so that their agreement at
// the seams can be checked.

// Up to this Ka, the closed form as it stands.
constexpr double kHenrySeriesTo = 2;
// From this Ka, the expansion in 1/Ka.
constexpr double kHenryAsymptoticFrom = 100;

// The closed form in extended precision, with E1 by its power series.
double henryBySeries(double ka);
// The closed form with its growing terms cancelled analytically, by the
// continued fraction of e^Ka E7(Ka).
double henryByContinuedFraction(double ka);
// 1.5 - 9/(2 Ka) + ..., 20 terms.
double henryByAsymptoticSeries(double ka);

}  // namespace model
