// Making a laboratory class: its specimens, its key and its sheets.
#include "lab/class_maker.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <set>

#include "lab/number_text.h"
#include "model/oscillator.h"

// Draws of one student's specimen before the ranges count as too narrow to
// give every student a code of their own.
static constexpr int mostDraws = 1000;

// --- the command line's options

// A number that is all of its text and finite.
static bool readNumber(const std::string& text, double* value)
{
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size() && std::isfinite(*value);
}

// A range option's two values: 0 < LO <= HI (and HI < below for zeta).
static bool readRange(const std::vector<std::string>& args, std::size_t* i, double below,
                      double* range, std::string* problem)
{
    const std::string& option = args[*i];
    double lo = 0, hi = 0;
    if (*i + 2 >= args.size() || !readNumber(args[*i + 1], &lo) || !readNumber(args[*i + 2], &hi) ||
        !(lo > 0 && lo <= hi && hi < below)) {
        *problem = option + " には 0 < LO <= HI の二つの数が要ります / " + option +
                   " needs two numbers 0 < LO <= HI";
        if (below < HUGE_VAL) {
            *problem +=
                "（HI < " + shortestNumber(below) + "） / (HI < " + shortestNumber(below) + ")";
        }
        return false;
    }
    range[0] = lo;
    range[1] = hi;
    *i += 2;
    return true;
}

bool parseClassSettings(const std::vector<std::string>& args, ClassSettings* settings,
                        std::string* problem)
{
    ClassSettings read;
    if (args.size() < 2 || args[0].empty() || args[0][0] == '-') {
        *problem = "--make-class にはクラス名と人数が要ります / --make-class needs NAME COUNT";
        return false;
    }
    read.name = args[0];
    double count = 0;
    if (!readNumber(args[1], &count) || count != std::floor(count) || count < 1 ||
        count > classMostStudents) {
        *problem = "人数は 1 から " + std::to_string(classMostStudents) +
                   " の整数です / COUNT is a whole number from 1 to " +
                   std::to_string(classMostStudents) + ": " + args[1];
        return false;
    }
    read.count = static_cast<int>(count);
    for (std::size_t i = 2; i < args.size(); i++) {
        const std::string& option = args[i];
        if (option == "--mass-range") {
            if (!readRange(args, &i, HUGE_VAL, read.massRange, problem)) {
                return false;
            }
        } else if (option == "--om0-range") {
            if (!readRange(args, &i, HUGE_VAL, read.om0Range, problem)) {
                return false;
            }
        } else if (option == "--zeta-range") {
            // An underdamped specimen only: a free decay must have peaks.
            if (!readRange(args, &i, 1, read.zetaRange, problem)) {
                return false;
            }
        } else if (option == "--tolerance") {
            double percent = 0;
            if (i + 1 >= args.size() || !readNumber(args[i + 1], &percent) ||
                percent != std::floor(percent) || percent < 1 || percent > 31) {
                *problem = "--tolerance は 1 から 31 の整数（%）です / "
                           "--tolerance is a whole percent from 1 to 31";
                return false;
            }
            read.tolerance = percent / 100;
            i++;
        } else if (option == "--feedback") {
            read.feedback = true;
        } else if (option == "--page-url") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                *problem = "--page-url にはアドレスが要ります / --page-url needs a URL";
                return false;
            }
            read.pageUrl = args[++i];
        } else {
            *problem =
                "--make-class の不明なオプション / unknown option of --make-class: " + option;
            return false;
        }
    }
    *settings = read;
    return true;
}

// --- drawing the specimens

// FNV-1a, 64 bits, of the class name: the generator's seed.
static uint64_t nameHash(const std::string& name)
{
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : name) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

// splitmix64: small, and the same numbers on every platform.
static uint64_t nextRandom(uint64_t* state)
{
    uint64_t z = (*state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// Uniform in [range[0], range[1]].
static double drawIn(uint64_t* state, const double* range)
{
    const double u = static_cast<double>(nextRandom(state) >> 11) * 0x1p-53;
    return range[0] + u * (range[1] - range[0]);
}

bool makeClass(const ClassSettings& settings, std::vector<ClassStudent>* students,
               std::string* problem)
{
    uint64_t state = nameHash(settings.name);
    std::set<std::string> codes;
    std::vector<ClassStudent> made;
    for (int number = 1; number <= settings.count; number++) {
        ClassStudent student{number, "", {}};
        for (int draw = 0; draw < mostDraws && student.code.empty(); draw++) {
            Specimen& s = student.specimen;
            const double m = drawIn(&state, settings.massRange);
            const double om0 = drawIn(&state, settings.om0Range);
            const double zeta = drawIn(&state, settings.zetaRange);
            s.m = roundThreeDigits(m);
            s.K = roundThreeDigits(s.m * om0 * om0);
            s.lambda = roundThreeDigits(2 * zeta * std::sqrt(s.m * s.K));
            s.tolerance = settings.tolerance;
            s.feedback = settings.feedback;
            const std::string code = encodeSpecimen(s);
            if (!code.empty() && codes.insert(code).second) {
                student.code = code;
            }
        }
        if (student.code.empty()) {
            *problem = "範囲が狭すぎて一人ずつ違う試験体を作れません / the ranges are too narrow "
                       "to give every student a specimen of their own";
            return false;
        }
        made.push_back(student);
    }
    *students = made;
    return true;
}

// --- the key

std::string classKeyCsv(const std::vector<ClassStudent>& students)
{
    std::string csv = "number,code,m,lambda,K,om0,zeta";
    for (int i = 0; i < answerCount; i++) {
        csv += std::string(",answer_") + answerColumns[i];
        if (i == answerZetaBand) {
            csv += ",answer_zeta_band_exact";
        }
    }
    csv += '\n';
    for (const ClassStudent& student : students) {
        const Specimen& s = student.specimen;
        const TrueAnswers truth = trueAnswers(s);
        csv += std::to_string(student.number) + ',' + student.code + ',' + shortestNumber(s.m) +
               ',' + shortestNumber(s.lambda) + ',' + shortestNumber(s.K) + ',' +
               shortestNumber(truth.value[answerOm0]) + ',' +
               shortestNumber(truth.value[answerZetaDecrement]);
        for (int i = 0; i < answerCount; i++) {
            csv += ',' + shortestNumber(truth.value[i]);
            if (i == answerZetaBand) {
                csv += ',' + shortestNumber(truth.bandZeta);
            }
        }
        csv += '\n';
    }
    return csv;
}

// --- the sheets

// text with HTML's special characters escaped.
static std::string escapeHtml(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

static const char sheetsHead[] = R"(<!DOCTYPE html>
<html lang="ja">
<head>
<meta charset="utf-8">
<title>)";

static const char sheetsStyle[] = R"(</title>
<style>
@page { size: A4; margin: 15mm; }
body { font-family: sans-serif; font-size: 10.5pt; line-height: 1.45; margin: 0; }
.sheet { page-break-after: always; break-after: page; max-width: 180mm; margin: 0 auto 10mm; }
.sheet:last-child { page-break-after: auto; break-after: auto; }
h1 { font-size: 15pt; margin: 0 0 2mm; }
.en { color: #333; }
.who { display: flex; justify-content: space-between; align-items: flex-start; gap: 6mm; }
.code { font-family: monospace; font-size: 20pt; letter-spacing: 0.08em; }
.qr svg { width: 32mm; height: 32mm; }
ol { padding-left: 6mm; }
table { border-collapse: collapse; width: 100%; margin-top: 3mm; }
th, td { border: 1px solid #000; padding: 2mm; text-align: left; }
td.blank { width: 45mm; }
</style>
</head>
<body>
)";

static const char sheetsTasks[] = R"(<h2>課題 / Tasks</h2>
<ol>
<li>自由振動：F = 0、初期変位 y0 を与えて（初期条件 2）走らせ、<kbd>r</kbd> で減衰周期 Td と山の高さを読む。<br>
<span class="en">Free decay: F = 0 and a start from a displacement y0 (initial condition 2); read the damped period Td and the heights of the peaks with <kbd>r</kbd>.</span></li>
<li>低い振動数の強制振動：ωf を ω0 の 1/5 ほどにして、落ち着いてから <kbd>r</kbd> で振幅 A を読む。<br>
<span class="en">A forced run at a low frequency: ωf about ω0/5; once it has settled, read the amplitude A with <kbd>r</kbd>.</span></li>
<li>共振の近くで ωf を <kbd>g</kbd> で変え、6～10 点で <kbd>r</kbd> を押す（<kbd>f</kbd> の図に点が並ぶ）。<br>
<span class="en">Near the resonance, change ωf with <kbd>g</kbd> and press <kbd>r</kbd> at six to ten points (the chart <kbd>f</kbd> shows them).</span></li>
<li>ω0、ζ（対数減衰率と半値幅の二通り）、K、m を求め、<kbd>a</kbd> で提出コードを作る。<br>
<span class="en">Work out ω0, ζ two ways (the logarithmic decrement and the half-power band), K and m, and make the hand-in code with <kbd>a</kbd>.</span></li>
</ol>
)";

std::string classSheetsHtml(const ClassSettings& settings,
                            const std::vector<ClassStudent>& students, QrSvgMaker qr)
{
    const std::string name = escapeHtml(settings.name);
    const std::string percent =
        std::to_string(static_cast<int>(std::lround(settings.tolerance * 100)));
    std::string html = sheetsHead;
    html += name + " — 未知試験体 / specimens" + sheetsStyle;
    for (const ClassStudent& student : students) {
        const std::string number = std::to_string(student.number);
        html +=
            "<section class=\"sheet\">\n<h1>振動実験：未知試験体 <span class=\"en\">/ "
            "Vibration laboratory: an unknown specimen</span></h1>\n<div class=\"who\">\n<div>\n";
        html += "<p>クラス / class: <strong>" + name + "</strong><br>番号 / number: <strong>" +
                number + "</strong></p>\n";
        html += "<p>試験体コード / specimen code:<br><span class=\"code\">" + student.code +
                "</span></p>\n";
        html += "<p><code>forced-vibration --specimen " + student.code + "</code>";
        if (!settings.pageUrl.empty()) {
            html += "<br>ページ / page: <code>" +
                    escapeHtml(settings.pageUrl + "#specimen=" + student.code) + "</code>";
        }
        html += "</p>\n</div>\n";
        if (!settings.pageUrl.empty() && qr != nullptr) {
            html += "<div class=\"qr\">" + qr(settings.pageUrl + "#specimen=" + student.code) +
                    "</div>\n";
        }
        html += "</div>\n";
        html += "<p>m、λ、K は隠されています。許容誤差 " + percent +
                " %。<br><span class=\"en\">m, λ and K are hidden. Tolerance " + percent +
                " %.</span></p>\n";
        html += sheetsTasks;
        html += "<table>\n<tr><th>答え / answer</th><th>値 / value</th></tr>\n";
        for (int i = 0; i < answerCount; i++) {
            html += std::string("<tr><td>") + escapeHtml(answerQuestions[i]) +
                    "</td><td class=\"blank\"></td></tr>\n";
        }
        html += "</table>\n<p>提出コード / hand-in code:</p>\n</section>\n";
    }
    html += "</body>\n</html>\n";
    return html;
}

std::string classMadeLine(const ClassSettings& settings, const std::string& keyFile,
                          const std::string& sheetsFile)
{
    const std::string count = std::to_string(settings.count);
    return "クラス " + settings.name + "（" + count + " 人）: " + keyFile + " と " + sheetsFile +
           " を書きました / class " + settings.name + " (" + count + " students): wrote " +
           keyFile + " and " + sheetsFile;
}
