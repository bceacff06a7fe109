// Grading a laboratory class: the students' hand-in codes against the key.
#pragma once

#include <string>
#include <vector>

// What grading gave.
struct GradeReport {
    std::string gradesCsv;           // number, code, checks, per answer value, true,
                                     // relative_error, ok, and last total
    std::string summary;             // one line: graded, damaged, other class, duplicate,
                                     // not handed in
    std::vector<std::string> listed; // one line per hand-in not counted, and why
};

// Grade the hand-ins (one per line, or a CSV from a course site with the
// codes in any field) against the key (classKeyCsv's text). false, with
// *problem one line, when the key is not a class's key.
bool gradeHandIns(const std::string& keyCsv, const std::string& handIns, GradeReport* report,
                  std::string* problem);

// The grades file beside a key: NAME-key.csv gives NAME-grades.csv.
std::string gradesFileForKey(const std::string& keyFile);
