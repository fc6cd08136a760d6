#include "run_cli.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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
              const std::vector<std::string>& environment)
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
    command += " <" + Quote((dir / "in").string()) + " >" + Quote((dir / "out").string()) + " 2>" +
               Quote((dir / "err").string());
    const int status = std::system(command.c_str());
    CliRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadAll(dir / "out");
    run.err = ReadAll(dir / "err");
    fs::remove_all(dir);
    return run;
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
