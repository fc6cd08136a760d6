// File: batch_reader.h
// The input of a table of states, read from a file descriptor in blocks of
// complete CSV records, none longer than a limit: the start of the table
// (a header row, or the eight header lines of an EnergyPlus weather file)
// and then its rows, each block with the line it starts on.
#pragma once

#include "table/rows.h"
#include "table/csv.h"
#include "kit/options.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace humitrax::cli {

/// Bytes read per block: large enough that the threads' hand-over costs
/// nothing next to the work (a block is some 10,000 rows), small enough that
/// memory stays a few megabytes per job (its output, some ten times its
/// input, is held until written).
inline constexpr std::size_t kBlockBytes = std::size_t{1} << 18;

/// A block at least this large (one long record, in practice) is handed on
/// in the reader's own buffer rather than copied, so that the record is held
/// once.
inline constexpr std::size_t kHandOverBytes = 4 * kBlockBytes;

/// Bytes from malloc, so that a buffer can grow by realloc: a large one then
/// grows by remapping its pages, never held twice.
struct FreeBytes {
    void operator()(char* bytes) const noexcept;
};
using HeldBytes = std::unique_ptr<char[], FreeBytes>;

/// A record passed over: longer than the limit, or larger than the memory
/// that could be had for it.
struct SkippedRecord {
    std::size_t lineFeeds = 0; ///< the ones inside it and the one where reading goes on
    bool endsInput = false;    ///< the input ended before such a line feed
    bool openQuote = false;    ///< where reading stopped, a quoted field was open
    bool noRoom = false;       ///< not too long, but memory for it could not be had
    std::size_t heldBytes = 0; ///< with noRoom: the bytes of it that could be held
};

/// "line 2: is longer than 64 bytes, ...; lines 2 to 9 skipped", or "line 2:
/// could not be held in memory ..."
std::string SkippedStatus(std::size_t line, const SkippedRecord& skipped, std::size_t maxRecordBytes);

/// A block of input records, with the line it starts on.
struct InputBlock {
    std::string records; ///< copied from the reader's buffer
    /// Instead, for a block of kHandOverBytes or more: the reader's buffer
    /// itself, the records `handedSize` bytes from `handedOffset`.
    HeldBytes handed;
    std::size_t handedOffset = 0;
    std::size_t handedSize = 0;
    std::optional<SkippedRecord> skipped; ///< instead of records: a record that could not be read
    std::size_t firstLine = 0;

    [[nodiscard]] char* data() noexcept { return handed ? handed.get() + handedOffset : records.data(); }
    [[nodiscard]] std::size_t size() const noexcept { return handed ? handedSize : records.size(); }
    /// Lets go of the records, and of memory held for a large block.
    void Clear() noexcept;
};

/// Called before a read that may wait for its input: everything handed on
/// should then be written out. False stops the reading.
using IdleHandler = std::function<bool()>;

/// Blocks of complete records from a file descriptor, no record longer than
/// a limit. A block ends at about kBlockBytes, or earlier where the input has
/// nothing more ready.
class RecordReader {
public:
    RecordReader(int fd, std::size_t maxRecordBytes);

    /// The separator of the records (',' until told otherwise).
    void SetSeparator(char separator) noexcept { m_separator = separator; }

    /// The next block of complete records (its records and `skipped` set;
    /// the line is the caller's); or, where a record is longer than the limit
    /// or more than memory can be had for, no records and `skipped` set.
    /// False at the end of the input, on a read error and when `idle` says to
    /// stop.
    bool Next(InputBlock& block, const IdleHandler& idle);

    /// The bytes read and not yet handed on.
    [[nodiscard]] std::string_view Pending() const noexcept
    {
        return {m_data.get() + m_start, m_end - m_start};
    }
    /// Reads once more after the pending bytes (waiting for them); false at
    /// the end of the input or on a read error (ENOMEM when the bytes could
    /// not be held).
    bool ReadMore();
    /// Hands on the first `size` pending bytes.
    void Drop(std::size_t size) noexcept;

    [[nodiscard]] std::size_t maxRecordBytes() const noexcept { return m_maxRecordBytes; }
    /// The error of a read that failed, or 0.
    [[nodiscard]] int error() const noexcept { return m_error; }

private:
    bool MayWait();
    [[nodiscard]] bool MayHoldRecordEnd() noexcept;
    void Read();
    void HandOver(InputBlock& block, std::size_t size);
    bool Skip(SkippedRecord& skipped, std::size_t held, const IdleHandler& idle);

    int m_fd;
    std::size_t m_maxRecordBytes;
    char m_separator = ',';
    HeldBytes m_data;
    std::size_t m_capacity = 0;
    std::size_t m_start = 0; ///< of the pending bytes in m_data
    std::size_t m_end = 0;
    std::size_t m_want = kBlockBytes;
    bool m_mayWait = false; ///< the input is no file, so a read may wait for it
    bool m_atEnd = false;
    bool m_noRoom = false; ///< the buffer could not grow for the next read
    std::size_t m_scannedBytes = 0; ///< pending bytes a scan found no record's end in
    int m_error = 0;
};

/// What a table holds: CSV with a header row, an EnergyPlus weather file, a
/// TMY3 file, or CSV unless its first two lines are a TMY3 file's.
enum class InputKind : std::uint8_t { Csv, Epw, Tmy3, CsvOrTmy3 };

/// `--input csv|epw|tmy3`; without it, epw for a file name ending in ".epw"
/// (in any case), else csv or tmy3 as the first two lines say.
std::optional<InputKind> ReadInputKind(const Options& options, std::string_view path,
                                       std::string& message);

/// The options of how a table's header is read, shared by batch and chart
/// --states: --given, --pressure-unit, --column ROLE=HEADER (repeatable) and
/// --skip-lines N, into `rules`. False, with the usage message, for a value
/// that cannot be used.
bool ReadHeaderOptions(const Options& options, HeaderRules& rules, std::string& message);

/// The most lines --skip-lines skips.
inline constexpr std::size_t kMaxSkipLines = 1'000'000'000;

/// The start of a table, read: what its rows are.
struct TableStart {
    BatchLayout layout;
    InputKind kind = InputKind::Csv; ///< what the table turned out to be
    std::size_t nextLine = 1; ///< the line the first row starts on
};

/// Reads the start of the table (a byte-order mark, `rules.skipLines` lines
/// and blank lines before a header row are skipped; the separator is found
/// from the header line; a TMY3 file's station line is passed over) and makes
/// its layout by `rules` (whose separator is set here), with the columns and
/// precision it writes. Nothing when the table cannot be read, or the rules
/// do not apply to its kind, with the reason in `message`.
std::optional<TableStart> ReadTableStart(RecordReader& reader, InputKind kind, HeaderRules rules,
                                         std::string& message);

/// The blocks of a table's rows, their lines counted.
class BlockSource {
public:
    BlockSource(RecordReader& reader, std::size_t firstLine) : m_reader(reader), m_line(firstLine) {}

    /// Fills `block` with the next records; false at the end of the input.
    bool Fill(InputBlock& block, const IdleHandler& idle);

private:
    RecordReader& m_reader;
    std::size_t m_line;
};

} // namespace humitrax::cli
