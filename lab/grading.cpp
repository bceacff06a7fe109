// Grading a laboratory class.
#include "lab/grading.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "lab/number_text.h"
#include "lab/specimen.h"

// One student of the key.
struct KeyRow {
    std::string number;
    std::string code; // printed form
    Specimen specimen;
};

// Split one line of a plain CSV (the key has no quoted fields).
static std::vector<std::string> splitCsvLine(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string::npos ? comma : comma - start));
        if (comma == std::string::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

// The lines of text, without their line ends (LF or CRLF, as a spreadsheet
// may save it).
static std::vector<std::string> textLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

static bool readKey(const std::string& keyCsv, std::vector<KeyRow>* rows, std::string* problem)
{
    const std::vector<std::string> lines = textLines(keyCsv);
    int numberAt = -1, codeAt = -1;
    if (!lines.empty()) {
        std::string header = lines[0];
        if (header.compare(0, 3, "\xEF\xBB\xBF") == 0) { // a spreadsheet's byte order mark
            header.erase(0, 3);
        }
        const std::vector<std::string> names = splitCsvLine(header);
        for (std::size_t i = 0; i < names.size(); i++) {
            if (names[i] == "number") {
                numberAt = static_cast<int>(i);
            } else if (names[i] == "code") {
                codeAt = static_cast<int>(i);
            }
        }
    }
    if (numberAt < 0 || codeAt < 0) {
        *problem = "鍵ファイルに number と code の列がありません / the key has no number and "
                   "code columns";
        return false;
    }
    for (std::size_t i = 1; i < lines.size(); i++) {
        if (lines[i].empty()) {
            continue;
        }
        const std::vector<std::string> fields = splitCsvLine(lines[i]);
        KeyRow row;
        if (fields.size() <= static_cast<std::size_t>(std::max(numberAt, codeAt)) ||
            decodeSpecimen(fields[codeAt], &row.specimen) != CodeProblem::none) {
            *problem = "鍵ファイルの " + std::to_string(i + 1) + " 行目が読めません / line " +
                       std::to_string(i + 1) + " of the key cannot be read";
            return false;
        }
        row.number = fields[numberAt];
        row.code = encodeSpecimen(row.specimen);
        rows->push_back(row);
    }
    return true;
}

// Pieces of the hand-ins' text that may each be a hand-in code: a course
// site's CSV puts them in any field, quoted or not.
static std::vector<std::string> handInTokens(const std::string& text)
{
    std::vector<std::string> tokens;
    std::string token;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';' || c == '"' ||
            c == '\'') {
            if (!token.empty()) {
                tokens.push_back(token);
            }
            token.clear();
        } else {
            token += c;
        }
    }
    if (!token.empty()) {
        tokens.push_back(token);
    }
    return tokens;
}

// Whether a token has a hand-in code's shape, a specimen code of twelve
// letters and digits and then '/' fields, so that one failing its check is
// damaged rather than some other text.
static bool looksLikeHandIn(const std::string& token)
{
    const std::size_t slash = token.find('/');
    if (slash == std::string::npos) {
        return false;
    }
    int characters = 0;
    for (std::size_t i = 0; i < slash; i++) {
        const char c = token[i];
        if (c == '-') {
            continue;
        }
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
            return false;
        }
        characters++;
    }
    return characters == 12;
}

// The grades' columns of one answer.
static void addAnswerColumns(std::string* csv, const char* column)
{
    const std::string name = column;
    *csv += ',' + name + ',' + name + "_true," + name + "_relative_error," + name + "_ok";
}

// One row of the grades; handIn null for a student who handed nothing in.
static std::string gradeRow(const KeyRow& row, const HandIn* handIn)
{
    const TrueAnswers truth = trueAnswers(row.specimen);
    std::string line = row.number + ',' + row.code + ',';
    if (handIn != nullptr) {
        line += std::to_string(handIn->checks);
    }
    int total = 0;
    for (int i = 0; i < answerCount; i++) {
        double accepted = truth.value[i];
        const bool given = handIn != nullptr && handIn->answers.given[i];
        const double value = given ? handIn->answers.value[i] : 0;
        // The band is held to the method or to the true zeta, whichever the
        // answer is nearer.
        if (i == answerZetaBand && given &&
            std::fabs(value - truth.bandZeta) < std::fabs(value - accepted)) {
            accepted = truth.bandZeta;
        }
        line += ',';
        if (given) {
            line += shortestNumber(value);
        }
        line += ',' + shortestNumber(accepted) + ',';
        if (given) {
            line += shortestNumber((value - accepted) / std::fabs(accepted));
        }
        line += ',';
        if (handIn != nullptr) {
            const bool ok = given && withinTolerance(row.specimen, static_cast<Answer>(i), value);
            total += ok;
            line += ok ? "1" : "0";
        }
    }
    line += ',';
    if (handIn != nullptr) {
        line += std::to_string(total);
    }
    return line + '\n';
}

bool gradeHandIns(const std::string& keyCsv, const std::string& handIns, GradeReport* report,
                  std::string* problem)
{
    std::vector<KeyRow> rows;
    if (!readKey(keyCsv, &rows, problem)) {
        return false;
    }
    std::map<std::string, std::size_t> rowOfCode;
    for (std::size_t i = 0; i < rows.size(); i++) {
        rowOfCode[rows[i].code] = i;
    }

    GradeReport made;
    std::vector<HandIn> handed(rows.size());
    std::vector<bool> handedIn(rows.size(), false);
    int damaged = 0, otherClass = 0, duplicate = 0, graded = 0;
    for (const std::string& token : handInTokens(handIns)) {
        HandIn handIn;
        if (!readHandIn(token, &handIn)) {
            if (looksLikeHandIn(token)) {
                damaged++;
                made.listed.push_back("破損（検査が合いません） / damaged (its check fails): " +
                                      token);
            }
            continue;
        }
        const auto found = rowOfCode.find(handIn.specimenCode);
        if (found == rowOfCode.end()) {
            otherClass++;
            made.listed.push_back("このクラスの試験体ではありません / not a specimen of this "
                                  "class: " +
                                  token);
        } else if (handedIn[found->second]) {
            duplicate++;
            made.listed.push_back("二度目の提出（数えません） / handed in again, not counted "
                                  "(番号 / number " +
                                  rows[found->second].number + "): " + token);
        } else {
            handedIn[found->second] = true;
            handed[found->second] = handIn;
            graded++;
        }
    }

    made.gradesCsv = "number,code,checks";
    for (int i = 0; i < answerCount; i++) {
        addAnswerColumns(&made.gradesCsv, answerColumns[i]);
    }
    made.gradesCsv += ",total\n";
    for (std::size_t i = 0; i < rows.size(); i++) {
        made.gradesCsv += gradeRow(rows[i], handedIn[i] ? &handed[i] : nullptr);
    }
    const int missing = static_cast<int>(rows.size()) - graded;
    made.summary = "採点 " + std::to_string(graded) + "、破損 " + std::to_string(damaged) +
                   "、他のクラス " + std::to_string(otherClass) + "、重複 " +
                   std::to_string(duplicate) + "、未提出 " + std::to_string(missing) +
                   " / graded " + std::to_string(graded) + ", damaged " + std::to_string(damaged) +
                   ", other class " + std::to_string(otherClass) + ", duplicate " +
                   std::to_string(duplicate) + ", not handed in " + std::to_string(missing);
    *report = made;
    return true;
}

std::string gradesFileForKey(const std::string& keyFile)
{
    const std::string keyEnd = "-key.csv";
    std::string name = keyFile;
    if (name.size() >= keyEnd.size() &&
        name.compare(name.size() - keyEnd.size(), keyEnd.size(), keyEnd) == 0) {
        name.erase(name.size() - keyEnd.size());
    } else if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".csv") == 0) {
        name.erase(name.size() - 4);
    }
    return name + "-grades.csv";
}
