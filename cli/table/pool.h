// File: batch_pool.h
// The rows of a table computed block by block, on one thread or on worker
// threads while this one reads ahead, and handed on in input order.
// Whenever the input has nothing more ready (a pipe), every block read so far
// is handed on and flushed first, so a program feeding rows one by one gets
// each answer.
#pragma once

#include "table/reader.h"
#include "table/rows.h"

#include <cstddef>
#include <string>

namespace humitrax::cli {

/// Where the computed blocks go, in input order.
class BlockSink {
public:
    virtual ~BlockSink() = default;
    /// Takes the output rows of the next block; false when no more can be taken.
    virtual bool Take(const std::string& rows, const BlockCounts& counts) = 0;
    /// Makes what was taken reach its reader, before the input may wait;
    /// false when no more can be taken.
    virtual bool Flush() = 0;
};

/// Computes the blocks of `source` by `layout` on `jobs` threads and hands
/// their rows to `sink` in input order, until the input ends or the sink
/// takes no more. A record longer than `maxRecordBytes` becomes one failed
/// row. A worker's exception is thrown again here.
void StreamBlocks(BlockSource& source, const BatchLayout& layout, std::size_t maxRecordBytes,
                  unsigned jobs, BlockSink& sink);

} // namespace humitrax::cli
