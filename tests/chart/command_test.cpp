// humitrax-cli chart as a user runs it: the files it writes (whole or not at
// all, through a link to the file it leads to), and what gets a message, its
// exit status and no file: a point the engine cannot place (1), bad input
// (2), an output that cannot be written (3).
#include "run_cli.h"

#include "chart_painter.h"

#include <QImage>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace humitrax::chart {
namespace {

namespace fs = std::filesystem;
using humitrax::testing::CliRun;
using humitrax::testing::RunCli;

// A fresh directory for one test, removed afterwards.
class Scratch {
public:
    Scratch()
    {
        static int counter = 0;
        m_path = fs::temp_directory_path() /
                 ("humitrax-chart-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        fs::create_directories(m_path);
    }
    ~Scratch() { fs::remove_all(m_path); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    [[nodiscard]] std::string operator/(const std::string& name) const { return (m_path / name).string(); }
    [[nodiscard]] std::size_t Count() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_path), fs::directory_iterator()));
    }

private:
    fs::path m_path;
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

// Eight header lines, then hours of 1 January: 5 °C and 97.8 kPa, the last
// one's dry bulb missing.
const std::string kWeatherFile =
    "LOCATION,Basel,BS,CHE,IWEC,066010,47.55,7.58,1.0,316.0\nDESIGN CONDITIONS,0\nTYPICAL/EXTREME PERIODS,0\n"
    "GROUND TEMPERATURES,0\nHOLIDAYS/DAYLIGHT SAVINGS,No,0,0,0\nCOMMENTS 1,\nCOMMENTS 2,\n"
    "DATA PERIODS,1,1,Data,Sunday, 1/ 1,12/31\n"
    "1995,1,1,1,60,A7,5,1,80,97800,0\n1995,1,1,24,60,A7,5,2,85,97840,0\n1995,1,1,24,60,A7,99.9,2,85,97800,0\n";

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
        DrawnRow{"NarrowRange", {"--range", "15:35", "--max-ratio", "0.02"}, "", "", {kTitle}},
        DrawnRow{"HandbookModel", {"--model", "ashrae2017", "--altitude", "1000"}, "", "",
                 {kTitle + "1000 m altitude (89.875 kPa), SI units, ASHRAE 2017 relations"}},
        DrawnRow{"StatesAllPlaced", {"--states", "@states.csv"},
                 "dry_bulb,pressure,relative_humidity\n20,101.325,50\n25,97.24,40\n", "",
                 {"states from states.csv", kTitle + "101.325 kPa, states at 97.2 to 101.3 kPa, SI units</title>"}},
        DrawnRow{"StatesFailedCounted", {"--states", "@states.csv"},
                 "dry_bulb,pressure,relative_humidity\n20,101.325,50\n25,101.325,x\n25,101.325,150\n", "2 of 3 rows",
                 {kTitle + "101.325 kPa, states at 101.3 kPa, SI units</title>"}},
        DrawnRow{"StatesOutsideTheRangeCounted", {"--states", "@states.csv"},
                 "dry_bulb,pressure,relative_humidity\n20,101.325,50\n60,80,10\n", "1 of 2 rows of",
                 {kTitle + "101.325 kPa, states at 101.3 kPa, SI units</title>"}},
        DrawnRow{"StatesFromStandardInput", {"--states", "-"},
                 "dry_bulb,pressure,wet_bulb\n20,101.325,15\n30,101.325,20\n", "",
                 {"states from standard input", kTitle + "101.325 kPa, states at 101.3 kPa, SI units</title>"}},
        DrawnRow{"StatesFromAWeatherFile", {"--states", "@basel.epw"}, kWeatherFile, "1 of 3 rows",
                 {"states from basel.epw", kTitle + "101.325 kPa, states at 97.8 kPa, SI units</title>"}},
        DrawnRow{"ZonesNamedInTheLegend",
                 {"--comfort", "met=1.1,clo=0.5", "--zone", "office:20,rh=30;26,rh=30;26,rh=60", "--zone",
                  "20,w=0.002;30,w=0.002;25,wb=15"},
                 "", "", {">comfort zone: PMV ±0.5, 1.1 met, 0.5 clo, 0.1 m/s<", ">office<", ">zone 2<"}}),
    [](const auto& rowInfo) { return rowInfo.param.name; });

TEST_P(DrawnTest, IsWellFormedSvgWithItsTitleAndLegend)
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
    if (row.warning.empty()) {
        EXPECT_EQ(run.err, "");
    } else {
        EXPECT_NE(run.err.find(row.warning), std::string::npos) << run.err;
    }
    const std::string svg = ReadAll(output);
    QXmlStreamReader xml(QByteArray::fromStdString(svg));
    while (!xml.atEnd())
        xml.readNext();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString() << " at line " << xml.lineNumber();
    for (const std::string& text : row.texts)
        EXPECT_NE(svg.find(text), std::string::npos) << text << "\n" << svg.substr(0, 600);
    int texts = 0;
    for (std::size_t at = svg.find("<text"); at != std::string::npos; at = svg.find("<text", at + 1))
        ++texts;
    EXPECT_GT(texts, 30); // ticks, titles and curve labels
}

TEST(Png, HasTheRequestedSize)
{
    const Scratch scratch;
    const std::string output = scratch / "chart.png";
    const CliRun run = RunCli({"chart", "--size", "400x400", "-o", output});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(output), "PNG"));
    EXPECT_EQ(image.size(), QSize(400, 400));
}

TEST(Pdf, IsOneWholePage)
{
    const Scratch scratch;
    const std::string output = scratch / "chart.PDF";
    const CliRun run = RunCli({"chart", "--point", "25,rh=50", "-o", output});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string pdf = ReadAll(output);
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_NE(pdf.find("%%EOF", pdf.size() - 16), std::string::npos);
    EXPECT_NE(pdf.find("/Count 1"), std::string::npos);
    // 1200 × 800 at 96 to the inch is 900 × 600 points.
    const std::size_t box = pdf.find("/MediaBox [0 0 900");
    ASSERT_NE(box, std::string::npos);
    EXPECT_NE(pdf.substr(box, pdf.find(']', box) - box).find(" 600"), std::string::npos);
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
        ErrorRow{"RangeBeyondTheEngine", {"--range", "-150:50"}, "chart.svg", 2, "-100 to 200"},
        ErrorRow{"RangeNotANumber", {"--range", "cold:hot"}, "chart.svg", 2, "--range takes"},
        // Ticks a millionth apart are the finest the labels show.
        ErrorRow{"RangeTooNarrowToLabel", {"--range", "40:40.000007"}, "chart.svg", 2, "too narrow"},
        ErrorRow{"MaxRatioTooSmallToLabel", {"--max-ratio", "7.5e-6"}, "chart.svg", 2, "too small"},
        ErrorRow{"MaxRatioZero", {"--max-ratio", "0"}, "chart.svg", 2, "--max-ratio takes"},
        ErrorRow{"PointEngineCannotCompute", {"--point", "25,rh=50", "--point", "25,dp=300"}, "chart.png", 1,
                 "point '25,dp=300': the engine cannot compute"},
        ErrorRow{"PointUnknownKind", {"--point", "25,xx=5"}, "chart.svg", 2, "KIND wb, dp, rh or w"},
        ErrorRow{"PressureZero", {"--pressure", "0"}, "chart.svg", 2, "pressure must be above 0"},
        ErrorRow{"PressureAndAltitude", {"--pressure", "90", "--altitude", "100"}, "chart.svg", 2,
                 "--pressure and --altitude cannot both be given"},
        ErrorRow{"AltitudeBeyondAtmosphere", {"--altitude", "1e9"}, "chart.svg", 2, "altitude"},
        ErrorRow{"SizeTooSmall", {"--size", "10x10"}, "chart.png", 2, "--size takes"},
        ErrorRow{"NoOutput", {"--point", "25,rh=50"}, "", 2, "an output file is needed"},
        ErrorRow{"StatesFileMissing", {"--states", "@missing.csv"}, "chart.svg", 2, "cannot read the states file"},
        ErrorRow{"StatesHeaderWithoutDryBulb", {"--states", "@bad.csv"}, "chart.svg", 2, "no dry_bulb column"},
        ErrorRow{"ProcessFileMissing", {"--process", "@missing.json"}, "chart.svg", 2,
                 "cannot read the process file"},
        ErrorRow{"ProcessFileNotJson", {"--process", "@bad.json"}, "chart.pdf", 2, "not JSON"},
        ErrorRow{"ComfortWithoutClothing", {"--comfort", "met=1.1"}, "chart.svg", 2, "--comfort takes"},
        ErrorRow{"ComfortGivenTwice", {"--comfort", "met=1,clo=1", "--comfort", "met=1,clo=1"}, "chart.svg", 2,
                 "--comfort is given twice"},
        ErrorRow{"ZoneOfTwoCorners", {"--zone", "20,rh=30;26,rh=30"}, "chart.svg", 2, "at least three corners"},
        ErrorRow{"ZoneCornerUnreadable", {"--zone", "20,rh=30;26,xx=30;26,rh=60"}, "chart.svg", 2, "--zone takes"},
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

// Files written by this process and its children may grow to `bytes` and no
// further: a longer write fails as on a full disk (the signal it would raise
// is ignored).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_handler)(int) = SIG_DFL;
};

// A write that fails part way leaves the chart already there as it was.
TEST(FullDisk, KeepsAnExistingFileAsItWas)
{
    const Scratch scratch;
    const std::string output = scratch / "chart.pdf";
    std::ofstream(output) << "the earlier chart";
    CliRun run;
    {
        const FileSizeLimit limit(16 * 1024); // a fraction of any chart
        run = RunCli({"chart", "-o", output});
    }
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(run.err.find("cannot write '" + output + "'"), std::string::npos) << run.err;
    EXPECT_EQ(ReadAll(output), "the earlier chart");
    EXPECT_EQ(scratch.Count(), 1u) << "a temporary file was left behind";
}

// A link is followed: the file at its end is replaced, and the link stays.
TEST(Output, ThroughALinkReplacesTheFileItLeadsTo)
{
    const Scratch scratch;
    std::ofstream(scratch / "old.svg") << "the earlier chart";
    fs::create_symlink("old.svg", scratch / "link.svg");
    const CliRun run = RunCli({"chart", "-o", scratch / "link.svg"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(scratch / "link.svg"));
    EXPECT_NE(ReadAll(scratch / "old.svg").find("<svg"), std::string::npos);
    EXPECT_EQ(scratch.Count(), 2u);
}

// The JSON of humitrax-cli process drawn: an arrow with a filled head for the
// coil, besides the one in the legend, and a dashed line without a head on
// to its apparatus dew point.
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
    const std::string svg = ReadAll(output);
    const std::string head = "<g fill=\"" + ProcessColor().name().toStdString() + "\"";
    int heads = 0;
    for (std::size_t at = svg.find(head); at != std::string::npos; at = svg.find(head, at + 1))
        ++heads;
    EXPECT_EQ(heads, 2);
    EXPECT_NE(svg.find(">apparatus dew point"), std::string::npos);
}

TEST(Help, DescribesTheCommandWithAnExample)
{
    const CliRun all = RunCli({"--help"});
    EXPECT_NE(all.out.find("\n  chart [--units si|ip]"), std::string::npos) << all.out;
    EXPECT_NE(all.out.find("humitrax-cli chart --point"), std::string::npos);
    const CliRun own = RunCli({"chart", "--help"});
    EXPECT_EQ(own.exitCode, 0);
    EXPECT_EQ(own.out.rfind("  chart ", 0), 0u);
}

} // namespace
} // namespace humitrax::chart
