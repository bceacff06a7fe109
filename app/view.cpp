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
