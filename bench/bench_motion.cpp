// Time one integration step of the forced oscillator: the Runge-Kutta-Gill
// step beside Boost.Odeint's classical fourth-order Runge-Kutta step.
#include <array>

#include <benchmark/benchmark.h>
#include <boost/numeric/odeint.hpp>

#include "model/state.h"
#include "sim/equation_of_motion.h"
#include "sim/runge_kutta_gill.h"
#include "tools/worked_example_setup.h"

namespace
{

using State = std::array<double, 2>;

constexpr double stepLength = 0.01; // s, the step the display makes

// Set the oscillator of the worked example, started off rest so that every
// term of the equation is at work.
void setOscillator()
{
    resetAllState();
    params = workedExampleParameters;
}

// Fill dxdt with the program's own right-hand side, so that both benchmarks
// evaluate the very same equation and only the steppers differ.
void oscillator(const State& x, State& dxdt, double t)
{
    dxdt[0] = derivative(0, t, x.data());
    dxdt[1] = derivative(1, t, x.data());
}

// Time one rungeKuttaGill step of the oscillator, in place as the display steps.
void rungeKuttaGillStep(benchmark::State& bench)
{
    setOscillator();
    double y[2] = {0.1, 0.0};
    double t = 0.0;
    for (auto _ : bench) {
        rungeKuttaGill(t, stepLength, y, y, 2);
        t += stepLength;
        benchmark::DoNotOptimize(y);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(rungeKuttaGillStep);

// Time one step of Boost.Odeint's runge_kutta4 of the same equation.
void odeintRungeKutta4Step(benchmark::State& bench)
{
    setOscillator();
    boost::numeric::odeint::runge_kutta4<State> stepper;
    State x = {0.1, 0.0};
    double t = 0.0;
    for (auto _ : bench) {
        stepper.do_step(oscillator, x, t, stepLength);
        t += stepLength;
        benchmark::DoNotOptimize(x);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(odeintRungeKutta4Step);

} // namespace
