// fv_drive: run the forced-vibration program once in a private X server,
// answer its console, type keys into its window, save a screenshot, end it
// with the escape key and report its exit status. For scripts; see --help.
#include "tools/program_driver.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace
{

const char* const usage = R"(Usage: fv_drive [options]

Start the forced-vibration program under a private Xvfb, write the answers
to its console, type the keys into its window one by one, save a picture of
the window, then type Escape and report how the program ended.

Options:
  --program PATH      the program to run (default: the one this tool was
                      built with: @PROGRAM@)
  --answers FILE      the console answers: the first dialog's, then those of
                      every 'j', 'g' or 'm' in --keys, in order ('-': read
                      them from standard input)
  --answer-text TEXT  the answers as text, "\n" for a line feed; added after
                      those of --answers
  --keys KEYS         keys to type, one by one. After a key that redraws
                      (s f x X y Y t T e) wait for its frame; after w for
                      its frame and the finished sweep's; after j, g or m
                      for the end of the dialog it runs; other keys are sent
                      without waiting
  --arg ARG           hand ARG to the program on its command line; repeat for
                      more (with --arg --play the start does not wait for the
                      window to be quiet)
  --size WxH          resize the window to W x H pixels before the keys
  --wait-ms N         wait N milliseconds after the last key, before the
                      screenshot (default 0)
  --screenshot FILE   save the window's picture there as a PNG
  --console FILE      save the program's console output there
  --wrapper "CMD"     run the program under CMD, split at spaces,
                      e.g. "valgrind -q --error-exitcode=99"
  --timeout-s N       how long to wait for a frame, a dialog or the end,
                      seconds (default 10; the start may take twice that)
  --settle-ms N       how long the window must stay without a frame before
                      it counts as settled after the start or a resize,
                      milliseconds (default 150; raise it under valgrind)
  --help              show this text

Exit status: 0 when every step worked and the program ended with status 0;
1 when a step failed (a frame or dialog that did not come, a file that could
not be written); 2 for a usage error; 3 when the program ended with another
status (printed on standard error).
)";

// Exit statuses of the tool.
constexpr int statusStepFailed = 1;
constexpr int statusUsage = 2;
constexpr int statusProgramFailed = 3;

// Everything the command line asks for.
struct Request {
    fvdriver::Options options;
    std::string keys;
    int width = 0; // 0: keep the window's size
    int height = 0;
    int waitMs = 0;
    std::string screenshot;
    std::string console;
};

// Text with each "\n" turned into a line feed.
std::string unescapeLineFeeds(const std::string& text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            result += '\n';
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

// The whole of a file, or of standard input for "-"; throws if unreadable.
std::string readFile(const std::string& path)
{
    if (path == "-")
        return {std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Words of text split at spaces.
std::vector<std::string> splitAtSpaces(const std::string& text)
{
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// Parse "WxH" into two positive ints; false if it is not that.
bool parseSize(const std::string& text, int& width, int& height)
{
    char x = 0;
    char rest = 0;
    return std::sscanf(text.c_str(), "%d%c%d%c", &width, &x, &height, &rest) == 3 && x == 'x' &&
           width > 0 && height > 0;
}

// Fill request from the command line; prints the problem and returns false
// on a usage error, exits on --help.
bool parseArguments(int argc, char** argv, Request& request)
{
    request.options.program = FV_PROGRAM;
    std::string answerText;
    std::string answerFile;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help") {
            std::string text = usage;
            text.replace(text.find("@PROGRAM@"), 9, FV_PROGRAM);
            std::cout << text;
            std::exit(0);
        }
        if (i + 1 >= argc) {
            std::cerr << "fv_drive: " << option << " needs a value (or is unknown); see --help\n";
            return false;
        }
        const std::string value = argv[++i];
        if (option == "--program") {
            request.options.program = value;
        } else if (option == "--answers") {
            answerFile = value;
        } else if (option == "--answer-text") {
            answerText += unescapeLineFeeds(value);
        } else if (option == "--arg") {
            request.options.args.push_back(value);
            if (value == "--play")
                request.options.settles = false;
        } else if (option == "--keys") {
            request.keys = value;
        } else if (option == "--size") {
            if (!parseSize(value, request.width, request.height)) {
                std::cerr << "fv_drive: --size wants WxH, e.g. 800x400\n";
                return false;
            }
        } else if (option == "--wait-ms") {
            request.waitMs = std::atoi(value.c_str());
        } else if (option == "--screenshot") {
            request.screenshot = value;
        } else if (option == "--console") {
            request.console = value;
        } else if (option == "--wrapper") {
            request.options.wrapper = splitAtSpaces(value);
        } else if (option == "--timeout-s") {
            const int seconds = std::atoi(value.c_str());
            if (seconds <= 0) {
                std::cerr << "fv_drive: --timeout-s wants a positive number of seconds\n";
                return false;
            }
            request.options.frameTimeout = std::chrono::seconds(seconds);
            request.options.startTimeout = std::chrono::seconds(2 * seconds);
        } else if (option == "--settle-ms") {
            const int ms = std::atoi(value.c_str());
            if (ms <= 0) {
                std::cerr << "fv_drive: --settle-ms wants a positive number of milliseconds\n";
                return false;
            }
            request.options.settleTime = std::chrono::milliseconds(ms);
        } else {
            std::cerr << "fv_drive: unknown option " << option << "; see --help\n";
            return false;
        }
    }
    if (request.keys.find('\x1b') != std::string::npos) {
        std::cerr << "fv_drive: --keys must not hold Escape; it is always typed last\n";
        return false;
    }
    request.options.answers = (answerFile.empty() ? "" : readFile(answerFile)) + answerText;
    return true;
}

// Save text to path; false with a message if it cannot be written.
bool saveText(const std::string& text, const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out) {
        std::cerr << "fv_drive: cannot write " << path << "\n";
        return false;
    }
    return true;
}

// Type the keys one by one, each waited for as --help says; false with a
// message at the first one that does not complete.
bool typeKeys(fvdriver::Program& program, const std::string& keys)
{
    int dialogPasses = 1; // the first dialog is over once the window is up
    for (const char key : keys) {
        // 'e' redraws too, but for a specimen, where it only says why not.
        if (std::strchr(fvdriver::redrawingKeys, key) != nullptr || key == 'e') {
            if (!program.sendKeyForFrame(key)) {
                std::cerr << "fv_drive: no frame came after the key '" << key << "'\n";
                return false;
            }
        } else if (key == 'w') {
            // The chart at once, then the frame of the finished sweep.
            const int before = program.framesSeen();
            program.sendKey(key);
            if (!program.waitForFrames(before + 2)) {
                std::cerr << "fv_drive: the sweep of the key 'w' did not finish\n";
                return false;
            }
        } else if (key == 'j' || key == 'g' || key == 'm') {
            program.sendKey(key);
            if (!program.waitForOutput(fvdriver::dialogEnd, ++dialogPasses)) {
                std::cerr << "fv_drive: the dialog of the key '" << key
                          << "' did not finish; are its answers in the answers?\n";
                return false;
            }
        } else {
            program.sendKey(key);
        }
    }
    return true;
}

// Run the request; the tool's exit status.
int run(const Request& request)
{
    xvfb::Server server;
    fvdriver::Program program(server, request.options);
    bool ok = true;
    if (request.width > 0 && !program.resize(request.width, request.height)) {
        std::cerr << "fv_drive: the window did not take the size " << request.width << "x"
                  << request.height << "\n";
        ok = false;
    }
    ok = ok && typeKeys(program, request.keys);
    if (ok && request.waitMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(request.waitMs));
    if (ok && !request.screenshot.empty())
        ok = fvdriver::writePng(program.grab(), request.screenshot);

    // A step that failed may have left a dialog waiting: let it end.
    if (!ok)
        program.closeInput();
    if (program.running())
        program.sendEscape();
    const std::optional<int> status = program.waitForExit();
    if (!request.console.empty())
        ok = saveText(program.output(), request.console) && ok;
    if (!status) {
        std::cerr << "fv_drive: the program did not end after Escape\n";
        return statusStepFailed;
    }
    std::cerr << "fv_drive: the program ended with status " << *status << "\n";
    if (!ok)
        return statusStepFailed;
    return *status == 0 ? 0 : statusProgramFailed;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        Request request;
        if (!parseArguments(argc, argv, request))
            return statusUsage;
        return run(request);
    } catch (const std::exception& e) {
        std::cerr << "fv_drive: " << e.what() << "\n";
        return statusStepFailed;
    }
}
