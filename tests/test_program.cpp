// The built program, run as a user runs it: answers through a pipe or typed
// at a terminal, with no display to open a window on.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/worked_example.h"

namespace
{

const char* const program = FV_PROGRAM;

// How long a run of the program may take before the test gives up on it.
constexpr auto runLimit = std::chrono::seconds(20);

struct Outcome {
    std::string out;
    std::string err;
    int status; // exit status, or 128 + signal
};

std::string slurp(FILE* f)
{
    std::string text;
    std::rewind(f);
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        text.append(buf, n);
    }
    return text;
}

int statusOf(int waitStatus)
{
    return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
}

// Wait for pid, killing it if it outlives the limit; the wait status or -1.
int waitLimited(pid_t pid)
{
    const auto deadline = std::chrono::steady_clock::now() + runLimit;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return status;
}

// The argv of the program with these arguments.
std::vector<char*> commandLine(const std::vector<std::string>& args)
{
    std::vector<char*> argv{const_cast<char*>(program)};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    return argv;
}

// Run the program with `input` as its standard input, the arguments after
// its name, and no display.
Outcome runPiped(const std::string& input, const std::vector<std::string>& args = {})
{
    std::vector<char*> argv = commandLine(args);
    FILE* in = std::tmpfile();
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fileno(in), 0);
        dup2(fileno(out), 1);
        dup2(fileno(err), 2);
        unsetenv("DISPLAY");
        execv(program, argv.data());
        _exit(127);
    }
    const int status = waitLimited(pid);
    Outcome o{slurp(out), slurp(err), status < 0 ? -1 : statusOf(status)};
    std::fclose(in);
    std::fclose(out);
    std::fclose(err);
    return o;
}

// Said at once when there is no display, before the dialog.
const std::string noDisplay = "ウィンドウを開けません：X ディスプレイがありません (DISPLAY)。 / "
                              "Cannot open the window: no X display (DISPLAY).\n";

TEST(Program, PipedWorkedExampleThenNoDisplay)
{
    const Outcome o = runPiped("1 0.2 4\n1 1\n1\n");
    EXPECT_EQ(o.out, dialogText::workedExample);
    // The student hears of the missing display first; the dialog still runs,
    // then GLUT itself gives up and the program ends with a failure status.
    EXPECT_EQ(o.err.rfind(noDisplay, 0), 0u) << o.err;
    EXPECT_NE(o.err.find("freeglut"), std::string::npos) << o.err;
    EXPECT_NE(o.status, 0);
    EXPECT_NE(o.status, -1) << "the program hung";
}

TEST(Program, PipedInvalidKeyRepeatsTheResults)
{
    const Outcome o = runPiped("1 0.2 4\n1 1\nx1\n");
    const std::string results =
        "\n静撓み   As= 0.2500[m]"
        "\n定常振幅 Ad= 0.3326[m]  振幅比Ad/As= 1.3304  位相遅れΦ=  3.81[deg]"
        "\n初期条件キー入力　静止状態：'0'  定常振動振幅：'1'  任意設定 '2'";
    const std::size_t first = o.out.find(results);
    ASSERT_NE(first, std::string::npos) << o.out;
    EXPECT_EQ(o.out.find(results, first + results.size()), first + results.size());
}

TEST(Program, EndOfInputEndsPromptlyWithOneLine)
{
    for (const char* input : {"", "1 0.2 4\n", "1 0.2 4\n1 1\n", "1 0.2 4\n1 1\nxyz\n"}) {
        SCOPED_TRACE(input);
        const Outcome o = runPiped(input);
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err, noDisplay + "入力が終わりました。プログラムを終了します。\n");
    }
}

TEST(Program, FrequenciesTooFastToFollowAreNamedOnStandardError)
{
    const Outcome plain = runPiped("1 0 4\n1 1\n0\n");
    EXPECT_EQ(plain.err.find("警告"), std::string::npos) << plain.err;
    // ω0 = 100 rad/s: beyond what samples 0.04 s apart can show.
    const Outcome stiff = runPiped("1 0 10000\n1 1\n0\n");
    EXPECT_NE(stiff.err.find("\n警告：ω0 が 78.54 rad/s (π/0.04)"), std::string::npos) << stiff.err;
    // ωf = 300 rad/s: beyond what a step of 0.01 s follows.
    const Outcome fast = runPiped("1 0 4\n1 300\n0\n");
    EXPECT_NE(fast.err.find("\n警告：ωf が 280 rad/s (2.8/0.01)"), std::string::npos) << fast.err;
    // Standard output is what it always was.
    EXPECT_EQ(stiff.out.find("警告"), std::string::npos);
    EXPECT_NE(stiff.out.find("固有振動数 ω0=100.0000[rad/s]"), std::string::npos) << stiff.out;
}

// The end of the initial-condition question, where the single key is read.
const std::string keyPrompt = "任意設定 '2'";

// A program started on a pseudo-terminal of its own, as if typed at.
struct TerminalRun {
    int master = -1;
    pid_t pid = -1;
    std::string seen;

    void start(const std::vector<std::string>& args = {})
    {
        std::vector<char*> argv = commandLine(args);
        int slave = -1;
        ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        pid = fork();
        if (pid == 0) {
            setsid();
            ioctl(slave, TIOCSCTTY, 0);
            dup2(slave, 0);
            dup2(slave, 1);
            dup2(slave, 2);
            close(master);
            close(slave);
            unsetenv("DISPLAY");
            execv(program, argv.data());
            _exit(127);
        }
        close(slave);
    }

    // Read what the program printed until `text` has appeared.
    bool waitFor(const std::string& text)
    {
        const auto deadline = std::chrono::steady_clock::now() + runLimit;
        while (seen.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 50) > 0) {
                char buf[4096];
                const ssize_t n = read(master, buf, sizeof buf);
                if (n <= 0) {
                    return seen.find(text) != std::string::npos;
                }
                seen.append(buf, static_cast<std::size_t>(n));
            }
        }
        return true;
    }

    tcflag_t localModes() const
    {
        termios mode{};
        tcgetattr(master, &mode);
        return mode.c_lflag;
    }

    // Type the answers and wait for the key prompt, with the terminal switched
    // to single keys.
    bool answerUpToTheKey(const std::string& answers)
    {
        type(answers);
        return waitFor(keyPrompt) && waitForRawMode();
    }

    // Wait until the program has switched the terminal to single keys.
    bool waitForRawMode()
    {
        const auto deadline = std::chrono::steady_clock::now() + runLimit;
        while ((localModes() & (ECHO | ICANON)) != 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    void type(const std::string& keys)
    {
        ASSERT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }

    int finish()
    {
        waitFor("\x01never"); // drain what is left until the program closes the terminal
        const int status = waitLimited(pid);
        return status < 0 ? -1 : statusOf(status);
    }

    ~TerminalRun()
    {
        if (master >= 0) {
            close(master);
        }
    }
};

TEST(Program, TerminalTakesOneKeyWithoutEchoOrEnter)
{
    TerminalRun term;
    term.start();
    // What follows the numbers on their line is thrown away before the key.
    ASSERT_TRUE(term.answerUpToTheKey("1 0.2 4\n1 1 junk\n")) << term.seen;
    term.type("2"); // no Enter
    const std::string startPrompt = "y0[m] v0[m/s] = ";
    ASSERT_TRUE(term.waitFor(startPrompt)) << term.seen;
    const std::size_t prompt = term.seen.find(keyPrompt) + keyPrompt.size();
    // Neither the key is echoed nor the Enter of "1 1 junk" taken as a key.
    const std::string next = "\r\n" + startPrompt;
    EXPECT_EQ(term.seen.compare(prompt, next.size(), next), 0) << term.seen.substr(prompt);
    term.type("0.5 0\n");
    ASSERT_TRUE(term.waitFor("ESCキーで：終了")) << term.seen;
    // "junk" was never read as the start's first number.
    EXPECT_EQ(term.seen.find("数値ではありません"), std::string::npos) << term.seen;
    EXPECT_NE(term.seen.find("初期条件(y0,v0)=( 0.5000[m],  0.0000[m/s])"), std::string::npos)
        << term.seen;
    EXPECT_EQ(term.seen.find(keyPrompt, prompt), std::string::npos);
    EXPECT_NE(term.finish(), 0); // no display: GLUT gives up after the dialog
    EXPECT_EQ(term.localModes() & (ECHO | ICANON), static_cast<tcflag_t>(ECHO | ICANON));
}

TEST(Program, TerminalTakesGluedEntriesAsBadAndFullWidthKeysWhole)
{
    TerminalRun term;
    term.start();
    term.type("1 0.2 4x\n");
    ASSERT_TRUE(term.waitFor("3番目の入力（K）が数値ではありません")) << term.seen;
    term.type("１　０．２　４\n");
    ASSERT_TRUE(term.waitFor("ω0= 2.0000")) << term.seen;
    // The rest of the line after the numbers is not the key.
    term.type("1 1 junk\n");
    ASSERT_TRUE(term.waitFor(keyPrompt)) << term.seen;
    ASSERT_TRUE(term.waitForRawMode());
    term.type("１"); // three bytes from an input method: one key, the '1'
    ASSERT_TRUE(term.waitFor("ESCキーで：終了")) << term.seen;
    EXPECT_NE(term.seen.find("初期条件(y0,v0)=(-0.0221[m],  0.3319[m/s])"), std::string::npos)
        << term.seen;
    EXPECT_EQ(term.seen.find(keyPrompt, term.seen.find(keyPrompt) + 1), std::string::npos);
    EXPECT_NE(term.finish(), 0);
}

TEST(Program, CtrlCAtTheKeyPromptGivesTheTerminalBack)
{
    TerminalRun term;
    term.start();
    ASSERT_TRUE(term.answerUpToTheKey("1 0.2 4\n1 1\n")) << term.seen;
    term.type("\x03");
    EXPECT_EQ(term.finish(), 128 + SIGINT);
    EXPECT_EQ(term.localModes() & (ECHO | ICANON), static_cast<tcflag_t>(ECHO | ICANON));
}

TEST(Program, CtrlDAtTheKeyPromptIsTheEndOfInput)
{
    TerminalRun term;
    term.start();
    ASSERT_TRUE(term.answerUpToTheKey("1 0.2 4\n1 1\n")) << term.seen;
    term.type("\x04");
    EXPECT_EQ(term.finish(), 1);
    EXPECT_NE(term.seen.find("入力が終わりました。"), std::string::npos) << term.seen;
    EXPECT_EQ(term.localModes() & (ECHO | ICANON), static_cast<tcflag_t>(ECHO | ICANON));
}

// --- the command line

// A file of text in the temporary directory, removed with the object.
struct TempFile {
    std::string path;
    explicit TempFile(const std::string& text)
    {
        char pattern[] = "/tmp/fv-answers-XXXXXX";
        const int fd = mkstemp(pattern);
        path = pattern;
        EXPECT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        close(fd);
    }
    ~TempFile() { std::remove(path.c_str()); }
};

TEST(CommandLine, HelpVersionAndUsageErrors)
{
    Outcome o = runPiped("", {"--help"});
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("使い方"), std::string::npos);
    EXPECT_NE(o.out.find("--play"), std::string::npos);
    EXPECT_NE(o.out.find("--sweep"), std::string::npos);
    EXPECT_EQ(o.err, "");

    o = runPiped("", {"--version"});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out.rfind("forced-vibration ", 0), 0u) << o.out;

    o = runPiped("1 0.2 4\n1 1\n1\n", {"--plya"});
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.out, "") << "no dialog";
    EXPECT_NE(o.err.find("--plya"), std::string::npos);
    EXPECT_NE(o.err.find("Usage"), std::string::npos);

    // A specimen code refused: its one line, no dialog, no window.
    o = runPiped("1 1\n0\n", {"--specimen", "LR6G-MAUT-V234"});
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << o.err;
}

TEST(CommandLine, FilesThatCannotBeUsedStopBeforeTheDialog)
{
    const std::string answers = "1 0.2 4\n1 1\n1\n";
    for (const std::vector<std::string>& args : {std::vector<std::string>{"/nonexistent/answers"},
                                                 {"/tmp"},
                                                 {"--csv", "/nonexistent/lab"}}) {
        SCOPED_TRACE(args.back());
        const Outcome o = runPiped(answers, args);
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.out, "");
        // One line that names the file.
        EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << o.err;
        EXPECT_NE(o.err.find(args.back()), std::string::npos) << o.err;
    }
}

// The teacher's commands write their files, say so in one line and ask
// nothing; their statuses tell a usage problem (2) from a file's (1).
TEST(CommandLine, TeachersCommandsWriteTheirFilesAndEndWithTheirStatus)
{
    char folder[] = "/tmp/fv-class-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string name = std::string(folder) + "/c1";
    Outcome o = runPiped("", {"--make-class", name, "3", "--page-url", "https://a.example/fv/"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out.find('\n'), o.out.size() - 1) << o.out;
    EXPECT_NE(o.out.find("wrote " + name + "-key.csv and " + name + "-sheets.html"),
              std::string::npos);
    // A QR code of its link on each of the three sheets.
    FILE* sheets = std::fopen((name + "-sheets.html").c_str(), "r");
    ASSERT_NE(sheets, nullptr);
    const std::string html = slurp(sheets);
    std::fclose(sheets);
    std::size_t codes = 0;
    for (std::size_t at = 0; (at = html.find("<div class=\"qr\"><svg ", at)) != std::string::npos;
         at++) {
        codes++;
    }
    EXPECT_EQ(codes, 3u);
    o = runPiped("", {"--grade", name + "-key.csv", "/dev/null"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.out.find("not handed in 3"), std::string::npos) << o.out;
    EXPECT_EQ(access((name + "-grades.csv").c_str(), R_OK), 0);

    EXPECT_EQ(runPiped("", {"--make-class", name, "many"}).status, 2);
    EXPECT_EQ(runPiped("", {"--grade", name + "-key.csv"}).status, 2);
    EXPECT_EQ(runPiped("", {"--play", "--grade"}).status, 2);
    EXPECT_EQ(runPiped("", {"--grade", "/nonexistent/c1-key.csv", "/dev/null"}).status, 1);
    EXPECT_EQ(runPiped("", {"--make-class", "/nonexistent/c1", "3"}).status, 1);
    for (const char* end : {"-key.csv", "-sheets.html", "-grades.csv"}) {
        std::remove((name + end).c_str());
    }
    rmdir(folder);
}

TEST(CommandLine, AnswerFileIsEchoedAfterEachPrompt)
{
    const TempFile file("1 0.2 4\n1 1\n1\n");
    const Outcome o = runPiped("", {file.path});
    // Each line of the file appears after its prompt, as typed; the key
    // shows with its line. The rest is the worked example's dialog.
    std::string expected = dialogText::workedExample;
    for (const auto& [prompt, echo] : {std::pair<std::string, std::string>{"m λ K=", "1 0.2 4\n"},
                                       {"F ωf=", "1 1\n"},
                                       {"任意設定 '2'", "1\n"}}) {
        const std::size_t at = expected.find(prompt);
        ASSERT_NE(at, std::string::npos) << prompt;
        expected.insert(at + prompt.size(), echo);
    }
    EXPECT_EQ(o.out, expected);
}

TEST(CommandLine, AnswerFileHandsOverToTheTerminal)
{
    // The file ends before the force: its two numbers are typed as a line,
    // the key is one key press without Enter.
    const TempFile file("1 0.2 4\n");
    TerminalRun term;
    term.start({file.path});
    ASSERT_TRUE(term.waitFor("F ωf=")) << term.seen;
    EXPECT_NE(term.seen.find("m λ K=1 0.2 4\r\n"), std::string::npos) << term.seen;
    term.type("1 1\n");
    ASSERT_TRUE(term.waitFor(keyPrompt)) << term.seen;
    ASSERT_TRUE(term.waitForRawMode());
    term.type("1");
    ASSERT_TRUE(term.waitFor("ESCキーで：終了")) << term.seen;
    EXPECT_NE(term.seen.find("初期条件(y0,v0)=(-0.0221[m],  0.3319[m/s])"), std::string::npos);
    EXPECT_NE(term.finish(), 0); // no display
    EXPECT_EQ(term.localModes() & (ECHO | ICANON), static_cast<tcflag_t>(ECHO | ICANON));

    // A file that ends just before the key: the key comes from the terminal,
    // one press, not a line.
    const TempFile upToKey("1 0.2 4\n1 1\n\n");
    TerminalRun second;
    second.start({upToKey.path});
    ASSERT_TRUE(second.waitFor(keyPrompt)) << second.seen;
    ASSERT_TRUE(second.waitForRawMode());
    second.type("1");
    ASSERT_TRUE(second.waitFor("ESCキーで：終了")) << second.seen;
    EXPECT_NE(second.finish(), 0);
}

} // namespace
