// The console dialog: parameters in, derived quantities and key list out.
#include "console/dialog.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/console.h"
#include "model/frequency_response.h"
#include "model/oscillator.h"
#include "model/specimen_state.h"
#include "model/state.h"

// The most numbers one question asks for.
static constexpr int maxAnswers = 3;

// End the process because the input ended mid-dialog; without this the key
// question would repeat for ever.
[[noreturn]] static void endOfInput()
{
    std::fputc('\n', consoleOut);
    std::fflush(consoleOut);
    std::fputs("入力が終わりました。プログラムを終了します。\n", stderr);
    std::exit(1);
}

// Print prompt and read count numbers into targets. A line with an entry
// that is not a number is thrown away whole and the question asked again,
// so no half-typed answer is ever taken.
static void ask(const char* prompt, int count, double* const targets[], const char* const names[])
{
    for (;;) {
        std::fputs(prompt, consoleOut);
        double answers[maxAnswers];
        int read = 0;
        while (read < count) {
            const ReadResult result = readNumber(&answers[read]);
            if (result == ReadResult::endOfInput) {
                endOfInput();
            }
            if (result == ReadResult::notNumber) {
                break;
            }
            read++;
        }
        if (read == count) {
            for (int i = 0; i < count; i++) {
                *targets[i] = answers[i];
            }
            return;
        }
        discardLine();
        std::fprintf(consoleOut,
                     "\n%d番目の入力（%s）が数値ではありません。もう一度入力してください。",
                     read + 1, names[read]);
    }
}

static void askSpringMass()
{
    double* const targets[] = {&params.system.m, &params.system.lambda, &params.system.K};
    const char* const names[] = {"m", "λ", "K"};
    ask("\n\nマスm[kg]，ダンパーλ[N/(m/s)]，ばね定数K[N/m] キー入力 m λ K=", 3, targets, names);
}

// What the dialog says of each excitation: its question, the names of its
// two answers, its equation, its key g and its results.
struct ExcitationWords {
    const char* question;
    const char* names[2];
    const char* equation;
    const char* changeKey;
    const char* response;  // printf format of As, Ad, Ad/As and the lag in degrees
    const char* resonance; // the ratio at om0, %7.4f
};

static const ExcitationWords& excitationWords()
{
    static const ExcitationWords force = {
        "\n\n強制振動振幅F[N]，振動数ωf[rad/s]　キー入力 F ωf=",
        {"F", "ωf"},
        "\nm*ddy/ddt + λ*dy/dt + K = F*sin(ωf*t)",
        "\n'g'キーで：外力変更",
        "静撓み   As=%7.4f[m]\n定常振幅 Ad=%7.4f[m]  振幅比Ad/As=%7.4f  位相遅れΦ=%6.2f[deg]",
        "\n共振振幅比|Y(jω/ω0)|/Yf=%7.4f"};
    static const ExcitationWords base = {
        "\n\n基礎変位振幅U[m]，振動数ωf[rad/s]　キー入力 U ωf=",
        {"U", "ωf"},
        "\nm*ddy/ddt + λ*(dy/dt - du/dt) + K*(y - u) = 0,  u = U*sin(ωf*t)",
        "\n'g'キーで：基礎変位変更",
        "基礎変位 U=%7.4f[m]\n定常振幅 Y=%7.4f[m]  変位伝達率|Y/U|=%7.4f  "
        "位相遅れΦ(uから)=%6.2f[deg]",
        "\n共振時の変位伝達率|Y/U|(ωf=ω0)=%7.4f"};
    static const ExcitationWords unbalance = {
        "\n\n不釣り合いme*e[kg*m]，回転速度ω[rad/s]　キー入力 me*e ω=",
        {"me*e", "ω"},
        "\nm*ddy/ddt + λ*dy/dt + K*y = me*e*ω^2*sin(ω*t)",
        "\n'g'キーで：不釣り合い変更",
        "me*e/m=%7.4f[m]\n定常振幅 X=%7.4f[m]  振幅倍率m*X/(me*e)=%7.4f  "
        "位相遅れΦ=%6.2f[deg]",
        "\n共振時の振幅倍率m*X/(me*e)(ω=ω0)=%7.4f"};
    switch (params.system.kind) {
    case ExcitationKind::base:
        return base;
    case ExcitationKind::unbalance:
        return unbalance;
    case ExcitationKind::force:
        break;
    }
    return force;
}

static void askForce()
{
    double* const targets[] = {&params.system.F, &params.system.omf};
    const ExcitationWords& words = excitationWords();
    ask(words.question, 2, targets, words.names);
}

static void askInitialState()
{
    double* const targets[] = {&params.y0, &params.v0};
    const char* const names[] = {"y0", "v0"};
    ask("\ny0[m] v0[m/s] = ", 2, targets, names);
}

// What a specimen's dialog shows of its run: the force alone, for all that
// follows from the system is hidden.
static std::string specimenForceText()
{
    char text[160];
    std::snprintf(text, sizeof text, "外力 / force: F=%7.4f[N]  ωf=%7.4f[rad/s]", params.system.F,
                  params.system.omf);
    return text;
}

std::string responseText()
{
    if (specimenState.active) {
        return specimenForceText();
    }
    const char* const format = excitationWords().response;
    const double ratio = derived.Ad / derived.As;
    const double lagDegrees = derived.phaseLag * 180;
    // Measured first: a huge value prints in full, hundreds of digits.
    const int length = std::snprintf(nullptr, 0, format, derived.As, derived.Ad, ratio, lagDegrees);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, derived.As, derived.Ad, ratio, lagDegrees);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

static void printResponse()
{
    std::fprintf(consoleOut, "\n%s", responseText().c_str());
}

// Highest angular frequency the plot can show, rad/s: half a period per
// frame, the frames being frameTime of motion apart.
static constexpr double plotLimit = modelPi / frameTime;
// The bound of |omega dt| within which the Gill step does not grow on its own.
static constexpr double gillStabilityBound = 2.8;
// Highest angular frequency the Gill step of dt follows, rad/s.
static constexpr double stepLimit = gillStabilityBound / dt;

// Name on standard error the frequencies the program cannot follow; nothing
// is refused, the run only shows numbers that are not the physics. Infinite
// ones need no warning: they show as inf already.
static void warnAboutFastFrequencies()
{
    // A specimen's om0 is hidden: its warning would name it.
    const double om0 =
        std::isfinite(derived.om0) && !specimenState.active ? std::fabs(derived.om0) : 0;
    const double omf = std::isfinite(params.system.omf) ? std::fabs(params.system.omf) : 0;
    const bool unstable = om0 > stepLimit || omf > stepLimit;
    const double limit = unstable ? stepLimit : plotLimit;
    const bool fastOm0 = om0 > limit;
    const bool fastOmf = omf > limit;
    if (!fastOm0 && !fastOmf) {
        return;
    }
    const char* which = fastOm0 && fastOmf ? "ω0, ωf" : fastOm0 ? "ω0" : "ωf";
    std::fflush(consoleOut);
    if (unstable) {
        std::fprintf(stderr,
                     "\n警告：%s が %.0f rad/s (%g/%g) を超えるため、%g s 刻みの積分が不安定に"
                     "なり、動きは物理と合いません。 / Warning: %s above %.0f rad/s (%g/%g): "
                     "the integration in steps of %g s is unstable and the motion shown is not "
                     "the physics.\n",
                     which, stepLimit, gillStabilityBound, dt, dt, which, stepLimit,
                     gillStabilityBound, dt, dt);
    } else {
        std::fprintf(stderr,
                     "\n警告：%s が %.2f rad/s (π/%g) を超えるため、%g s おきの描画では振動を"
                     "表せません。 / Warning: %s above %.2f rad/s (π/%g): samples %g s apart "
                     "cannot show the vibration.\n",
                     which, plotLimit, frameTime, frameTime, which, plotLimit, frameTime,
                     frameTime);
    }
}

// Ask for the initial condition until one of the three keys is pressed; a
// fresh response is followed by the warning of frequencies too fast to show.
static void chooseInitialState(bool freshResponse)
{
    for (bool first = true;; first = false) {
        printResponse();
        if (first && freshResponse) {
            warnAboutFastFrequencies();
        }
        std::fputs("\n初期条件キー入力　静止状態：'0'  定常振動振幅：'1'  任意設定 '2'",
                   consoleOut);
        const int key = readKey();
        switch (key) {
        case EOF:
            endOfInput();
        case '0':
            params.v0 = 0;
            params.y0 = 0;
            return;
        case '1':
            // The steady start would say Ad and the lag of a hidden system.
            if (specimenState.active) {
                std::fputs("\n試験体では定常振動から始められません / the steady-state start is not "
                           "available for a specimen",
                           consoleOut);
                break;
            }
            // With no damping at exact resonance the steady swing is
            // infinite: starting on it would put the mass at infinity.
            if (!std::isfinite(derived.Ad)) {
                std::fputs(
                    "\nこの値には始められる定常振動がありません（定常振幅が有限ではありません）。",
                    consoleOut);
                break;
            }
            setSteadyStateStart();
            return;
        case '2':
            askInitialState();
            return;
        default:
            break;
        }
    }
}

static void printKeyList()
{
    std::fputs("\n\n's'キーで：振動描画継続", consoleOut);
    std::fputs("\n'm'キーで：ばねマス定数変更", consoleOut);
    std::fputs(excitationWords().changeKey, consoleOut);
    std::fputs("\n'j'キーで：初期条件変更", consoleOut);
    std::fputs("\n'f'キーで：周波数特性描画", consoleOut);
    std::fputs("\n'x' 'X'キーで：周波数特性横軸拡大縮小", consoleOut);
    std::fputs("\n'y' 'Y'キーで：周波数特性・振動図縦軸拡大縮小", consoleOut);
    std::fputs("\nESCキーで：終了\n", consoleOut);
}

// The specimen's keys: m and g ask for the force, and a hands the answers in.
static void printSpecimenKeyList()
{
    std::fputs("\n\n's'キーで：振動描画継続", consoleOut);
    std::fputs("\n'm' 'g'キーで：外力変更", consoleOut);
    std::fputs("\n'j'キーで：初期条件変更", consoleOut);
    std::fputs("\n'r'キーで：測定（強制振動では測定点に加える）", consoleOut);
    std::fputs("\n'f'キーで：測定点の周波数特性描画", consoleOut);
    std::fputs("\n'a'キーで：回答の提出", consoleOut);
    std::fputs("\n'x' 'X'キーで：周波数特性横軸拡大縮小", consoleOut);
    std::fputs("\n'y' 'Y'キーで：周波数特性・振動図縦軸拡大縮小", consoleOut);
    std::fputs("\nESCキーで：終了\n", consoleOut);
}

// A specimen's dialog: the force and the start, never m, lambda or K, and
// nothing that follows from them.
static void inputSpecimenForce()
{
    std::fprintf(consoleOut,
                 "\n試験体 %s：m, λ, K は非表示です / specimen %s: its m, λ and K are hidden",
                 specimenState.code.c_str(), specimenState.code.c_str());
    const bool initialStateOnly = lastKey == 'j';
    if (!initialStateOnly) {
        askForce();
        computeForcedResponse();
        fillFrequencyTables();
    }
    chooseInitialState(!initialStateOnly);
    std::fprintf(consoleOut, "\n初期条件(y0,v0)=(%7.4f[m], %7.4f[m/s])", params.y0, params.v0);
    printSpecimenKeyList();
    std::fflush(consoleOut);
    resetRun();
}

void inputParameters()
{
    std::fputs("\n１自由度強制振動の描画", consoleOut);
    std::fputs(excitationWords().equation, consoleOut);
    if (specimenState.active) {
        inputSpecimenForce();
        return;
    }

    const bool forceOnward = lastKey == 'g';
    const bool initialStateOnly = lastKey == 'j';
    if (!forceOnward && !initialStateOnly) {
        askSpringMass();
        computeNaturalFrequency();
    }
    if (!initialStateOnly) {
        std::fprintf(consoleOut, "\n固有振動数 ω0=%7.4f[rad/s], 減衰比ζ=%7.4f", derived.om0,
                     derived.zeta);
        // The force's ratio as ever; the others from their closed form at om0.
        const double atResonance =
            params.system.kind == ExcitationKind::force
                ? 1 / (2 * derived.zeta)
                : steadyResponse(params.system.kind, 1, 1, derived.zeta).amplitude;
        std::fprintf(consoleOut, excitationWords().resonance, atResonance);
        askForce();
        computeForcedResponse();
        fillFrequencyTables();
    }

    chooseInitialState(!initialStateOnly);
    std::fprintf(consoleOut, "\n初期条件(y0,v0)=(%7.4f[m], %7.4f[m/s])", params.y0, params.v0);
    printKeyList();
    std::fflush(consoleOut);
    resetRun();
}
