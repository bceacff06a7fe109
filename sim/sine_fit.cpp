// The least-squares sine fit.
#include "sim/sine_fit.h"

#include <cmath>

#include "model/excitation.h"

void sineFitAdd(SineFit* f, double phase, double y)
{
    const double s = std::sin(phase);
    const double c = std::cos(phase);
    f->ss += s * s;
    f->cc += c * c;
    f->sc += s * c;
    f->ys += y * s;
    f->yc += y * c;
}

bool sineFitSolve(const SineFit& f, double sign, double* amplitude, double* lag)
{
    const double det = f.ss * f.cc - f.sc * f.sc;
    if (!(det > 0)) {
        return false;
    }
    const double a = (f.ys * f.cc - f.yc * f.sc) / det;
    const double b = (f.yc * f.ss - f.ys * f.sc) / det;
    // a = A cos(phi), b = -A sin(phi); an excitation of negative amplitude
    // is a positive one half a period on.
    const double s = sign < 0 ? -1.0 : 1.0;
    *amplitude = std::hypot(a, b);
    *lag = std::atan2(-b * s, a * s) / modelPi;
    return true;
}
