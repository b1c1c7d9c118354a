#include "imaging/filters.h"

double CBilinearFilter::Evaluate(double x) const {
    const double a = x < 0.0 ? -x : x;
    return width > a ? width - a : 0.0;
}
