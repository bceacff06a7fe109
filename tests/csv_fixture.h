// A shared starting point for tests of the CSV files: a frame test with
// --csv DIR/lab open in a fresh directory, its dialogs, and the files'
// rows read back.
#pragma once

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/csv_export.h"
#include "app/dialog_pass.h"
#include "tests/console_capture.h"
#include "tests/frame_fixture.h"

using CsvRow = std::vector<std::string>;

// The rows of a CSV file, each split at its commas; none when it is missing.
inline std::vector<CsvRow> readCsv(const std::string& path)
{
    std::ifstream in(path);
    std::vector<CsvRow> rows;
    for (std::string line; std::getline(in, line);) {
        CsvRow row;
        std::stringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');) {
            row.push_back(cell);
        }
        rows.push_back(row);
    }
    return rows;
}

class CsvTest : public FrameTest
{
  protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        char pattern[] = "/tmp/fv-csv-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        name = dir + "/lab";
        ASSERT_TRUE(csvOpen(name, zetaTable, zetaTableSize));
    }
    void TearDown() override
    {
        csvClose();
        for (const char* file : {"-motion.csv", "-response.csv", "-sweep.csv", "-measured.csv"}) {
            std::remove((name + file).c_str());
        }
        rmdir(dir.c_str());
    }
    // One dialog pass with these answers, from lastKey's entry point.
    static void dialog(char entry, const std::string& answers)
    {
        lastKey = entry;
        withConsole(answers, runDialogPass);
    }
    std::string dir;
    std::string name; // DIR/lab
};
