#include "run_cli.h"

#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace humitrax::testing {
namespace {

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

CliRun RunCli(const std::vector<std::string>& args, const std::string& input,
              const std::vector<std::string>& environment, const std::string& outputFile)
{
    namespace fs = std::filesystem;
    static int counter = 0;
    const fs::path dir = fs::temp_directory_path() /
                         ("humitrax-cli-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    fs::create_directories(dir);
    {
        std::ofstream(dir / "in", std::ios::binary) << input;
    }
    std::string command = "env";
    for (const std::string& assignment : environment)
        command += " " + Quote(assignment);
    command += " " + Quote(HUMITRAX_CLI_PATH);
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    const std::string out = outputFile.empty() ? (dir / "out").string() : outputFile;
    const std::string target = outputFile == "&-" ? outputFile : Quote(out);
    command += " <" + Quote((dir / "in").string()) + " >" + target + " 2>" +
               Quote((dir / "err").string());
    const int status = std::system(command.c_str());
    CliRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadAll(dir / "out");
    run.err = ReadAll(dir / "err");
    fs::remove_all(dir);
    return run;
}

CliRun RunScript(const std::string& script)
{
    namespace fs = std::filesystem;
    static int counter = 0;
    const fs::path dir = fs::temp_directory_path() /
                         ("humitrax-cli-script-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    fs::create_directories(dir);
    const std::string command = "HUMITRAX_CLI=" + Quote(HUMITRAX_CLI_PATH) + " sh -c " + Quote(script) + " >" +
                                Quote((dir / "out").string()) + " 2>" + Quote((dir / "err").string());
    const int status = std::system(command.c_str());
    CliRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadAll(dir / "out");
    run.err = ReadAll(dir / "err");
    fs::remove_all(dir);
    return run;
}

CliProcess::CliProcess(const std::vector<std::string>& args)
{
    int input[2] = {-1, -1};
    int output[2] = {-1, -1};
    if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0)
        return;
    // The test writes to a pipe whose reader may have died: an error, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<std::string> argv = {HUMITRAX_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    m_pid = fork();
    if (m_pid == 0) {
        // As from a terminal, whatever the test runner ignores.
        for (const int number : {SIGPIPE, SIGINT, SIGHUP, SIGTERM})
            std::signal(number, SIG_DFL);
        dup2(input[0], STDIN_FILENO);
        dup2(output[1], STDOUT_FILENO);
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    close(input[0]);
    close(output[1]);
    m_input = input[1];
    m_output = output[0];
}

CliProcess::~CliProcess()
{
    if (m_output >= 0)
        close(m_output);
    Finish();
}

bool CliProcess::Write(const std::string& text)
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t wrote = write(m_input, text.data() + done, text.size() - done);
        if (wrote <= 0)
            return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

std::optional<std::string> CliProcess::ReadLine(int seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    std::string line;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{m_output, POLLIN, 0};
        char c = 0;
        if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) != 1 || read(m_output, &c, 1) != 1)
            return std::nullopt;
        if (c == '\n')
            return line;
        line += c;
    }
}

bool CliProcess::Signal(int number) { return m_pid > 0 && kill(m_pid, number) == 0; }

int CliProcess::Finish()
{
    if (m_input >= 0)
        close(m_input);
    m_input = -1;
    int status = 0;
    const bool ended = m_pid > 0 && waitpid(m_pid, &status, 0) == m_pid;
    m_pid = -1;
    if (ended && WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Says);

TEST_P(Says, ExitStatusAndOutput)
{
    const SaysRow& row = GetParam();
    const CliRun run = RunCli(row.args, row.input, {"LC_ALL=C"}, row.outputFile);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
    if (row.out.empty()) {
        EXPECT_EQ(run.out, "");
    } else {
        EXPECT_NE(run.out.find(row.out), std::string::npos) << run.out;
    }
    EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
}

std::vector<Row> CsvRows(const std::string& text)
{
    std::vector<std::vector<std::string>> records(1);
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            field += text[i++];
        } else if (c == '"') {
            quoted = !quoted;
        } else if (quoted || (c != ',' && c != '\n')) {
            field += c;
        } else {
            records.back().push_back(field);
            field.clear();
            if (c == '\n')
                records.emplace_back();
        }
    }
    std::vector<Row> rows;
    for (std::size_t r = 1; r + 1 < records.size(); ++r) {
        EXPECT_EQ(records[r].size(), records[0].size()) << "row " << r << " is shifted";
        Row& row = rows.emplace_back();
        for (std::size_t c = 0; c < records[r].size() && c < records[0].size(); ++c)
            row[records[0][c]] = records[r][c];
    }
    return rows;
}

double Number(const std::string& text)
{
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_TRUE(ec == std::errc() && ptr == text.data() + text.size()) << "'" << text << "'";
    return value;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace humitrax::testing
