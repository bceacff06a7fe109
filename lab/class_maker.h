// Making a laboratory class: one specimen per student, drawn from the class
// name, the teacher's key and the students' printed sheets.
#pragma once

#include <string>
#include <vector>

#include "lab/specimen.h"

// What the teacher asks for (the defaults are the usual class's).
struct ClassSettings {
    std::string name;                  // the class name; the specimens are drawn from it
    int count = 0;                     // students
    double massRange[2] = {0.5, 5};    // m, kg
    double om0Range[2] = {2, 8};       // natural angular frequency, rad/s
    double zetaRange[2] = {0.05, 0.3}; // damping ratio
    double tolerance = 0.03;           // relative error an answer may have
    bool feedback = false;             // the program says whether an answer is within it
    std::string pageUrl;               // the page's address for the sheets' QR codes; empty: none
};

// Most students of one class.
constexpr int classMostStudents = 10000;

// Read NAME COUNT and the options after them (--mass-range LO HI,
// --om0-range LO HI, --zeta-range LO HI, --tolerance PERCENT, --feedback,
// --page-url URL). false with *problem (one line, Japanese / English) when
// they are wrong.
bool parseClassSettings(const std::vector<std::string>& args, ClassSettings* settings,
                        std::string* problem);

// One student's specimen.
struct ClassStudent {
    int number; // 1, 2, ...
    std::string code;
    Specimen specimen;
};

// The class's specimens: m, om0 and zeta drawn uniformly in the ranges by a
// generator seeded from the class name, K = m om0^2 and lambda =
// 2 zeta sqrt(m K), each rounded to three significant digits; no two
// students share a code. false with *problem when the ranges are too narrow
// to give every student a specimen of their own.
bool makeClass(const ClassSettings& settings, std::vector<ClassStudent>* students,
               std::string* problem);

// The teacher's key: number, code, m, lambda, K, om0, zeta, then the true
// value of every answer (answer_om0, ..., answer_zeta_band_exact, ...).
std::string classKeyCsv(const std::vector<ClassStudent>& students);

// Makes a QR code of text as an inline SVG element; the desktop and the
// page each bring their own.
using QrSvgMaker = std::string (*)(const std::string& text);

// The students' sheets: one printable A4 page each, in Japanese and English,
// with a QR code of pageUrl#specimen=CODE when the settings name a page and
// qr is given.
std::string classSheetsHtml(const ClassSettings& settings,
                            const std::vector<ClassStudent>& students, QrSvgMaker qr);

// The one line that says what a class wrote, e.g. for the files NAME-key.csv
// and NAME-sheets.html.
std::string classMadeLine(const ClassSettings& settings, const std::string& keyFile,
                          const std::string& sheetsFile);
