// The teacher's commands: file names and files around lab/'s text.
#include "app/teacher_commands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "lab/class_maker.h"
#include "lab/grading.h"

#ifdef FV_QRENCODE
#include <qrencode.h>
#endif

// The statuses the commands end with.
static constexpr int workedStatus = 0;
static constexpr int fileStatus = 1;
static constexpr int usageStatus = 2;

// A QR code of text as an inline SVG, from Debian's libqrencode; empty when
// the program is built without it.
static std::string qrSvg(const std::string& text)
{
#ifdef FV_QRENCODE
    // Modules of white around the code, as its standard asks.
    constexpr int qrQuietZone = 4;
    QRcode* code = QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (code == nullptr) {
        return "";
    }
    const int size = code->width + 2 * qrQuietZone;
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " +
                      std::to_string(size) + " " + std::to_string(size) +
                      "\" shape-rendering=\"crispEdges\" role=\"img\" aria-label=\"QR\">"
                      "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/><path d=\"";
    for (int y = 0; y < code->width; y++) {
        for (int x = 0; x < code->width; x++) {
            if (code->data[y * code->width + x] & 1) {
                svg += 'M' + std::to_string(x + qrQuietZone) + ' ' +
                       std::to_string(y + qrQuietZone) + "h1v1h-1z";
            }
        }
    }
    QRcode_free(code);
    return svg + "\"/></svg>";
#else
    (void)text;
    return "";
#endif
}

bool isTeacherCommand(int argc, char** argv)
{
    return argc > 1 &&
           (std::strcmp(argv[1], "--make-class") == 0 || std::strcmp(argv[1], "--grade") == 0);
}

static bool writeFile(const std::string& name, const std::string& text)
{
    std::ofstream file(name, std::ios::binary);
    file << text;
    file.close();
    if (!file) {
        std::fprintf(stderr, "forced-vibration: 書けません / cannot write %s: %s\n", name.c_str(),
                     std::strerror(errno));
        return false;
    }
    return true;
}

static bool readFile(const std::string& name, std::string* text)
{
    std::ifstream file(name, std::ios::binary);
    if (file) {
        *text = std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    if (!file && !file.eof()) {
        std::fprintf(stderr, "forced-vibration: 読めません / cannot read %s: %s\n", name.c_str(),
                     std::strerror(errno));
        return false;
    }
    return true;
}

static int makeClassCommand(const std::vector<std::string>& args)
{
    ClassSettings settings;
    std::vector<ClassStudent> students;
    std::string problem;
    if (!parseClassSettings(args, &settings, &problem) ||
        !makeClass(settings, &students, &problem)) {
        std::fprintf(stderr, "forced-vibration: %s\n", problem.c_str());
        return usageStatus;
    }
    const std::string keyFile = settings.name + "-key.csv";
    const std::string sheetsFile = settings.name + "-sheets.html";
    if (!writeFile(keyFile, classKeyCsv(students)) ||
        !writeFile(sheetsFile, classSheetsHtml(settings, students, qrSvg))) {
        return fileStatus;
    }
    std::printf("%s\n", classMadeLine(settings, keyFile, sheetsFile).c_str());
    return workedStatus;
}

static int gradeCommand(const std::vector<std::string>& args)
{
    if (args.size() != 2) {
        std::fprintf(stderr, "forced-vibration: --grade には鍵ファイルと提出ファイルが要ります / "
                             "--grade needs NAME-key.csv HANDIN\n");
        return usageStatus;
    }
    std::string key, handIns;
    if (!readFile(args[0], &key) || !readFile(args[1], &handIns)) {
        return fileStatus;
    }
    GradeReport report;
    std::string problem;
    if (!gradeHandIns(key, handIns, &report, &problem)) {
        std::fprintf(stderr, "forced-vibration: %s: %s\n", args[0].c_str(), problem.c_str());
        return fileStatus;
    }
    const std::string gradesFile = gradesFileForKey(args[0]);
    if (!writeFile(gradesFile, report.gradesCsv)) {
        return fileStatus;
    }
    for (const std::string& line : report.listed) {
        std::printf("%s\n", line.c_str());
    }
    std::printf("%s → %s\n", report.summary.c_str(), gradesFile.c_str());
    return workedStatus;
}

int runTeacherCommand(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 2, argv + argc);
    return std::strcmp(argv[1], "--make-class") == 0 ? makeClassCommand(args) : gradeCommand(args);
}
