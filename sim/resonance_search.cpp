// The search for the resonance, one slice of steps at a time.
//
// Each figure is read off a least-squares polynomial in u = r^2 through the
// measured points between two bounding ratios: 1/A^2 for the peak and the
// half-power points, r cot(phi) for the 90-degree ratio. For a linear
// oscillator both are polynomials in u of degree two and one, so the fit
// adds no error of its own; the points near each estimate are measured
// to confirm it and to draw it.
#include "sim/resonance_search.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/oscillator.h"
#include "model/state.h"

namespace
{

// Time constants 1/(zeta om0) an added point is given to settle: exp(-12),
// some 6e-6, of its transient is left.
constexpr double settleTimeConstants = 12.0;
// Points measured for one figure at most (probes for a peak below the
// sweep's first ratio included); four figures share resonanceMostPoints.
constexpr int roundsPerFigure = 5;
static_assert(4 * roundsPerFigure <= resonanceMostPoints, "room for every figure's points");
// Weight of a coarse point in a fit beside an added one: the sweep leaves
// exp(-5) of its transient, some 7e-3 of the motion near a sharp peak,
// against 6e-6 here; least squares weighs by the inverse square of the error.
constexpr double coarseWeight = 1e-6;
// An estimate this close (relative) to a measured point needs no further point.
constexpr double closeEnough = 1e-6;

const double notMeasured = std::numeric_limits<double>::quiet_NaN();
const ResonanceFigure none = {false, notMeasured};

// A measured point as the fits take it.
struct Measured {
    double r;      // ratio
    double A;      // amplitude, m
    double lag;    // units of pi
    double weight; // in the least-squares fits
};

// The measured points in order of ratio.
struct Sorted {
    int n;
    Measured p[sweepPointCount + resonanceMostPoints];
};

Sorted sortedPoints(const ResonanceSearch& s)
{
    Sorted out;
    out.n = 0;
    for (int k = 0; k < s.count; k++) {
        const SweepPoint& p = s.points[k];
        if (std::isfinite(p.amplitude) && std::isfinite(p.phaseLag) && p.amplitude > 0) {
            out.p[out.n++] = {p.ratio, p.amplitude, p.phaseLag,
                              k < s.coarseCount ? coarseWeight : 1.0};
        }
    }
    std::stable_sort(out.p, out.p + out.n,
                     [](const Measured& x, const Measured& y) { return x.r < y.r; });
    return out;
}

// The quantity a figure is read from, at sorted point j.
enum class Quantity { inverseSquare, ninety };

bool usable(Quantity q, const Sorted& s, int j)
{
    return q == Quantity::inverseSquare || (s.p[j].lag > 0 && s.p[j].lag < 1);
}

double valueAt(Quantity q, const Sorted& s, int j)
{
    if (q == Quantity::inverseSquare) {
        return 1 / (s.p[j].A * s.p[j].A);
    }
    const double phi = s.p[j].lag * modelPi;
    return s.p[j].r * std::cos(phi) / std::sin(phi);
}

// c0 + c1 (u - centre) + c2 (u - centre)^2.
struct Poly {
    double centre, c0, c1, c2;
};

double evaluate(const Poly& p, double u)
{
    const double x = u - p.centre;
    return p.c0 + (p.c1 + p.c2 * x) * x;
}

// Fit the quantity against u = r^2 over the points with lo <= r <= hi, by
// weighted least squares, of degree two (one for two points, or when
// asked); false with too few points.
bool fit(Quantity q, const Sorted& s, double lo, double hi, int degree, Poly* p)
{
    int n = 0;
    double centre = 0;
    double total = 0;
    for (int j = 0; j < s.n; j++) {
        if (s.p[j].r >= lo && s.p[j].r <= hi && usable(q, s, j)) {
            centre += s.p[j].weight * s.p[j].r * s.p[j].r;
            total += s.p[j].weight;
            n++;
        }
    }
    if (n < 2) {
        return false;
    }
    centre /= total;
    degree = n < 3 ? 1 : degree;
    // Normal equations of the centred powers.
    double m[5] = {0, 0, 0, 0, 0}; // sums of x^0..x^4
    double v[3] = {0, 0, 0};       // sums of y x^0..x^2
    for (int j = 0; j < s.n; j++) {
        if (s.p[j].r >= lo && s.p[j].r <= hi && usable(q, s, j)) {
            const double x = s.p[j].r * s.p[j].r - centre;
            const double y = valueAt(q, s, j);
            double power = s.p[j].weight;
            for (int k = 0; k < 5; k++) {
                m[k] += power;
                if (k < 3) {
                    v[k] += y * power;
                }
                power *= x;
            }
        }
    }
    p->centre = centre;
    if (degree == 1) {
        const double det = m[0] * m[2] - m[1] * m[1];
        if (!(det > 0)) {
            return false;
        }
        p->c0 = (v[0] * m[2] - v[1] * m[1]) / det;
        p->c1 = (v[1] * m[0] - v[0] * m[1]) / det;
        p->c2 = 0;
        return true;
    }
    // Cramer's rule on the symmetric 3 x 3 system [m0 m1 m2; m1 m2 m3; m2 m3 m4].
    auto det3 = [](double a, double b, double c, double d, double e, double f, double g, double h,
                   double i) {
        return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    };
    const double det = det3(m[0], m[1], m[2], m[1], m[2], m[3], m[2], m[3], m[4]);
    if (!(det > 0)) {
        return false;
    }
    p->c0 = det3(v[0], m[1], m[2], v[1], m[2], m[3], v[2], m[3], m[4]) / det;
    p->c1 = det3(m[0], v[0], m[2], m[1], v[1], m[3], m[2], v[2], m[4]) / det;
    p->c2 = det3(m[0], m[1], v[0], m[1], m[2], v[1], m[2], m[3], v[2]) / det;
    return true;
}

// The u in [lo^2, hi^2] where the polynomial equals level; false if none.
bool solve(const Poly& p, double level, double lo, double hi, double* u)
{
    const double a = p.c2;
    const double b = p.c1;
    const double c = p.c0 - level;
    double roots[2] = {notMeasured, notMeasured};
    if (a == 0) {
        roots[0] = -c / b;
    } else {
        const double disc = b * b - 4 * a * c;
        if (disc < 0) {
            return false;
        }
        // The root of smaller size without cancellation, then the other.
        const double qq = -0.5 * (b + std::copysign(std::sqrt(disc), b));
        roots[0] = c / qq;
        roots[1] = qq / a;
    }
    for (const double x : roots) {
        const double candidate = x + p.centre;
        if (candidate >= lo * lo && candidate <= hi * hi) {
            *u = candidate;
            return true;
        }
    }
    return false;
}

// The u where the quantity crosses level between two neighbouring points in
// [lo, hi], by a straight line: the fall-back when the fit has no root there.
bool straddle(Quantity q, const Sorted& s, double level, double lo, double hi, double* u)
{
    for (int j = 0; j + 1 < s.n; j++) {
        if (s.p[j].r < lo || s.p[j + 1].r > hi || !usable(q, s, j) || !usable(q, s, j + 1)) {
            continue;
        }
        const double y0 = valueAt(q, s, j) - level;
        const double y1 = valueAt(q, s, j + 1) - level;
        if ((y0 <= 0) != (y1 <= 0)) {
            const double u0 = s.p[j].r * s.p[j].r;
            const double u1 = s.p[j + 1].r * s.p[j + 1].r;
            *u = u0 + (u1 - u0) * (y0 / (y0 - y1));
            return true;
        }
    }
    return false;
}

// True when a measured point lies within closeEnough of ratio.
bool measuredNear(const Sorted& s, double ratio)
{
    for (int j = 0; j < s.n; j++) {
        if (std::fabs(s.p[j].r - ratio) <= closeEnough * ratio) {
            return true;
        }
    }
    return false;
}

// Start the run of a point at ratio, from rest, as the sweep runs its own.
void beginPoint(ResonanceSearch* s, double ratio)
{
    s->round++;
    pointBegin(&s->run, &s->points[s->count], s->system, ratio, settleTimeConstants,
               resonanceTimeLimit);
    s->running = true;
}

// Go on to the next figure.
void nextStage(ResonanceSearch* s, ResonanceStage stage)
{
    s->stage = stage;
    s->round = 0;
    s->lo = 0;
    s->hi = 0;
}

// Measure at ratio unless a point is there already or the figure has had
// its points; true when a point was started.
bool measureAt(ResonanceSearch* s, const Sorted& sorted, double ratio)
{
    if (s->round >= roundsPerFigure || s->count >= sweepPointCount + resonanceMostPoints ||
        measuredNear(sorted, ratio)) {
        return false;
    }
    beginPoint(s, ratio);
    return true;
}

// The peak: the vertex of 1/A^2 between the neighbours of the largest point.
void planPeak(ResonanceSearch* s, const Sorted& sorted)
{
    int top = 0;
    for (int j = 1; j < sorted.n; j++) {
        top = sorted.p[j].A > sorted.p[top].A ? j : top;
    }
    if (sorted.n < 3 || top == sorted.n - 1 || top == 0) {
        // A largest first point may hide a low, flat peak: look halfway to
        // the next point. No peak is said to exist unless one is measured.
        if (top == 0 && sorted.n >= 2 &&
            measureAt(s, sorted, 0.5 * (sorted.p[0].r + sorted.p[1].r))) {
            return;
        }
        nextStage(s, ResonanceStage::ninety);
        return;
    }
    if (s->lo == s->hi) {
        s->lo = sorted.p[top - 1].r;
        s->hi = sorted.p[top + 1].r;
    }
    Poly p;
    double u = 0;
    if (fit(Quantity::inverseSquare, sorted, s->lo, s->hi, 2, &p) && p.c2 > 0) {
        u = p.centre - p.c1 / (2 * p.c2);
    }
    if (!(u >= s->lo * s->lo && u <= s->hi * s->hi)) {
        nextStage(s, ResonanceStage::ninety);
        return;
    }
    if (measureAt(s, sorted, std::sqrt(u))) {
        return;
    }
    s->figures.rp = {true, std::sqrt(u)};
    s->figures.Ap = {true, 1 / std::sqrt(evaluate(p, u))};
    nextStage(s, ResonanceStage::lowerHalf);
}

// A figure read where a quantity crosses level between lo and hi; stores
// it in figure (or none) and goes on to `then` once it needs no more points.
void planCrossing(ResonanceSearch* s, const Sorted& sorted, Quantity q, double level, int degree,
                  ResonanceFigure* figure, ResonanceStage then)
{
    Poly p;
    double u = 0;
    const bool found =
        (fit(q, sorted, s->lo, s->hi, degree, &p) && solve(p, level, s->lo, s->hi, &u)) ||
        straddle(q, sorted, level, s->lo, s->hi, &u);
    if (found && measureAt(s, sorted, std::sqrt(u))) {
        return;
    }
    *figure = found ? ResonanceFigure{true, std::sqrt(u)} : none;
    nextStage(s, then);
}

// Choose the next point, or settle the present figure and go on.
void plan(ResonanceSearch* s)
{
    const Sorted sorted = sortedPoints(*s);
    ResonanceFigures& f = s->figures;
    if (s->stage == ResonanceStage::peak) {
        planPeak(s, sorted);
        return;
    }
    if (s->stage == ResonanceStage::lowerHalf || s->stage == ResonanceStage::upperHalf) {
        const bool lower = s->stage == ResonanceStage::lowerHalf;
        const double edge = f.Ap.value / std::sqrt(2.0);
        if (s->lo == s->hi) {
            // The last point below the peak, or the first above it, that
            // lies under the half-power level, and its neighbour nearer the peak.
            int j = -1;
            for (int k = 0; k < sorted.n; k++) {
                const bool side = lower ? sorted.p[k].r < f.rp.value : sorted.p[k].r > f.rp.value;
                if (side && sorted.p[k].A < edge && (lower || j < 0)) {
                    j = k;
                }
            }
            const int inner = lower ? j + 1 : j - 1;
            if (j < 0 || inner < 0 || inner >= sorted.n) {
                (lower ? f.r1 : f.r2) = none;
                nextStage(s, lower ? ResonanceStage::upperHalf : ResonanceStage::ninety);
                return;
            }
            s->lo = sorted.p[lower ? j : inner].r;
            s->hi = sorted.p[lower ? inner : j].r;
        }
        planCrossing(s, sorted, Quantity::inverseSquare, 1 / (edge * edge), 2,
                     lower ? &f.r1 : &f.r2,
                     lower ? ResonanceStage::upperHalf : ResonanceStage::ninety);
        return;
    }
    if (s->lo == s->hi) {
        int j = 0;
        while (j + 1 < sorted.n && !(sorted.p[j].lag < 0.5 && sorted.p[j + 1].lag >= 0.5)) {
            j++;
        }
        if (j + 1 >= sorted.n) {
            f.r90 = none;
            nextStage(s, ResonanceStage::done);
            return;
        }
        s->lo = sorted.p[j].r;
        s->hi = sorted.p[j + 1].r;
    }
    // r cot(phi) = (1 - u) / (2 zeta): a straight line in u.
    planCrossing(s, sorted, Quantity::ninety, 0, 1, &f.r90, ResonanceStage::done);
}

// Put the band's figures together from r1 and r2.
void finishFigures(ResonanceFigures* f)
{
    if (f->r1.exists && f->r2.exists) {
        const double zeta = (f->r2.value - f->r1.value) / 2;
        f->zetaBand = {true, zeta};
        f->Q = {true, 1 / (2 * zeta)};
    }
}

} // namespace

void resonanceBegin(ResonanceSearch* search, const Oscillator& system, const SweepPoint* coarse,
                    int coarseCount)
{
    *search = ResonanceSearch{};
    search->system = system;
    search->om0 = naturalFrequency(system.m, system.K);
    search->zeta = dampingRatio(system.m, system.lambda, system.K);
    search->figures = {none, none, none, none, none, none, none};
    search->coarseCount = coarseCount < sweepPointCount ? coarseCount : sweepPointCount;
    for (int k = 0; k < search->coarseCount; k++) {
        search->points[k] = coarse[k];
    }
    search->count = search->coarseCount;
    nextStage(search, ResonanceStage::peak);
    // Undamped, or no natural frequency: no peak to find, no point settles.
    if (!(search->zeta > 0) || !std::isfinite(search->zeta) || !(search->om0 > 0) ||
        !std::isfinite(search->om0) || !std::isfinite(system.F)) {
        nextStage(search, ResonanceStage::done);
    }
}

bool resonanceAdvance(ResonanceSearch* search, long maxSteps)
{
    long left = maxSteps;
    while (left > 0 && search->stage != ResonanceStage::done) {
        if (!search->running) {
            plan(search);
            if (search->stage == ResonanceStage::done) {
                finishFigures(&search->figures);
            }
            continue;
        }
        if (pointAdvance(&search->run, &left)) {
            pointFinish(search->run, &search->points[search->count]);
            search->count++;
            search->running = false;
        }
    }
    return resonanceFinished(*search);
}

bool resonanceFinished(const ResonanceSearch& search)
{
    return search.stage == ResonanceStage::done;
}

int resonanceAddedCount(const ResonanceSearch& search)
{
    return search.count - search.coarseCount;
}

const SweepPoint& resonanceAddedPoint(const ResonanceSearch& search, int k)
{
    return search.points[search.coarseCount + k];
}

const ResonanceFigures& resonanceFigures(const ResonanceSearch& search)
{
    return search.figures;
}
