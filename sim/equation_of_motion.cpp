// The process-wide oscillator's equation of motion, one component per call.
#include "sim/equation_of_motion.h"

#include "model/state.h"

// The result of the latest call with index 0 or 1.
static double lastDerivative = 0.0;

double derivative(int i, double t, const double* y)
{
    if (i == 0 || i == 1) {
        // The model is read at every call, so a new dialog takes effect at once.
        lastDerivative = OscillatorRhs{params.system}(i, t, y);
    }
    return lastDerivative;
}
