// Runs humitrax-cli as a user would and collects what it printed.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace humitrax::testing {

struct CliRun {
    int exitCode = -1;
    std::string out; ///< standard output
    std::string err; ///< standard error
};

/// Runs the humitrax-cli built beside the tests with `args`, feeding `input`
/// to its standard input. `environment` entries ("LC_ALL=de_DE.UTF-8") are
/// set for that run only. With `outputFile` ("/dev/full") its standard
/// output goes there instead of into `out`; "&-" closes it.
CliRun RunCli(const std::vector<std::string>& args, const std::string& input = {},
              const std::vector<std::string>& environment = {},
              const std::string& outputFile = {});

/// Runs `script` with sh, where $HUMITRAX_CLI names the humitrax-cli built
/// beside the tests: for input made by a pipeline, or limits set by ulimit.
/// The exit status is the script's.
CliRun RunScript(const std::string& script);

/// humitrax-cli running beside the test, its standard input and output
/// pipes held by the test, for a conversation line by line. The destructor
/// closes both pipes and waits for it.
class CliProcess {
public:
    explicit CliProcess(const std::vector<std::string>& args);
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    /// Writes all of `text` to its standard input.
    bool Write(const std::string& text);
    /// The next line of its output (without the line feed), or nothing when
    /// none is complete within `seconds`.
    std::optional<std::string> ReadLine(int seconds);
    /// Sends it the signal; false when it could not be sent.
    bool Signal(int number);
    /// Closes its standard input and waits for it to end: its exit code, or
    /// 128 + the signal that ended it, as a shell reports it.
    int Finish();

private:
    int m_pid = -1;
    int m_input = -1;
    int m_output = -1;
};

/// Splits text into its lines (without their line feeds).
std::vector<std::string> Lines(const std::string& text);

/// A row of a CSV text: column name → cell.
using Row = std::map<std::string, std::string>;
/// The records of an RFC 4180 text after its header, as column name → cell;
/// a record of another length than the header's fails the test.
std::vector<Row> CsvRows(const std::string& text);
/// The number a cell holds; text that is not one fails the test.
double Number(const std::string& text);

/// A run in the C locale and what it must say: its exit status, a fragment of
/// its standard output (empty: nothing may be written there) and of its
/// standard error. Instantiate the test suite Says with a table of them.
struct SaysRow {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    std::string out;
    std::string err;
    std::string input = {};
    std::string outputFile = {}; ///< see RunCli
};

class Says : public ::testing::TestWithParam<SaysRow> {};

inline void PrintTo(const SaysRow& row, std::ostream* out) { *out << row.name; }

/// A table row's name as its test's.
inline constexpr struct {
    template <typename Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& info) const { return info.param.name; }
} RowName;

} // namespace humitrax::testing
