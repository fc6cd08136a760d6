#include "run_cli.h"

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <poll.h>
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

namespace {

CliRun RunShell(const std::vector<std::string>& args, const std::string& input,
                const std::vector<std::string>& environment, const std::string& stdoutRedirection)
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
    command += " <" + Quote((dir / "in").string()) + " " +
               (stdoutRedirection.empty() ? ">" + Quote((dir / "out").string()) : stdoutRedirection) +
               " 2>" + Quote((dir / "err").string());
    const int status = std::system(command.c_str());
    CliRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadAll(dir / "out");
    run.err = ReadAll(dir / "err");
    fs::remove_all(dir);
    return run;
}

} // namespace

CliRun RunCli(const std::vector<std::string>& args, const std::string& input,
              const std::vector<std::string>& environment)
{
    return RunShell(args, input, environment, {});
}

CliRun RunCliWithOutput(const std::vector<std::string>& args, const std::string& stdoutRedirection)
{
    return RunShell(args, {}, {}, stdoutRedirection);
}

std::string FirstLineWhileInputOpen(const std::vector<std::string>& args, const std::string& input,
                                    int seconds)
{
    std::array<int, 2> toChild{};
    std::array<int, 2> fromChild{};
    if (pipe(toChild.data()) != 0 || pipe(fromChild.data()) != 0)
        return "pipe failed";
    const pid_t child = fork();
    if (child == 0) {
        dup2(toChild[0], STDIN_FILENO);
        dup2(fromChild[1], STDOUT_FILENO);
        for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]})
            close(fd);
        std::vector<char*> argv{const_cast<char*>(HUMITRAX_CLI_PATH)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(HUMITRAX_CLI_PATH, argv.data());
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    const bool written = write(toChild[1], input.data(), input.size()) ==
                         static_cast<ssize_t>(input.size());
    std::string line;
    pollfd answer{fromChild[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (written && line.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || poll(&answer, 1, static_cast<int>(left.count())) <= 0)
            break;
        std::array<char, 4096> buffer{};
        const ssize_t got = read(fromChild[0], buffer.data(), buffer.size());
        if (got <= 0)
            break;
        line.append(buffer.data(), static_cast<std::size_t>(got));
    }
    kill(child, SIGTERM);
    close(toChild[1]);
    close(fromChild[0]);
    waitpid(child, nullptr, 0);
    const std::size_t end = line.find('\n');
    return end == std::string::npos ? std::string() : line.substr(0, end);
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
