// The batch command: every property for each row of a CSV file, streamed in
// blocks of complete records that worker threads compute while this thread
// reads ahead and writes finished blocks in input order.
#include "batch_rows.h"
#include "commands.h"
#include "csv.h"
#include "numbers.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <exception>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace humitrax::cli {
namespace {

constexpr std::string_view kHelp = R"(  batch [--units si|ip] [--format csv|json] [--jobs N] [FILE]
      Every property for each row of a CSV file (standard input when FILE is
      missing or "-"). The header names the columns: dry_bulb, pressure or
      altitude, and one of wet_bulb, dew_point, relative_humidity (percent) or
      humidity_ratio, in the units of --units (default si: °C, kPa, m; ip:
      °F, psia, ft). Other columns pass through unchanged, in front. Output:
      those columns, then dry_bulb, pressure, wet_bulb, dew_point,
      relative_humidity, humidity_ratio, enthalpy, specific_volume, grains
      (ip only) and status, numbers at full precision. A cell that cannot be
      computed stays empty and status says why ("relative_humidity: out of
      range", "line 12: pressure is not a number"); the exit status is then
      1. Blank lines are skipped. --format json writes one JSON object per
      line; --jobs N computes on N threads (default: every core), output in
      input order.
      Example:
        humitrax-cli batch --units ip weather.csv > states.csv

)";

/// Bytes read per block: large enough that the threads' hand-over costs
/// nothing next to the work, small enough that memory stays a few megabytes
/// per job.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
constexpr unsigned kMaxJobs = 256;

int Usage(const std::string& message)
{
    std::fprintf(stderr, "humitrax-cli: batch: %s; try 'humitrax-cli batch --help'\n",
                 message.c_str());
    return kExitUsage;
}

/// Blocks of complete records from a file, read with large freads.
class RecordReader {
public:
    explicit RecordReader(std::FILE* file) : m_file(file) {}

    /// The next block of complete records, at least one unless the input is
    /// at its end (then false). The last block may end without a line feed.
    bool Next(std::string& block)
    {
        std::size_t want = kBlockBytes;
        for (;;) {
            while (!m_end && m_pending.size() < want) {
                const std::size_t old = m_pending.size();
                m_pending.resize(old + kBlockBytes);
                const std::size_t got = std::fread(m_pending.data() + old, 1, kBlockBytes, m_file);
                m_pending.resize(old + got);
                if (got < kBlockBytes) {
                    m_end = true;
                    m_failed = std::ferror(m_file) != 0;
                }
            }
            const std::size_t length =
                m_end ? m_pending.size() : CompleteRecordsLength(m_pending);
            if (length == 0 && !m_end) {
                want = m_pending.size() * 2; // one record longer than a block
                continue;
            }
            block.assign(m_pending, 0, length);
            m_pending.erase(0, length);
            return length > 0;
        }
    }

    [[nodiscard]] bool failed() const noexcept { return m_failed; }

private:
    std::FILE* m_file;
    std::string m_pending;
    bool m_end = false;
    bool m_failed = false;
};

/// One block on its way through the workers.
struct Block {
    std::string input;
    std::size_t firstLine = 0;
    std::string output;
    BlockCounts counts;
    std::promise<void> done;
};

/// Worker threads taking blocks from a queue.
class WorkerPool {
public:
    WorkerPool(const BatchLayout& layout, unsigned jobs) : m_layout(layout)
    {
        for (unsigned i = 0; i < jobs; ++i)
            m_threads.emplace_back([this] { Work(); });
    }
    ~WorkerPool()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        for (std::thread& thread : m_threads)
            thread.join();
    }
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void Submit(Block* block)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_queue.push_back(block);
        }
        m_wake.notify_one();
    }

private:
    void Work()
    {
        for (;;) {
            Block* block = nullptr;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
                if (m_queue.empty())
                    return;
                block = m_queue.front();
                m_queue.pop_front();
            }
            try {
                block->counts = ProcessBlock(m_layout, block->input.data(), block->input.size(),
                                             block->firstLine, block->output);
                block->done.set_value();
            } catch (...) {
                block->done.set_exception(std::current_exception());
            }
        }
    }

    const BatchLayout& m_layout;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Block*> m_queue;
    bool m_stop = false;
    std::vector<std::thread> m_threads;
};

/// Rows done and rows per second on standard error, when it is a terminal.
class Progress {
public:
    Progress() : m_shown(isatty(STDERR_FILENO) != 0), m_start(Clock::now()), m_last(m_start) {}

    void Add(std::size_t rows)
    {
        m_rows += rows;
        if (!m_shown)
            return;
        const Clock::time_point now = Clock::now();
        if (now - m_last < std::chrono::milliseconds(500))
            return;
        m_last = now;
        Show(now);
    }

    void Finish()
    {
        if (!m_shown)
            return;
        Show(Clock::now());
        std::fputc('\n', stderr);
    }

private:
    using Clock = std::chrono::steady_clock;

    void Show(Clock::time_point now) const
    {
        const double seconds = std::chrono::duration<double>(now - m_start).count();
        const double rate = seconds > 0.0 ? static_cast<double>(m_rows) / seconds : 0.0;
        std::fprintf(stderr, "\rbatch: %zu rows, %.0f rows/s ", m_rows, rate);
    }

    bool m_shown;
    Clock::time_point m_start;
    Clock::time_point m_last;
    std::size_t m_rows = 0;
};

struct BatchOptions {
    Units units = Units::SI;
    OutputFormat format = OutputFormat::Csv;
    unsigned jobs = 1;
    std::string file = "-";
};

/// Splits "--name=value" and "--name value"; nothing when `arg` is not `name`.
std::optional<std::string_view> OptionValue(std::span<const std::string_view> args,
                                            std::size_t& i, std::string_view name, bool& missing)
{
    const std::string_view arg = args[i];
    if (arg == name) {
        if (i + 1 >= args.size()) {
            missing = true;
            return std::string_view();
        }
        return args[++i];
    }
    if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=')
        return arg.substr(name.size() + 1);
    return std::nullopt;
}

/// The options, or the exit status of a usage error or of --help.
std::optional<int> ParseOptions(std::span<const std::string_view> args, BatchOptions& options)
{
    const unsigned cores = std::thread::hardware_concurrency();
    options.jobs = cores == 0 ? 1 : std::min(cores, kMaxJobs);
    bool fileGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        bool missing = false;
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            std::fwrite(kHelp.data(), 1, kHelp.size(), stdout);
            return kExitOk;
        }
        if (const auto value = OptionValue(args, i, "--units", missing)) {
            if (missing)
                return Usage("--units needs si or ip");
            if (*value == "si")
                options.units = Units::SI;
            else if (*value == "ip")
                options.units = Units::InchPound;
            else
                return Usage("--units is si or ip, not '" + std::string(*value) + "'");
        } else if (const auto format = OptionValue(args, i, "--format", missing)) {
            if (missing)
                return Usage("--format needs csv or json");
            if (*format == "csv")
                options.format = OutputFormat::Csv;
            else if (*format == "json")
                options.format = OutputFormat::Json;
            else
                return Usage("--format is csv or json, not '" + std::string(*format) + "'");
        } else if (const auto jobs = OptionValue(args, i, "--jobs", missing)) {
            if (missing)
                return Usage("--jobs needs a number of threads");
            const std::optional<std::int16_t> count = ParseInt16(*jobs);
            if (!count || *count < 1 || static_cast<unsigned>(*count) > kMaxJobs)
                return Usage("--jobs is a whole number from 1 to " + std::to_string(kMaxJobs) +
                             ", not '" + std::string(*jobs) + "'");
            options.jobs = static_cast<unsigned>(*count);
        } else if (arg.size() > 1 && arg.front() == '-') {
            return Usage("unknown option '" + std::string(arg) + "'");
        } else {
            if (fileGiven)
                return Usage("one input file at most");
            options.file = std::string(arg);
            fileGiven = true;
        }
    }
    return std::nullopt;
}

bool Write(std::string_view text)
{
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}

/// Reads the header, then streams the rows; the exit status.
int Stream(std::FILE* input, const BatchOptions& options)
{
    RecordReader reader(input);
    std::string first;
    CsvRecord header;
    std::size_t line = 1;
    char* rest = nullptr;
    for (;;) {
        if (!reader.Next(first)) {
            if (reader.failed())
                return Usage("cannot read the input: " + std::string(std::strerror(errno)));
            return Usage("the input is empty; it needs a header row naming its columns");
        }
        char* begin = first.data();
        char* const end = begin + first.size();
        if (line == 1 && first.size() >= 3 && first.compare(0, 3, "\xEF\xBB\xBF") == 0)
            begin += 3; // a byte-order mark
        // Blank lines before the header are skipped like blank rows.
        while (begin < end) {
            char* next = ParseCsvRecord(begin, end, header);
            line += header.lineFeeds;
            begin = next;
            if (!header.blank()) {
                rest = begin;
                break;
            }
        }
        if (rest != nullptr)
            break;
    }
    std::string message;
    const std::optional<BatchLayout> layout =
        MakeBatchLayout(header.fields, options.units, options.format, message);
    if (!layout)
        return Usage(message + " (needed: dry_bulb, pressure or altitude, and one of wet_bulb, "
                               "dew_point, relative_humidity, humidity_ratio)");
    if (!Write(OutputHeader(*layout)))
        return kExitFailure;

    Progress progress;
    bool anyFailure = false;
    bool writeFailed = false;
    const auto finish = [&](Block& block) {
        if (!writeFailed && !Write(block.output))
            writeFailed = true;
        anyFailure = anyFailure || block.counts.failedRows > 0;
        progress.Add(block.counts.rows);
    };
    auto firstBlock = std::make_unique<Block>();
    firstBlock->input.assign(rest, static_cast<std::size_t>(first.data() + first.size() - rest));
    firstBlock->firstLine = line;
    line += static_cast<std::size_t>(
        std::count(firstBlock->input.begin(), firstBlock->input.end(), '\n'));

    if (options.jobs == 1) {
        for (std::unique_ptr<Block> block = std::move(firstBlock); block && !writeFailed;) {
            block->counts = ProcessBlock(*layout, block->input.data(), block->input.size(),
                                         block->firstLine, block->output);
            finish(*block);
            block->output.clear();
            if (!reader.Next(block->input))
                break;
            block->firstLine = line;
            line += static_cast<std::size_t>(
                std::count(block->input.begin(), block->input.end(), '\n'));
        }
    } else {
        // Enough blocks in flight to keep every worker busy while this
        // thread writes; memory stays bounded by their number.
        const std::size_t maxInFlight = 2 * std::size_t{options.jobs};
        // Declared before the pool, so that they outlive its threads.
        std::deque<std::unique_ptr<Block>> inFlight;
        std::deque<std::future<void>> results;
        WorkerPool pool(*layout, options.jobs);
        const auto submit = [&](std::unique_ptr<Block> block) {
            results.push_back(block->done.get_future());
            pool.Submit(block.get());
            inFlight.push_back(std::move(block));
        };
        submit(std::move(firstBlock));
        bool inputDone = false;
        while (!inFlight.empty()) {
            while (!inputDone && inFlight.size() < maxInFlight) {
                auto block = std::make_unique<Block>();
                if (!reader.Next(block->input)) {
                    inputDone = true;
                    break;
                }
                block->firstLine = line;
                line += static_cast<std::size_t>(
                    std::count(block->input.begin(), block->input.end(), '\n'));
                submit(std::move(block));
            }
            results.front().get(); // rethrows a worker's failure
            finish(*inFlight.front());
            results.pop_front();
            inFlight.pop_front();
            if (writeFailed)
                inputDone = true; // let the blocks in flight finish, read no more
        }
    }
    progress.Finish();
    if (reader.failed()) {
        std::fprintf(stderr, "humitrax-cli: batch: cannot read the input to its end\n");
        return kExitUsage;
    }
    if (writeFailed || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "humitrax-cli: batch: cannot write the output\n");
        return kExitFailure;
    }
    return anyFailure ? kExitFailure : kExitOk;
}

} // namespace

std::string_view BatchHelp() { return kHelp; }

int RunBatch(std::span<const std::string_view> args)
{
    BatchOptions options;
    if (const std::optional<int> status = ParseOptions(args, options))
        return *status;
    std::FILE* input = stdin;
    if (options.file != "-") {
        input = std::fopen(options.file.c_str(), "rb");
        if (input == nullptr)
            return Usage("cannot open '" + options.file + "': " + std::strerror(errno));
    }
    int status = kExitFailure;
    try {
        status = Stream(input, options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "humitrax-cli: batch: %s\n", error.what());
    }
    if (input != stdin)
        std::fclose(input);
    return status;
}

} // namespace humitrax::cli
