// Parameter values turned into item numbers and positions, safe for any float.
#pragma once

// Truncation toward zero; NaN and values beyond the int range give -1, which
// names no item and no position. [any thread]
inline int truncatedIndex(double x)
{
    return (x > -2.0e9 && x < 2.0e9) ? int(x) : -1;
}
