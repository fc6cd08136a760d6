#include "table/pool.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace humitrax::cli {
namespace {

/// One block on its way through the workers.
struct Block {
    InputBlock input;
    std::string output;
    BlockCounts counts;
    std::promise<void> done;
};

/// The output rows of a block.
void Compute(const BatchLayout& layout, std::size_t maxRecordBytes, Block& block)
{
    block.output.clear();
    if (block.input.skipped) {
        AppendFailedRow(layout,
                        SkippedStatus(block.input.firstLine, *block.input.skipped, maxRecordBytes),
                        block.output);
        block.counts = BlockCounts{};
        block.counts.rows = 1;
        block.counts.failedRows = 1;
        return;
    }
    block.counts = ProcessBlock(layout, block.input.data(), block.input.size(), block.input.firstLine,
                                block.output);
}

/// Whether a block holds a record too large to copy, whose memory should be
/// let go of before the next such one is read.
bool Heavy(const Block& block) noexcept { return block.input.size() >= kHandOverBytes; }

/// Lets go of the memory of a block's long record once its rows are handed
/// on, so that the next one is not read beside it.
void Release(Block& block) noexcept
{
    if (!Heavy(block))
        return;
    block.input.Clear();
    std::string().swap(block.output);
}

/// Worker threads taking blocks from a queue.
class WorkerPool {
public:
    WorkerPool(const BatchLayout& layout, std::size_t maxRecordBytes, unsigned jobs)
        : m_layout(layout), m_maxRecordBytes(maxRecordBytes)
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
                Compute(m_layout, m_maxRecordBytes, *block);
                block->done.set_value();
            } catch (...) {
                block->done.set_exception(std::current_exception());
            }
        }
    }

    const BatchLayout& m_layout;
    std::size_t m_maxRecordBytes;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Block*> m_queue;
    bool m_stop = false;
    std::vector<std::thread> m_threads;
};

/// One thread: every block read is handed on by the time the reader waits.
void StreamOnThisThread(BlockSource& source, const BatchLayout& layout, std::size_t maxRecordBytes,
                        BlockSink& sink)
{
    const IdleHandler flush = [&] { return sink.Flush(); };
    Block block;
    while (source.Fill(block.input, flush)) {
        Compute(layout, maxRecordBytes, block);
        if (!sink.Take(block.output, block.counts))
            return;
        Release(block);
    }
}

/// Worker threads, with enough blocks in flight to keep each busy while this
/// thread hands the oldest on; memory stays bounded by their number, and a
/// block with a long record is handed on before anything more is read.
void StreamOnWorkers(BlockSource& source, const BatchLayout& layout, std::size_t maxRecordBytes,
                     unsigned jobs, BlockSink& sink)
{
    const std::size_t maxInFlight = 2 * std::size_t{jobs};
    // Declared before the pool, so that they outlive its threads.
    std::deque<std::unique_ptr<Block>> inFlight;
    std::deque<std::future<void>> results;
    WorkerPool pool(layout, maxRecordBytes, jobs);
    bool taking = true;
    std::size_t heavy = 0; // blocks in flight that hold a long record
    const auto handOnOldest = [&] {
        results.front().get(); // rethrows a worker's failure
        taking = taking && sink.Take(inFlight.front()->output, inFlight.front()->counts);
        heavy -= Heavy(*inFlight.front()) ? 1U : 0U;
        results.pop_front();
        inFlight.pop_front();
    };
    // Before the reader waits, every block in flight is handed on.
    const IdleHandler drain = [&] {
        while (!inFlight.empty())
            handOnOldest();
        return taking && sink.Flush();
    };
    bool inputDone = false;
    for (;;) {
        while (!inputDone && inFlight.size() < maxInFlight && heavy == 0) {
            auto block = std::make_unique<Block>();
            if (!source.Fill(block->input, drain)) {
                inputDone = true;
                break;
            }
            heavy += Heavy(*block) ? 1U : 0U;
            results.push_back(block->done.get_future());
            pool.Submit(block.get());
            inFlight.push_back(std::move(block));
        }
        if (inFlight.empty())
            break;
        handOnOldest();
        if (!taking)
            inputDone = true; // let the blocks in flight finish, read no more
    }
}

} // namespace

void StreamBlocks(BlockSource& source, const BatchLayout& layout, std::size_t maxRecordBytes,
                  unsigned jobs, BlockSink& sink)
{
    if (jobs <= 1)
        StreamOnThisThread(source, layout, maxRecordBytes, sink);
    else
        StreamOnWorkers(source, layout, maxRecordBytes, jobs, sink);
}

} // namespace humitrax::cli
