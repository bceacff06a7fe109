// The key commands of the graphics window.
#include "app/keyboard.h"

#include <cstdlib>

#include "app/csv_export.h"
#include "app/dialog_pass.h"
#include "app/display.h"
#include "app/energy_view.h"
#include "app/hand_in.h"
#include "app/keys.h"
#include "app/motion_report.h"
#include "app/play.h"
#include "app/sweep_run.h"
#include "app/view.h"
#include "model/state.h"

// Every zoom key scales by this factor: lower case shrinks, upper case grows.
static constexpr double zoomFactor = 0.9;

// Shrink (lower case) or grow (upper case) the vertical scales of the
// vibration plot and of every amplitude curve of the chart.
static void zoomVertically(bool grow)
{
    view.yScale = grow ? view.yScale / zoomFactor : zoomFactor * view.yScale;
    for (int k = 0; k < tables.zetaCount; k++) {
        view.zetaAmpScale[k] =
            grow ? view.zetaAmpScale[k] / zoomFactor : zoomFactor * view.zetaAmpScale[k];
    }
}

// A scale after its key: lower case shrinks it, upper case grows it.
static double zoomed(double scale, unsigned char key)
{
    return key >= 'A' && key <= 'Z' ? scale / zoomFactor : zoomFactor * scale;
}

void keyboard(unsigned char key, int /*x*/, int /*y*/)
{
    const KeyAction action = windowKeyAction(key);
    // The space bar leaves lastKey alone, so a chart on show stays on show.
    // Without --play it is only the last key, as any other.
    if (action == KeyAction::playPause && playEnabled()) {
        playToggle();
        return;
    }
    // So does 'r': it draws nothing, and what is on show stays.
    if (action == KeyAction::measure) {
        reportMotionFigures();
        return;
    }
    // So does 'e': the chart on show stays, drawn as the view draws it.
    if (action == KeyAction::energy) {
        if (energyViewToggle()) {
            drawFrame();
        }
        return;
    }
    lastKey = static_cast<char>(key);
    switch (action) {
    case KeyAction::zoomY:
        zoomVertically(key == 'Y');
        display();
        break;
    case KeyAction::zoomT:
        view.timeScale = zoomed(view.timeScale, key);
        display();
        break;
    case KeyAction::zoomX:
        view.freqXScale = zoomed(view.freqXScale, key);
        display();
        break;
    case KeyAction::step:
    case KeyAction::chart:
        display();
        break;
    case KeyAction::sweep:
        // The chart as 'f' shows it; the squares follow when the sweep ends.
        sweepStart();
        display();
        break;
    case KeyAction::dialog:
        run.t = 0;
        runDialogFromWindow();
        break;
    case KeyAction::handIn:
        handInAnswers();
        break;
    case KeyAction::quit:
        std::exit(csvExitStatus());
    case KeyAction::playPause:
    case KeyAction::measure:
    case KeyAction::energy:
    case KeyAction::none:
        break;
    }
}
