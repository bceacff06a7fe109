// The program's command line.
#include "app/options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "app/csv_export.h"
#include "app/play.h"
#include "app/sweep_run.h"
#include "app/teacher_commands.h"
#include "console/answer_file.h"
#include "lab/specimen.h"
#include "model/specimen_state.h"
#include "model/state.h"

#ifndef FV_VERSION
#define FV_VERSION "unknown"
#endif

// The status of a bad command line or of files that cannot be used.
static constexpr int usageStatus = 2;

const char* const versionText = "forced-vibration " FV_VERSION "\n";

const char* const usageText =
    "使い方: forced-vibration [オプション] [回答ファイル]\n"
    "Usage:  forced-vibration [options] [answer-file]\n"
    "\n"
    "  --play        動きを実時間で連続再生する（スペースキーで一時停止・再開）\n"
    "                play the motion continuously in real time (space pauses and resumes)\n"
    "  --csv NAME    数値を NAME-motion.csv（毎コマの t, y, v, F(t)/K, KE, PE, 仕事率）と\n"
    "                NAME-response.csv（周波数特性）に書き出す（掃引の点は NAME-sweep.csv、\n"
    "                'r' と掃引の共振の値は NAME-measured.csv）\n"
    "                write the numbers to NAME-motion.csv (t, y, v, F(t)/K of every frame,\n"
    "                then KE, PE and the input and damper powers)\n"
    "                and NAME-response.csv (the frequency response); with a sweep also\n"
    "                NAME-sweep.csv (its measured and theory points); the figures of 'r'\n"
    "                and of each sweep's resonance to NAME-measured.csv\n"
    "  --sweep       最初のダイアログの後、周波数掃引を一度行い周波数特性に重ねる\n"
    "                （ウィンドウでは w キー）\n"
    "                sweep the frequency once after the first dialog and draw the\n"
    "                measured points over the chart (the key w in the window)\n"
    "  --specimen CODE\n"
    "                試験体（m, λ, K が非表示の系）を CODE で動かす。測定は 'r'、回答の提出は "
    "'a'。\n"
    "                測定点は NAME-measured.csv にも書き出す\n"
    "                run the specimen CODE, a system whose m, λ and K are hidden;\n"
    "                measure with 'r', hand the answers in with 'a' (with --csv the\n"
    "                measurements also go to NAME-measured.csv)\n"
    "  --excitation KIND\n"
    "                加振の種類: force（外力、既定）, base（基礎変位 u=U sin ωf t）,\n"
    "                unbalance（回転する不釣り合い me e ω² sin ωt）\n"
    "                what drives the mass: force (the default), base (the ground moves,\n"
    "                u = U sin wf t) or unbalance (a rotor's me e, me e w^2 sin wt)\n"
    "  --help        この説明を表示する / show this text\n"
    "  --version     版を表示する / show the version\n"
    "  回答ファイル  ダイアログの回答をまずこのファイルから読み、尽きたら端末から読む\n"
    "  answer-file   take the dialog's answers from this file first, then from the\n"
    "                terminal (e.g. examples/resonance)\n"
    "\n"
    "GLUT のオプション -display, -geometry, -iconic, -direct, -indirect, -gldebug,\n"
    "-sync はそのまま GLUT に渡す。 / GLUT's options are passed on to GLUT.\n"
    "\n"
    "例 / Example:  forced-vibration --play --csv run1 examples/beats\n"
    "\n"
    "教員用 / For the teacher (ウィンドウを開かずに終わる / no window opens):\n"
    "  forced-vibration --make-class NAME COUNT [--mass-range LO HI] [--om0-range LO HI]\n"
    "                   [--zeta-range LO HI] [--tolerance PERCENT] [--feedback] [--page-url URL]\n"
    "                クラスの試験体を作り NAME-key.csv（鍵）と NAME-sheets.html（配布用紙）を\n"
    "                書く（既定 m 0.5～5 kg, ω0 2～8 rad/s, ζ 0.05～0.3, 許容誤差 3 %）\n"
    "                make a class's specimens and write NAME-key.csv (the key) and\n"
    "                NAME-sheets.html (the students' sheets); defaults m 0.5-5 kg,\n"
    "                ω0 2-8 rad/s, ζ 0.05-0.3, tolerance 3 %\n"
    "  forced-vibration --grade NAME-key.csv HANDIN\n"
    "                提出コード（一行に一つ、または CSV のどの列でも）を採点し\n"
    "                NAME-grades.csv を書く\n"
    "                grade the hand-in codes (one a line, or a CSV with them in any\n"
    "                column) and write NAME-grades.csv\n";

// GLUT's options, and whether each takes a value.
struct GlutOption {
    const char* name;
    bool takesValue;
};
static const GlutOption glutOptions[] = {
    {"-display", true},   {"-geometry", true}, {"-iconic", false}, {"-direct", false},
    {"-indirect", false}, {"-gldebug", false}, {"-sync", false},
};

static const GlutOption* findGlutOption(const char* arg)
{
    for (const GlutOption& option : glutOptions) {
        if (std::strcmp(arg, option.name) == 0) {
            return &option;
        }
    }
    return nullptr;
}

// The excitation of a name on the command line; false for none.
static bool excitationNamed(const char* name, ExcitationKind* kind)
{
    for (const ExcitationKind each :
         {ExcitationKind::force, ExcitationKind::base, ExcitationKind::unbalance}) {
        if (std::strcmp(name, excitationName(each)) == 0) {
            *kind = each;
            return true;
        }
    }
    return false;
}

ParseOutcome parseCommandLine(int* argc, char** argv, CommandLine* options, std::string* problem)
{
    int kept = 1; // argv[0] stays
    bool optionsEnded = false;
    for (int i = 1; i < *argc; i++) {
        const char* arg = argv[i];
        const bool isOption = !optionsEnded && arg[0] == '-' && arg[1] != '\0';
        if (!isOption) {
            if (!options->answerFile.empty()) {
                *problem = std::string("回答ファイルは一つだけです / only one answer file: ") + arg;
                return ParseOutcome::usageError;
            }
            options->answerFile = arg;
            continue;
        }
        if (std::strcmp(arg, "--") == 0) {
            optionsEnded = true;
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            return ParseOutcome::help;
        } else if (std::strcmp(arg, "--version") == 0) {
            return ParseOutcome::version;
        } else if (std::strcmp(arg, "--play") == 0) {
            options->play = true;
        } else if (std::strcmp(arg, "--sweep") == 0) {
            options->sweep = true;
        } else if (std::strncmp(arg, "--specimen=", 11) == 0 ||
                   std::strcmp(arg, "--specimen") == 0) {
            const char* code = arg[10] == '=' ? arg + 11 : (i + 1 < *argc ? argv[++i] : "");
            if (code[0] == '\0') {
                *problem = "--specimen にはコードが要ります / --specimen needs a CODE";
                return ParseOutcome::usageError;
            }
            options->specimen = code;
        } else if (std::strncmp(arg, "--excitation=", 13) == 0 ||
                   std::strcmp(arg, "--excitation") == 0) {
            const char* kind = arg[12] == '=' ? arg + 13 : (i + 1 < *argc ? argv[++i] : "");
            if (!excitationNamed(kind, &options->excitation)) {
                *problem = "--excitation は force, base, unbalance のどれかです / --excitation "
                           "takes force, base or unbalance";
                return ParseOutcome::usageError;
            }
        } else if (std::strncmp(arg, "--csv=", 6) == 0 || std::strcmp(arg, "--csv") == 0) {
            const char* name = arg[5] == '=' ? arg + 6 : (i + 1 < *argc ? argv[++i] : "");
            if (name[0] == '\0') {
                *problem = "--csv には名前が要ります / --csv needs a NAME";
                return ParseOutcome::usageError;
            }
            options->csvName = name;
        } else if (std::strcmp(arg, "--make-class") == 0 || std::strcmp(arg, "--grade") == 0) {
            // The teacher's commands run alone (isTeacherCommand reads argv[1]).
            *problem = std::string(arg) + " は最初に置きます / " + arg + " comes first";
            return ParseOutcome::usageError;
        } else if (const GlutOption* glut = findGlutOption(arg)) {
            argv[kept++] = argv[i];
            if (glut->takesValue) {
                if (i + 1 >= *argc) {
                    *problem = std::string(arg) + " には値が要ります / " + arg + " needs a value";
                    return ParseOutcome::usageError;
                }
                argv[kept++] = argv[++i];
            }
        } else {
            *problem = std::string("不明なオプション / unknown option: ") + arg;
            return ParseOutcome::usageError;
        }
    }
    *argc = kept;
    argv[kept] = nullptr;
    return ParseOutcome::run;
}

void startFromCommandLine(int* argc, char** argv)
{
#ifdef FV_TEACHER_COMMANDS
    if (isTeacherCommand(*argc, argv)) {
        std::exit(runTeacherCommand(*argc, argv));
    }
#endif
    CommandLine options;
    std::string problem;
    switch (parseCommandLine(argc, argv, &options, &problem)) {
    case ParseOutcome::help:
        std::fputs(usageText, stdout);
        std::exit(0);
    case ParseOutcome::version:
        std::fputs(versionText, stdout);
        std::exit(0);
    case ParseOutcome::usageError:
        std::fprintf(stderr, "forced-vibration: %s\n\n%s", problem.c_str(), usageText);
        std::exit(usageStatus);
    case ParseOutcome::run:
        break;
    }

    // A specimen's answers are those of a force on its hidden system.
    if (!options.specimen.empty() && options.excitation != ExcitationKind::force) {
        std::fputs("forced-vibration: 試験体は外力で加振します / a specimen is forced by a force\n",
                   stderr);
        std::exit(usageStatus);
    }
    params.system.kind = options.excitation;
    // Refused at the edge, before anything runs: a code is never run as some
    // other system.
    if (!options.specimen.empty()) {
        Specimen specimen;
        const CodeProblem why = decodeSpecimen(options.specimen, &specimen);
        if (why != CodeProblem::none) {
            std::fprintf(stderr, "forced-vibration: %s\n", codeProblemText(why));
            std::exit(usageStatus);
        }
        specimenBegin(canonicalSpecimenCode(options.specimen), specimen.m, specimen.lambda,
                      specimen.K, specimen.tolerance, specimen.feedback);
    }
    if (!options.answerFile.empty() && !readAnswersFirstFrom(options.answerFile.c_str())) {
        std::fprintf(stderr, "forced-vibration: 回答ファイルを読めません / cannot read %s: %s\n",
                     options.answerFile.c_str(), std::strerror(errno));
        std::exit(usageStatus);
    }
    if (!options.csvName.empty() && !csvOpen(options.csvName, zetaTable, zetaTableSize,
                                             specimenState.active, options.excitation)) {
        std::exit(usageStatus);
    }
    if (options.play) {
        playEnable();
    }
    if (options.sweep) {
        sweepAskAtStart();
    }
}
