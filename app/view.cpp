// The window's view scales and their start values.
#include "app/view.h"

#include <cstdio>

View view;

void resetView()
{
    view.yScale = startYScale;
    view.vibPlotOrigin = startVibPlotOrigin;
    view.timeScale = startTimeScale;
    view.axesOrigin = startAxesOrigin;
    view.freqPlotOrigin = view.vibPlotOrigin;
    view.freqXScale = startFreqXScale;
    for (int i = 0; i < tables.zetaCount; i++) {
        view.zetaAmpScale[i] = startYScale;
        view.zetaPhaseScale[i] = startPhaseScale;
    }
}

double chartX(double ratio)
{
    return (ratio / tables.freqStep) * view.freqXScale + view.freqPlotOrigin.x;
}

double chartAmplitudeY(double amplitude)
{
    return view.zetaAmpScale[0] * amplitude + view.freqPlotOrigin.y;
}

double chartLagY(double lag)
{
    return view.zetaPhaseScale[0] * lag + view.freqPlotOrigin.y;
}

double chartRatioAt(double x)
{
    return (x - view.freqPlotOrigin.x) / view.freqXScale * tables.freqStep;
}

// The table's values to three significant digits (0.7071 shows as 0.707).
std::string zetaLabel()
{
    std::string text = "zeta={";
    for (int i = 0; i < zetaTableSize; i++) {
        char number[32];
        std::snprintf(number, sizeof number, "%.3g", zetaTable[i]);
        text += (i == 0 ? "" : ", ") + std::string(number);
    }
    return text + "}";
}
