#include "copy/digest/digest_check.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "util/handle.h"

namespace {

// Blocks from this size on are hashed on the hashing thread.
constexpr std::size_t threaded_block_size = 256 * 1024;

}  // namespace

// Hashes one block at a time on a thread of its own. A block is copied when it is
// handed over, so that the copier can read the next one into its buffer meanwhile.
class Cblock_hasher {
public:
    Cblock_hasher()
    {
        if (work_.is_open() && idle_.is_open())
            thread_ = Chandle(CreateThread(nullptr, 0, &Cblock_hasher::run, this, 0, nullptr));
    }
    ~Cblock_hasher()
    {
        if (!running())
            return;
        wait();
        stop_ = true;
        SetEvent(work_.get());
        WaitForSingleObject(thread_.get(), INFINITE);
    }
    Cblock_hasher(const Cblock_hasher&) = delete;
    Cblock_hasher& operator=(const Cblock_hasher&) = delete;

    bool running() const { return thread_.is_open(); }

    // Waits for the block before, then hands this one over to be added to `hash`.
    void add(Csha256& hash, const void* bytes, std::size_t size)
    {
        wait_idle();
        const char* first = static_cast<const char*>(bytes);
        block_.assign(first, first + size);
        hash_ = &hash;
        pending_ = true;
        ResetEvent(idle_.get());
        SetEvent(work_.get());
    }

    // Waits until every block handed over is hashed. False when the hash refused
    // one of them since the last wait.
    bool wait()
    {
        wait_idle();
        const bool hashed = !refused_;
        refused_ = false;
        return hashed;
    }

private:
    void wait_idle()
    {
        if (pending_)
            WaitForSingleObject(idle_.get(), INFINITE);
        pending_ = false;
    }

    static DWORD WINAPI run(void* parameter)
    {
        Cblock_hasher& self = *static_cast<Cblock_hasher*>(parameter);
        for (;;) {
            WaitForSingleObject(self.work_.get(), INFINITE);
            if (self.stop_)
                return 0;
            if (!self.hash_->add(self.block_.data(), self.block_.size()))
                self.refused_ = true;
            SetEvent(self.idle_.get());
        }
    }

    Chandle work_{CreateEventW(nullptr, FALSE, FALSE, nullptr)};  // a block waits
    Chandle idle_{CreateEventW(nullptr, TRUE, TRUE, nullptr)};    // none is hashed
    Chandle thread_;
    // Written by the caller only while the thread is idle, read by the thread only
    // between the two events: the events order every access.
    std::vector<char> block_;
    Csha256* hash_ = nullptr;
    bool refused_ = false;
    bool pending_ = false;  // the caller's own: a block was handed over since the last wait
    std::atomic<bool> stop_{false};
};

Cdigest_check::Cdigest_check() = default;

Cdigest_check::~Cdigest_check() = default;

void Cdigest_check::settle()
{
    if (hasher_ && !hasher_->wait())
        failed_ = true;
}

void Cdigest_check::start(const std::vector<Csha256_digest>* expected)
{
    settle();  // a file that stopped half-way may still have a block in the thread
    expected_ = expected;
    failed_ = false;
    hash_.reset();
    if (!expected_)
        return;
    hash_.emplace();
    if (!hasher_)
        hasher_ = std::make_unique<Cblock_hasher>();
}

void Cdigest_check::add(const void* bytes, std::size_t size)
{
    if (!hash_)
        return;
    if (size >= threaded_block_size && hasher_->running()) {
        hasher_->add(*hash_, bytes, size);
        return;
    }
    settle();  // the bytes before go into the hash first
    if (!hash_->add(bytes, size))
        failed_ = true;
}

bool Cdigest_check::matches()
{
    if (!expected_)
        return true;
    settle();
    Csha256_digest digest{};
    // A hash the system could not make proves nothing: the file counts as differing.
    const bool hashed = hash_ && !failed_ && hash_->finish(digest);
    const std::vector<Csha256_digest>& expected = *expected_;
    expected_ = nullptr;
    hash_.reset();
    return hashed && std::all_of(expected.begin(), expected.end(),
                                 [&](const Csha256_digest& listed) { return listed == digest; });
}
