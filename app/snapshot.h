// What the program shows, as data for a page that presents it in controls
// of its own (the web page's picture name, buttons and Copy link), so that
// nothing is read back from the printed text or the drawn picture.
#pragma once

// The present state as one JSON object, valid until the next call:
//
//   "results"         the dialog's results as the console printed them last
//                     (a specimen's: the force alone)
//   "frame"           {"t": s, "y": m} of the last frame drawn, or null
//                     before the first; a number that is not finite is null.
//                     Meant to be called after every frame.
//   "chart"           true when the frame draws the frequency chart
//   "energy"          true while the energy view (the key e) is on show
//   "playing"         true while continuous motion runs
//   "csvRows"         {"motion", "response", "sweep", "measured"}: true once
//                     that CSV file has a data row
//   "specimen"        null, or in a specimen run {"code": its code,
//                     "measurements": points in its table, "handIn": the
//                     last hand-in code, "" before the first}
//   "restartAnswers"  the answers that start the run on show again
//                     (app/restart_answers.h)
//   "readout"         the line under the crosshair (app/readout.h), UTF-8
//                     with ω and Φ; "" when there is none
//   "sweep"           while a sweep is under way, {"done", "total"}: its
//                     coarse points measured of all of them, then
//                     "searched", the points its search for the resonance
//                     has added; null otherwise
const char* windowSnapshot();
