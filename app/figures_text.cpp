// The measured figures as text.
#include "app/figures_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace
{

// How figures are written: on standard output, and in the window's ASCII.
struct Style {
    const char* missing; // what a missing figure says after its symbol
    const char* numeric; // "% .*f" pads a space for the sign as the dialog's %7.4f
    const char* tiny;    // the same for numbers written with an exponent
};
const Style console = {"なし/none", "% .*f", "% .3e"};
// The window's lines are narrow: no padding for a sign.
const Style window = {"none", "%.*f", "%.3e"};

// Append "symbol value[unit]": at least four significant digits and at
// least minDecimals decimals; a number that is not finite is missing.
void appendFigure(std::string* out, const char* symbol, double value, const char* unit,
                  int minDecimals, const Style& style = console)
{
    *out += symbol;
    if (!std::isfinite(value)) {
        *out += style.missing;
        return;
    }
    char text[64];
    const double size = std::fabs(value);
    if (size != 0 && (size < 1e-4 || size >= 1e7)) {
        std::snprintf(text, sizeof text, style.tiny, value);
    } else {
        const int leading = size == 0 ? 0 : static_cast<int>(std::floor(std::log10(size)));
        const int decimals = leading >= 3 ? minDecimals : std::max(minDecimals, 3 - leading);
        std::snprintf(text, sizeof text, style.numeric, decimals, value);
    }
    *out += text;
    if (unit[0] != '\0') {
        *out += '[';
        *out += unit;
        *out += ']';
    }
}

void appendFigure(std::string* out, const char* symbol, const ResonanceFigure& figure,
                  const char* unit, int minDecimals, const Style& style = console)
{
    appendFigure(out, symbol,
                 figure.exists ? figure.value : std::numeric_limits<double>::quiet_NaN(), unit,
                 minDecimals, style);
}

// Degrees from a lag in units of pi, with the dialog's two decimals.
constexpr int degreeDecimals = 2;
// Ratios with four decimals, finer than the 0.5 % they are good to.
constexpr int ratioDecimals = 4;

} // namespace

std::string motionFiguresText(const MotionFigures& f, bool systemHidden)
{
    std::string out;
    char head[160];
    switch (f.kind) {
    case MotionKind::tooLittle:
        return f.forcedMotion
                   ? "測定：強制振動が 2 周期に満たず、測れません / measured: fewer than "
                     "two forcing periods so far, too little motion to measure"
                   : "測定：自由振動のピークが 2 つに満たず、測れません / measured: fewer "
                     "than two peaks so far, too little motion to measure";
    case MotionKind::forced:
        std::snprintf(head, sizeof head,
                      "測定（最後の %d 周期）/ measured (last %d periods): ", f.periods, f.periods);
        out = head;
        appendFigure(&out, "A=", f.amplitude, "m", 0);
        out += "  ";
        appendFigure(&out, "T=", f.period, "s", 0);
        out += "  ";
        appendFigure(&out, "Φ=", f.phaseLag * 180, "deg", degreeDecimals);
        out += f.settled ? "  定常/settled" : "  過渡/not settled";
        return out;
    case MotionKind::freeDecay:
        std::snprintf(head, sizeof head,
                      "測定（自由減衰、ピーク %d 個）/ measured (free decay, %d peaks): ", f.peaks,
                      f.peaks);
        out = head;
        appendFigure(&out, "Td=", f.dampedPeriod, "s", 0);
        if (systemHidden) {
            for (int i = 0; i < f.listedPeaks; i++) {
                char symbol[16];
                std::snprintf(symbol, sizeof symbol, "y%d=", i + 1);
                out += "  ";
                appendFigure(&out, symbol, f.peakHeight[i], "m", 0);
            }
            return out;
        }
        out += "  ";
        appendFigure(&out, "δ=", f.logDecrement, "", 0);
        out += "  ";
        appendFigure(&out, "ζ=", f.zeta, "", 0);
        return out;
    }
    return out;
}

std::string resonanceFiguresText(const ResonanceFigures& f)
{
    std::string out = "掃引の共振 / sweep's resonance: ";
    appendFigure(&out, "rp=", f.rp, "", ratioDecimals);
    out += "  ";
    appendFigure(&out, "Ap=", f.Ap, "m", 0);
    out += "  ";
    appendFigure(&out, "r1=", f.r1, "", ratioDecimals);
    out += "  ";
    appendFigure(&out, "r2=", f.r2, "", ratioDecimals);
    out += "  ";
    appendFigure(&out, "ζ≈", f.zetaBand, "", 0);
    out += "  ";
    appendFigure(&out, "Q=", f.Q, "", 0);
    out += "  ";
    appendFigure(&out, "r90=", f.r90, "", ratioDecimals);
    return out;
}

std::array<std::string, 2> resonanceFiguresWindowLines(const ResonanceFigures& f)
{
    std::array<std::string, 2> lines;
    appendFigure(&lines[0], "rp=", f.rp, "", ratioDecimals, window);
    lines[0] += "  ";
    appendFigure(&lines[0], "Ap=", f.Ap, "m", 0, window);
    lines[0] += "  ";
    appendFigure(&lines[0], "r90=", f.r90, "", ratioDecimals, window);
    appendFigure(&lines[1], "r1=", f.r1, "", ratioDecimals, window);
    lines[1] += "  ";
    appendFigure(&lines[1], "r2=", f.r2, "", ratioDecimals, window);
    lines[1] += "  ";
    appendFigure(&lines[1], "zeta~", f.zetaBand, "", 0, window);
    lines[1] += "  ";
    appendFigure(&lines[1], "Q=", f.Q, "", 0, window);
    return lines;
}
