// The oscillator and what drives it: the one model of the excitation.
//
// A force or an unbalance acts on the mass, m y'' + lambda y' + K y = f(t);
// a moving base u(t) drives it through the spring and the damper,
// m y'' + lambda (y' - u') + K (y - u) = 0, which is the same equation with
// f(t) = K u + lambda u'. A new kind of excitation is one new case here.
#pragma once

#include <cmath>

// pi to fourteen decimals, kept on purpose, not M_PI: the printed lag, the
// steady-state start and the chart's phase curves come from this very value,
// to the last bit (an undamped lag above resonance is 1.0000000000000009 pi).
constexpr double modelPi = 3.14159265358979;

// What drives the mass.
enum class ExcitationKind {
    force,     // F sin(omf t) on the mass
    base,      // the support moves, u = U sin(omf t)
    unbalance, // a rotor's me e at speed omf: me e omf^2 sin(omf t)
};

// One oscillator and its excitation (SI units, as the dialog takes them).
struct Oscillator {
    double m;      // mass, kg
    double lambda; // damping coefficient, N/(m/s)
    double K;      // spring constant, N/m
    double F;      // the excitation's amplitude: F in N, U in m, or me e in kg m
    double omf;    // its angular frequency, rad/s
    ExcitationKind kind = ExcitationKind::force;
};

// The excitation's course in time, -1 to 1: every kind follows sin(omf t).
inline double excitationWave(const Oscillator& o, double t)
{
    return std::sin(o.omf * t);
}

// The force on the mass at time t, N (for the base, K u + lambda u').
inline double excitationForce(const Oscillator& o, double t)
{
    const double s = excitationWave(o, t);
    if (o.kind == ExcitationKind::base) {
        return o.K * (s * o.F) + o.lambda * (std::cos(o.omf * t) * (o.F * o.omf));
    }
    return o.kind == ExcitationKind::unbalance ? s * (o.F * o.omf * o.omf) : s * o.F;
}

// The base's displacement u(t), m; 0 unless the base moves.
inline double baseDisplacement(const Oscillator& o, double t)
{
    return o.kind == ExcitationKind::base ? excitationWave(o, t) * o.F : 0.0;
}

// The right-hand side of one oscillator in the state y at time t, for the
// integrator: component 0 is dy/dt, 1 is dv/dt.
struct OscillatorRhs {
    const Oscillator& o;
    double operator()(int i, double t, const double* y) const
    {
        return i == 0 ? y[1] : (excitationForce(o, t) - (o.lambda * y[1] + o.K * y[0])) / o.m;
    }
};

// Metres the time plot's excitation row shows per unit of its wave: the row
// is F(t)/K for a force or an unbalance, u(t) for the base.
double excitationRowScale(const Oscillator& o);

// The excitation's name as the command line and the files spell it.
const char* excitationName(ExcitationKind kind);

// The scale of the steady response, m: the static deflection F/K, the base's
// U, or me e / m, the swing an unbalance tends to at high speed. The response
// over it is the amplitude ratio, |Y/U| or the magnification m X / (me e).
double referenceAmplitude(const Oscillator& o);

// The steady vibration y = amplitude sin(omf t - lag pi).
struct SteadyResponse {
    double amplitude; // m
    double lag;       // of y behind the excitation's wave, in units of pi
};

// The closed-form steady response of the excitation `kind` of scale
// `reference` at the frequency ratio omf/om0 for the damping ratio zeta.
// Exact resonance gives force and unbalance the textbook 90 degrees without atan2.
SteadyResponse steadyResponse(ExcitationKind kind, double reference, double ratio, double zeta);
