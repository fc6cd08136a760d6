// humitrax-cli chart as a user runs it: the files it writes (whole or not at
// all, through a link to the file it leads to), and what gets a message, its
// exit status and no file: a point the engine cannot place (1), bad input
// (2), an output that cannot be written (3).
#include "run_cli.h"

#include <QImage>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <signal.h>
#include <unistd.h>

namespace humitrax::chart {
namespace {

namespace fs = std::filesystem;
using humitrax::testing::CliProcess;
using humitrax::testing::CliRun;
using humitrax::testing::RunCli;

// A fresh directory for one test, removed afterwards.
struct Scratch {
    fs::path path;
    Scratch()
    {
        std::string name = (fs::temp_directory_path() / "humitrax-chart-test-XXXXXX").string();
        path = ::mkdtemp(name.data()) != nullptr ? name : throw std::runtime_error("mkdtemp: " + name);
    }
    ~Scratch() { fs::remove_all(path); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    [[nodiscard]] std::string operator/(const std::string& name) const { return (path / name).string(); }
    [[nodiscard]] std::size_t Count() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(path), fs::directory_iterator()));
    }
};

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct DrawnRow {
    std::string name;
    std::vector<std::string> args; ///< after "chart"; "@NAME" is a file in the scratch directory holding `input`
    std::string input;             ///< also given on standard input
    std::string warning;           ///< part of standard error; empty for none
    std::vector<std::string> texts; ///< parts of the SVG: the title, legend rows
};

class DrawnTest : public ::testing::TestWithParam<DrawnRow> {};

const std::string kTitle = "<title>Psychrometric chart at ";

// Eight header lines, then hours of 1 January in lines of 35 fields: 5 °C
// and 97.8 kPa, the last one's dry bulb missing.
const std::string kWeatherFile =
    "LOCATION,Basel,BS,CHE,IWEC,066010,47.55,7.58,1.0,316.0\nDESIGN CONDITIONS,0\nTYPICAL/EXTREME PERIODS,0\n"
    "GROUND TEMPERATURES,0\nHOLIDAYS/DAYLIGHT SAVINGS,No,0,0,0\nCOMMENTS 1,\nCOMMENTS 2,\n"
    "DATA PERIODS,1,1,Data,Sunday, 1/ 1,12/31\n"
    "1995,1,1,1,60,A7,5,1,80,97800,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n"
    "1995,1,1,24,60,A7,5,2,85,97840,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n"
    "1995,1,1,24,60,A7,99.9,2,85,97800,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n";

INSTANTIATE_TEST_SUITE_P(
    Charts, DrawnTest,
    ::testing::Values(
        DrawnRow{"InchPoundAtAltitude", {"--units", "ip", "--altitude", "5000"}, "", "",
                 {kTitle + "5000 ft altitude"}},
        DrawnRow{"SiPressureWithPoints",
                 {"--pressure", "90", "--point", "25,rh=50", "--point", "30,wb=20", "--point", "10,dp=5", "--point",
                  "40,w=0.01"},
                 "", "", {kTitle + "90 kPa, SI units"}},
        DrawnRow{"PointOutsideTheRangeLeftOut", {"--point", "25,rh=50", "--point", "45,rh=90"}, "", "point '45,rh=90'",
                 {kTitle}},
        DrawnRow{"DefaultModelAtAltitude", {"--altitude", "1000"}, "", "",
                 {kTitle + "1000 m altitude (89.875 kPa), SI units, ASHRAE 2017 relations"}},
        DrawnRow{"CalculatorModelNamed", {"--model", "calculator", "--altitude", "1000"}, "", "",
                 {kTitle + "1000 m altitude (89.863 kPa), SI units, calculator's relations"}},
        DrawnRow{"StatesAllPlaced", {"--states", "@states.csv"},
                 "dry_bulb,pressure,relative_humidity\n20,101.325,50\n25,97.24,40\n", "",
                 {"states from states.csv", kTitle + "101.325 kPa, states at 97.2 to 101.3 kPa, SI units, ASHRAE 2017 relations</title>"}},
        DrawnRow{"StatesFailedCounted", {"--states", "@states.csv"},
                 "dry_bulb,pressure,relative_humidity\n20,101.325,50\n25,101.325,x\n25,101.325,150\n", "2 of 3 rows",
                 {kTitle + "101.325 kPa, states at 101.3 kPa, SI units, ASHRAE 2017 relations</title>"}},
        DrawnRow{"StatesOutsideTheRangeCounted", {"--states", "@states.csv"},
                 "dry_bulb,pressure,relative_humidity\n20,101.325,50\n60,80,10\n", "1 of 2 rows of",
                 {kTitle + "101.325 kPa, states at 101.3 kPa, SI units, ASHRAE 2017 relations</title>"}},
        DrawnRow{"StatesFromStandardInput", {"--states", "-"},
                 "dry_bulb,pressure,wet_bulb\n20,101.325,15\n30,101.325,20\n", "",
                 {"states from standard input", kTitle + "101.325 kPa, states at 101.3 kPa, SI units, ASHRAE 2017 relations</title>"}},
        DrawnRow{"StatesFromAWeatherFile", {"--states", "@basel.epw"}, kWeatherFile, "1 of 3 rows",
                 {"states from basel.epw", kTitle + "101.325 kPa, states at 97.8 kPa, SI units, ASHRAE 2017 relations</title>"}},
        DrawnRow{"ZonesNamedInTheLegend",
                 {"--comfort", "met=1.1,clo=0.5", "--zone", "office:20,rh=30;26,rh=30;26,rh=60", "--zone",
                  "20,w=0.002;30,w=0.002;25,wb=15"},
                 "", "", {">comfort zone: PMV ±0.5, 1.1 met, 0.5 clo, 0.1 m/s<", ">office<", ">zone 2<"}}),
    [](const auto& rowInfo) { return rowInfo.param.name; });

TEST_P(DrawnTest, IsSvgWithItsTitleAndLegend)
{
    const DrawnRow& row = GetParam();
    const Scratch scratch;
    std::vector<std::string> args{"chart"};
    for (const std::string& arg : row.args) {
        args.push_back(arg.starts_with("@") ? scratch / arg.substr(1) : arg);
        if (arg.starts_with("@"))
            std::ofstream(args.back()) << row.input;
    }
    const std::string output = scratch / "chart.svg";
    args.insert(args.end(), {"-o", output});
    const CliRun run = RunCli(args, row.input);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err.empty(), row.warning.empty()) << run.err;
    EXPECT_NE(run.err.find(row.warning), std::string::npos) << run.err;
    const std::string svg = ReadAll(output);
    QXmlStreamReader xml(QByteArray::fromStdString(svg));
    while (!xml.atEnd())
        xml.readNext();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString() << " at line " << xml.lineNumber();
    for (const std::string& text : row.texts)
        EXPECT_NE(svg.find(text), std::string::npos) << text << "\n" << svg.substr(0, 600);
}

TEST(Png, HasTheRequestedSize)
{
    const Scratch scratch;
    ASSERT_EQ(RunCli({"chart", "--size", "400x400", "-o", scratch / "chart.png"}).exitCode, 0);
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(scratch / "chart.png"), "PNG"));
    EXPECT_EQ(image.size(), QSize(400, 400));
}

struct ErrorRow {
    std::string name;
    std::vector<std::string> args; ///< after "chart"; "@NAME" stands for that file in the scratch directory
    std::string output;            ///< after -o: a name in the scratch directory or an absolute path; empty for no -o
    int status;                    ///< the exit status
    std::string message;           ///< part of the message on standard error
};

class ErrorTest : public ::testing::TestWithParam<ErrorRow> {};

INSTANTIATE_TEST_SUITE_P(
    Refused, ErrorTest,
    ::testing::Values(
        ErrorRow{"DirectoryMissing", {}, "/nonexistent-humitrax-dir/chart.svg", 3, "cannot write"},
        ErrorRow{"OutputIsAFifo", {}, "pipe.svg", 3, "not a regular file"},
        ErrorRow{"OutputIsADirectory", {}, "folder.svg", 3, "not a regular file"},
        ErrorRow{"OutputIsADeviceBehindALink", {}, "null.svg", 3, "not a regular file"},
        ErrorRow{"UnknownExtension", {}, "chart.bmp", 2, "must end in .svg, .png or .pdf"},
        ErrorRow{"RangeReversed", {"--range", "30:10"}, "chart.svg", 2, "TMIN below TMAX"},
        ErrorRow{"PressureAndAltitude", {"--pressure", "90", "--altitude", "100"}, "chart.svg", 2, "cannot both be given"},
        ErrorRow{"RangeBeyondTheEngine", {"--range", "-150:50"}, "chart.svg", 2, "-100 to 200"},
        ErrorRow{"RangeNotANumber", {"--range", "cold:hot"}, "chart.svg", 2, "--range takes"},
        // Ticks a millionth apart are the finest the labels show.
        ErrorRow{"RangeTooNarrowToLabel", {"--range", "40:40.000007"}, "chart.svg", 2, "too narrow"},
        ErrorRow{"MaxRatioTooSmallToLabel", {"--max-ratio", "7.5e-6"}, "chart.svg", 2, "too small"},
        ErrorRow{"PointNoAirHas", {"--point", "25,rh=50", "--point", "25,dp=300"}, "chart.png", 1,
                 "point '25,dp=300': dew_point above the dry bulb"},
        ErrorRow{"PointUnknownKey", {"--point", "25,xx=5"}, "chart.svg", 2, "names 'xx'; give db, wb, dp, rh, w, h, v or pw"},
        ErrorRow{"PressureZero", {"--pressure", "0"}, "chart.svg", 2, "pressure must be above 0"},
        ErrorRow{"AltitudeBeyondAtmosphere", {"--altitude", "1e9"}, "chart.svg", 2, "altitude"},
        ErrorRow{"SizeTooSmall", {"--size", "10x10"}, "chart.png", 2, "--size 10x10: each side is from 400 to 8000 pixels"},
        ErrorRow{"SizeWithAnExponent", {"--size", "1e3x1e3"}, "chart.png", 2,
                 "WIDTHxHEIGHT in whole pixels, written as digits (for example 800x600), not '1e3x1e3'"},
        ErrorRow{"NoOutput", {"--point", "25,rh=50"}, "", 2, "an output file is needed"},
        ErrorRow{"StatesFileMissing", {"--states", "@missing.csv"}, "chart.svg", 2, "cannot read the states file"},
        ErrorRow{"StatesHeaderWithoutDryBulb", {"--states", "@bad.csv"}, "chart.svg", 2, "no dry_bulb column"},
        ErrorRow{"ProcessFileMissing", {"--process", "@missing.json"}, "chart.svg", 2,
                 "cannot read the process file"},
        ErrorRow{"ProcessFileNotJson", {"--process", "@bad.json"}, "chart.pdf", 2, "not JSON"},
        ErrorRow{"ComfortWithoutClothing", {"--comfort", "met=1.1"}, "chart.svg", 2, "--comfort takes"},
        ErrorRow{"ZoneOfTwoCorners", {"--zone", "20,rh=30;26,rh=30"}, "chart.svg", 2, "at least three corners"},
        ErrorRow{"ZoneCornerAboveSaturation", {"--zone", "office:20,rh=30;26,rh=130;20,rh=60"}, "chart.svg", 1,
                 "zone 'office': corner 2"}),
    [](const auto& rowInfo) { return rowInfo.param.name; });

// Whatever the output path held is left as it was, and nothing is added.
TEST_P(ErrorTest, ExitsWithAMessageAndNoFile)
{
    const ErrorRow& row = GetParam();
    const Scratch scratch;
    const std::string output = row.output.starts_with("/") ? row.output : scratch / row.output;
    ASSERT_EQ(mkfifo((scratch / "pipe.svg").c_str(), 0600), 0);
    fs::create_directory(scratch / "folder.svg");
    fs::create_symlink("/dev/null", scratch / "null.svg");
    std::ofstream(scratch / "bad.csv") << "temperature,pressure,relative_humidity\n25,101.325,50\n";
    std::ofstream(scratch / "bad.json") << "{\"process\":\"heat\",";
    const std::size_t entries = scratch.Count();
    const fs::file_type before = fs::status(output).type();

    std::vector<std::string> args{"chart"};
    for (const std::string& arg : row.args)
        args.push_back(arg.starts_with("@") ? scratch / arg.substr(1) : arg);
    if (!row.output.empty())
        args.insert(args.end(), {"-o", output});
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.exitCode, row.status);
    EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(fs::status(output).type(), before);
    EXPECT_EQ(scratch.Count(), entries) << "a file was left behind";
}

// Ended by a signal while the chart is drawn (a large PNG takes seconds), the
// program removes its temporary file beside the target, and still ends by
// that signal. Writing starts with the temporary file: the test waits for it
// to appear, within a minute, then signals.
struct SignalRow {
    std::string name;
    int number;
};

class SignalTest : public ::testing::TestWithParam<SignalRow> {};

INSTANTIATE_TEST_SUITE_P(Output, SignalTest,
                         ::testing::Values(SignalRow{"Terminate", SIGTERM}, SignalRow{"HangUp", SIGHUP},
                                           SignalRow{"Interrupt", SIGINT}),
                         [](const auto& rowInfo) { return rowInfo.param.name; });

TEST_P(SignalTest, LeavesNoTemporaryFile)
{
    const Scratch scratch;
    CliProcess chart({"chart", "--size", "8000x8000", "-o", scratch / "chart.png"});
    bool seen = false;
    for (int poll = 0; poll < 60000 && !seen && !fs::exists(scratch / "chart.png"); ++poll) {
        for (const fs::directory_entry& entry : fs::directory_iterator(scratch.path))
            seen = seen || entry.path().filename().string().starts_with("chart.png.");
        if (!seen)
            ::usleep(1000);
    }
    ASSERT_TRUE(seen) << "no temporary file appeared before the chart was written";
    ASSERT_TRUE(chart.Signal(GetParam().number));
    EXPECT_EQ(chart.Finish(), 128 + GetParam().number);
    EXPECT_EQ(scratch.Count(), 0u) << "a file was left behind";
}

// Writing follows a link, replacing the file at its end and keeping the
// link. A write that fails part way, as on a full disk, leaves that file as
// it was: the child inherits a file size limit of a fraction of any chart and
// ignores the signal a longer write raises.
TEST(Output, ThroughALinkWholeOrNotAtAll)
{
    const Scratch scratch;
    const std::string output = scratch / "link.PDF"; // the extension in any case
    std::ofstream(scratch / "old.pdf") << "the earlier chart";
    fs::create_symlink("old.pdf", output);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limit = saved;
    limit.rlim_cur = 16 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    const CliRun full = RunCli({"chart", "-o", output});
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(full.exitCode, 3);
    EXPECT_NE(full.err.find("cannot write '" + output + "'"), std::string::npos) << full.err;
    EXPECT_EQ(ReadAll(scratch / "old.pdf"), "the earlier chart");
    EXPECT_EQ(scratch.Count(), 2u) << "a temporary file was left behind";

    const CliRun run = RunCli({"chart", "--point", "25,rh=50", "-o", output});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(output));
    EXPECT_EQ(scratch.Count(), 2u);
    const std::string pdf = ReadAll(scratch / "old.pdf");
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_NE(pdf.find("/Count 1"), std::string::npos);
    // 1200 × 800 at 96 to the inch is 900 × 600 points.
    const std::size_t box = pdf.find("/MediaBox [0 0 900");
    ASSERT_NE(box, std::string::npos);
    EXPECT_NE(pdf.substr(box, pdf.find(']', box) - box).find(" 600"), std::string::npos);
}

// The JSON of humitrax-cli process drawn, the coil's apparatus dew point named.
TEST(Processes, DrawTheJsonOfTheProcessCommand)
{
    const Scratch scratch;
    const CliRun json = RunCli({"process", "coil", "28,wb=21", "--flow", "2kg/s", "--adp", "10", "--bypass", "0.1",
                                "--units", "si", "--pressure", "101.325", "--format", "json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    std::ofstream(scratch / "coil.json") << json.out;
    const std::string output = scratch / "chart.svg";
    const CliRun run = RunCli({"chart", "--process", scratch / "coil.json", "-o", output});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(ReadAll(output).find(">apparatus dew point"), std::string::npos);
}

TEST(Help, DescribesTheCommandWithAnExample)
{
    EXPECT_NE(RunCli({"--help"}).out.find("humitrax-cli chart --point"), std::string::npos);
    EXPECT_EQ(RunCli({"chart", "--help"}).out.rfind("  chart [--units si|ip]", 0), 0u);
}

} // namespace
} // namespace humitrax::chart
