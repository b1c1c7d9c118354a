// The resampling filters of the two-pass scaler: a filter is a function of the distance from
// its centre that is zero at and beyond its support radius.
#pragma once

class CGenericFilter {
public:
    explicit CGenericFilter(double width) : width(width) {}
    virtual ~CGenericFilter() = default;

    double Width() const { return width; }
    virtual double Evaluate(double x) const = 0;

protected:
    double width;  // support radius
};

// The triangle filter: 1 at its centre, falling linearly to 0 at distance 1.
class CBilinearFilter : public CGenericFilter {
public:
    CBilinearFilter() : CGenericFilter(1.0) {}
    // width - |x| inside the support, 0.0 at and beyond it (the test is strict).
    double Evaluate(double x) const override;
};
