// The measured figures' lines, as the dialog writes numbers.
#include <gtest/gtest.h>

#include "app/figures_text.h"

TEST(FiguresText, LinesWriteSymbolsNumbersUnitsAndNone)
{
    MotionFigures forced = {
        MotionKind::forced, true, 5, 0.2, 3.14159, 0.5, true, 0, 0, 0, 0, 0, {}, {}};
    EXPECT_EQ(motionFiguresText(forced),
              "測定（最後の 5 周期）/ measured (last 5 periods): A= 0.2000[m]  T= 3.142[s]  "
              "Φ= 90.00[deg]  定常/settled");
    forced.settled = false;
    EXPECT_NE(motionFiguresText(forced).find("過渡/not settled"), std::string::npos);
    const MotionFigures decay = {
        MotionKind::freeDecay, false, 0, 0, 0, 0, false, 12, 3.1416, 0.31461, 0.0500, 2, {0.8, 3.9},
        {0.25, 0.182}};
    EXPECT_EQ(motionFiguresText(decay), "測定（自由減衰、ピーク 12 個）/ measured (free decay, 12 "
                                        "peaks): Td= 3.142[s]  δ= 0.3146  ζ= 0.05000");
    // A specimen's: the peaks' heights in place of delta and zeta.
    EXPECT_EQ(motionFiguresText(decay, true), "測定（自由減衰、ピーク 12 個）/ measured (free "
                                              "decay, 12 peaks): Td= 3.142[s]  y1= 0.2500[m]  "
                                              "y2= 0.1820[m]");
    const ResonanceFigure none = {false, 0};
    const ResonanceFigures sweep = {{true, 0.8246}, {true, 0.34097}, none, {true, 1.18879}, none,
                                    none,           {true, 1.0}};
    EXPECT_EQ(resonanceFiguresText(sweep),
              "掃引の共振 / sweep's resonance: rp= 0.8246  Ap= 0.3410[m]  r1=なし/none  "
              "r2= 1.1888  ζ≈なし/none  Q=なし/none  r90= 1.0000");
    const auto window = resonanceFiguresWindowLines(sweep);
    EXPECT_EQ(window[0], "rp=0.8246  Ap=0.3410[m]  r90=1.0000");
    EXPECT_EQ(window[1], "r1=none  r2=1.1888  zeta~none  Q=none");
}
