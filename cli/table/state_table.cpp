#include "table/state_table.h"

#include <cstring>

namespace humitrax::cli {

std::optional<StateTable> ReadStateTable(int fd, StateTableOptions options, std::string& message)
{
    options.rules.plotOnly = true;
    RecordReader reader(fd, options.maxRecordBytes);
    const std::optional<TableStart> start = ReadTableStart(reader, options.kind, options.rules, message);
    if (!start)
        return std::nullopt;
    const BatchLayout& layout = start->layout;
    StateTable table;
    BlockSource source(reader, start->nextLine);
    InputBlock block;
    CsvRecord record;
    RowScratch scratch;
    scratch.plausibility = Plausibility(layout.units);
    StateResult state;
    const IdleHandler keepReading = [] { return true; };
    while (source.Fill(block, keepReading)) {
        if (block.skipped) {
            ++table.rows;
            ++table.failed;
            continue;
        }
        char* const begin = block.data();
        ForEachCsvRow(begin, begin + block.size(), block.firstLine, record, layout.separator, layout.keptFields(),
                      [&](std::size_t line) {
                          ++table.rows;
                          const bool computed = ComputeRow(layout, record, line, scratch, state);
                          const Cell& ratio = state[Property::HumidityRatio];
                          if (computed && state.refusal.empty() && ratio.present) {
                              table.points.push_back({state[Property::DryBulb].value, ratio.value,
                                                      state[Property::Pressure].value});
                          } else {
                              ++table.failed;
                          }
                      });
    }
    table.warnings = scratch.plausibility.Warnings();
    if (reader.error() != 0) {
        message = "cannot read it to its end: " + std::string(std::strerror(reader.error()));
        return std::nullopt;
    }
    return table;
}

} // namespace humitrax::cli
