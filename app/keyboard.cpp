// The key commands of the graphics window.
#include "app/keyboard.h"

#include <cstdlib>

#include "app/csv_export.h"
#include "app/dialog_pass.h"
#include "app/display.h"
#include "app/play.h"
#include "app/sweep_run.h"
#include "app/view.h"
#include "model/state.h"

// Every zoom key scales by this factor: lower case shrinks, upper case grows.
static constexpr double zoomFactor = 0.9;
// The escape key's character code.
static constexpr unsigned char escapeKey = 27;
// Pauses and resumes continuous motion (--play only).
static constexpr unsigned char playKey = ' ';

// Shrink (lower case) or grow (upper case) the vertical scales of the
// vibration plot and of every amplitude curve of the chart.
static void zoomVertically(bool grow)
{
    view.forceScale = grow ? view.yScale / zoomFactor : zoomFactor * view.yScale;
    view.yScale = view.forceScale;
    for (int k = 0; k < tables.zetaCount; k++) {
        view.zetaAmpScale[k] =
            grow ? view.zetaAmpScale[k] / zoomFactor : zoomFactor * view.zetaAmpScale[k];
    }
}

void keyboard(unsigned char key, int /*x*/, int /*y*/)
{
    // The space bar leaves lastKey alone, so a chart on show stays on show.
    if (key == playKey && playEnabled()) {
        playToggle();
        return;
    }
    lastKey = static_cast<char>(key);
    switch (key) {
    case 'y':
    case 'Y':
        zoomVertically(key == 'Y');
        display();
        break;
    case 't':
        view.timeScale = zoomFactor * view.timeScale;
        display();
        break;
    case 'T':
        view.timeScale = view.timeScale / zoomFactor;
        display();
        break;
    case 'x':
        view.freqXScale = zoomFactor * view.freqXScale;
        display();
        break;
    case 'X':
        view.freqXScale = view.freqXScale / zoomFactor;
        display();
        break;
    case 's':
    case 'f':
        display();
        break;
    case 'w':
        // The chart as 'f' shows it; the squares follow when the sweep ends.
        sweepStart();
        display();
        break;
    case 'm':
    case 'g':
    case 'j':
        run.t = 0;
        runDialogFromWindow();
        break;
    case escapeKey:
        std::exit(csvExitStatus());
    default:
        break;
    }
}
