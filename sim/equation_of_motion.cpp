// The process-wide oscillator's equation of motion as two first-order
// equations, one component per call.
#include "sim/equation_of_motion.h"

#include "model/state.h"

namespace
{

// The result of the latest derivative call with index 0 or 1; what any other
// index returns, so that extra equations follow the acceleration.
double lastDerivative = 0.0;

} // namespace

// Give component i of the right-hand side of the process-wide oscillator.
double derivative(int i, double t, const double* y)
{
    if (i == 0) {
        lastDerivative = y[1];
    } else if (i == 1) {
        // The model is read at every call, so a new dialog takes effect at once.
        lastDerivative = acceleration(params.system, t, y);
    }
    return lastDerivative;
}
