// The teacher's page's entry (WebAssembly): lab/'s class making and grading
// as plain calls for the page's module (platform/web/teacher.js), with the
// page's own QR codes in the sheets.
#include <cstdlib>
#include <string>
#include <vector>

#include <emscripten.h>

#include "lab/class_maker.h"
#include "lab/grading.h"

// What the last call gave, for the page to read by fvTeacherText; written
// by the calls below only.
static struct {
    std::string text[3];
} teacherResults;

// A QR code of text as an SVG element, from the page's QR library.
EM_JS(char*, pageQrSvg, (const char* text), {
    const svg = Module.fvQrSvg(UTF8ToString(text));
    const size = lengthBytesUTF8(svg) + 1;
    const at = _malloc(size);
    stringToUTF8(svg, at, size);
    return at;
});

static std::string qrSvg(const std::string& text)
{
    char* made = pageQrSvg(text.c_str());
    const std::string svg = made;
    std::free(made);
    return svg;
}

// Lines of text as a list.
static std::vector<std::string> splitLines(const char* text)
{
    std::vector<std::string> lines;
    std::string line;
    for (const char* c = text; *c != '\0'; c++) {
        if (*c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += *c;
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

extern "C" {

// Make a class from --make-class's arguments, one a line (NAME, COUNT, then
// the options). 0: text 0 is the key, 1 the sheets, 2 the line that says what
// was made; 2: text 2 says what was wrong.
EMSCRIPTEN_KEEPALIVE int fvMakeClass(const char* argumentLines)
{
    ClassSettings settings;
    std::vector<ClassStudent> students;
    std::string problem;
    for (std::string& text : teacherResults.text) {
        text.clear();
    }
    if (!parseClassSettings(splitLines(argumentLines), &settings, &problem) ||
        !makeClass(settings, &students, &problem)) {
        teacherResults.text[2] = problem;
        return 2;
    }
    teacherResults.text[0] = classKeyCsv(students);
    teacherResults.text[1] = classSheetsHtml(settings, students, qrSvg);
    teacherResults.text[2] =
        classMadeLine(settings, settings.name + "-key.csv", settings.name + "-sheets.html");
    return 0;
}

// Grade the hand-ins against the key of file keyFile. 0: text 0 is the
// grades, 1 their file's name, 2 the listed hand-ins and the summary, one a
// line; 1: text 2 says what is wrong with the key.
EMSCRIPTEN_KEEPALIVE int fvGrade(const char* keyFile, const char* keyCsv, const char* handIns)
{
    GradeReport report;
    std::string problem;
    for (std::string& text : teacherResults.text) {
        text.clear();
    }
    if (!gradeHandIns(keyCsv, handIns, &report, &problem)) {
        teacherResults.text[2] = problem;
        return 1;
    }
    teacherResults.text[0] = report.gradesCsv;
    teacherResults.text[1] = gradesFileForKey(keyFile);
    for (const std::string& line : report.listed) {
        teacherResults.text[2] += line + '\n';
    }
    teacherResults.text[2] += report.summary;
    return 0;
}

// One text of the last call.
EMSCRIPTEN_KEEPALIVE const char* fvTeacherText(int which)
{
    return which >= 0 && which < 3 ? teacherResults.text[which].c_str() : "";
}
}
