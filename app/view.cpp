// The window's view scales and their start values.
#include "app/view.h"

View view;

void resetView()
{
    view.forceScale = startYScale;
    view.yScale = view.forceScale;
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
