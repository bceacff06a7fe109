// The console texts of the dialog, and what it prints for the worked example
// (m 1, lambda 0.2, K 4, F 1, omf 1, key '1').
#pragma once

#include <string>

namespace dialogText
{

inline const std::string title = "\n１自由度強制振動の描画\nm*ddy/ddt + λ*dy/dt + K = F*sin(ωf*t)";
inline const std::string askSpringMass =
    "\n\nマスm[kg]，ダンパーλ[N/(m/s)]，ばね定数K[N/m] キー入力 m λ K=";
inline const std::string askForce = "\n\n強制振動振幅F[N]，振動数ωf[rad/s]　キー入力 F ωf=";
inline const std::string askInitial =
    "\n初期条件キー入力　静止状態：'0'  定常振動振幅：'1'  任意設定 '2'";
inline const std::string keyList = "\n\n's'キーで：振動描画継続"
                                   "\n'm'キーで：ばねマス定数変更"
                                   "\n'g'キーで：外力変更"
                                   "\n'j'キーで：初期条件変更"
                                   "\n'f'キーで：周波数特性描画"
                                   "\n'x' 'X'キーで：周波数特性横軸拡大縮小"
                                   "\n'y' 'Y'キーで：周波数特性・振動図縦軸拡大縮小"
                                   "\nESCキーで：終了\n";

// The worked example's printed quantities: m 1, lambda 0.2, K 4, F 1, omf 1.
inline const std::string exampleFree = "\n固有振動数 ω0= 2.0000[rad/s], 減衰比ζ= 0.0500"
                                       "\n共振振幅比|Y(jω/ω0)|/Yf=10.0000";
inline const std::string exampleResponse =
    "\n静撓み   As= 0.2500[m]"
    "\n定常振幅 Ad= 0.3326[m]  振幅比Ad/As= 1.3304  位相遅れΦ=  3.81[deg]";
inline const std::string exampleSteadyStart = "\n初期条件(y0,v0)=(-0.0221[m],  0.3319[m/s])";

inline const std::string workedExample = title + askSpringMass + exampleFree + askForce +
                                         exampleResponse + askInitial + exampleSteadyStart +
                                         keyList;

} // namespace dialogText
