#include "copy/digest/digest_pool.h"

#include <algorithm>
#include <new>

#include "util/file.h"

namespace {

// Bytes handed over and not yet hashed, at most: the copier reads ahead of the
// hash by this much and then waits.
constexpr std::size_t bytes_held_limit = 64u << 20;

// How often a wait for the hashes gives the dialog its turn.
constexpr DWORD wait_step_ms = 30;

// Holds lock_ exclusively for a scope.
class Cexclusive_lock {
public:
    explicit Cexclusive_lock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~Cexclusive_lock() { ReleaseSRWLockExclusive(&lock_); }
    Cexclusive_lock(const Cexclusive_lock&) = delete;
    Cexclusive_lock& operator=(const Cexclusive_lock&) = delete;

private:
    SRWLOCK& lock_;
};

bool has_every_digest(const Csha256_digest& digest, const std::vector<Csha256_digest>& expected)
{
    return std::all_of(expected.begin(), expected.end(),
                       [&](const Csha256_digest& listed) { return listed == digest; });
}

}  // namespace

Cdigest_pool::Cdigest_pool(unsigned threads) : wanted_threads_(threads) {}

Cdigest_pool::~Cdigest_pool()
{
    finish();
    {
        Cexclusive_lock guard(lock_);
        stopping_ = true;
    }
    WakeAllConditionVariable(&job_ready_);
    for (const Chandle& thread : threads_)
        WaitForSingleObject(thread.get(), INFINITE);
}

unsigned Cdigest_pool::hashing_threads()
{
    SYSTEM_INFO system = {};
    GetSystemInfo(&system);
    return std::clamp<unsigned>(system.dwNumberOfProcessors, 1, 4);
}

void Cdigest_pool::check_file(std::size_t id, const std::wstring& path,
                              const std::vector<Csha256_digest>& expected)
{
    Cjob job;
    job.id = id;
    job.path = path;
    job.expected = &expected;
    hand_over(std::move(job));
}

void Cdigest_pool::check_bytes(std::size_t id, const void* bytes, std::size_t size,
                               const std::vector<Csha256_digest>& expected)
{
    Cjob job;
    job.id = id;
    const char* first = static_cast<const char*>(bytes);
    job.bytes.assign(first, first + size);
    job.expected = &expected;
    hand_over(std::move(job));
}

void Cdigest_pool::hand_over(Cjob job)
{
    start_threads();
    if (threads_.empty()) {
        record(job.id, check(job));
        return;
    }
    {
        Cexclusive_lock guard(lock_);
        while (bytes_held_ > 0 && bytes_held_ + job.bytes.size() > bytes_held_limit)
            SleepConditionVariableSRW(&job_done_, &lock_, INFINITE, 0);
        bytes_held_ += job.bytes.size();
        waiting_.push_back(std::move(job));
    }
    WakeConditionVariable(&job_ready_);
}

void Cdigest_pool::start_threads()
{
    if (threads_tried_)
        return;
    threads_tried_ = true;
    for (unsigned i = 0; i < wanted_threads_; ++i) {
        Chandle thread(CreateThread(nullptr, 0, &Cdigest_pool::run_thread, this, 0, nullptr));
        if (!thread.is_open())
            break;
        threads_.push_back(std::move(thread));
    }
}

DWORD WINAPI Cdigest_pool::run_thread(void* pool)
{
    static_cast<Cdigest_pool*>(pool)->work();
    return 0;
}

void Cdigest_pool::work()
{
    for (;;) {
        Cjob job;
        {
            Cexclusive_lock guard(lock_);
            while (next_ == waiting_.size() && !stopping_)
                SleepConditionVariableSRW(&job_ready_, &lock_, INFINITE, 0);
            if (next_ == waiting_.size())
                return;
            job = std::move(waiting_[next_++]);
            if (next_ == waiting_.size()) {
                waiting_.clear();
                next_ = 0;
            }
            ++hashing_;
        }
        const Cverdict verdict = check(job);
        {
            Cexclusive_lock guard(lock_);
            --hashing_;
            bytes_held_ -= job.bytes.size();
            if (verdict != Cverdict::matches)
                failures_.push_back({job.id, verdict});
        }
        WakeAllConditionVariable(&job_done_);
    }
}

Cdigest_pool::Cverdict Cdigest_pool::check(const Cjob& job)
{
    Csha256_digest digest{};
    try {
        if (job.path.empty()) {
            Csha256 hash;
            // A hash the system could not make proves nothing: the bytes count as differing.
            if (!hash.add(job.bytes.data(), job.bytes.size()) || !hash.finish(digest))
                return Cverdict::differs;
        } else {
            // The writer still holds the file open (until the volume's flush).
            const Chandle file =
                open_file(job.path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
            if (!file.is_open())
                return Cverdict::unreadable;
            if (!sha256_of_open_file(file.get(), digest))
                return Cverdict::differs;
        }
    } catch (const std::bad_alloc&) {
        return Cverdict::unreadable;
    }
    return has_every_digest(digest, *job.expected) ? Cverdict::matches : Cverdict::differs;
}

void Cdigest_pool::record(std::size_t id, Cverdict verdict)
{
    if (verdict == Cverdict::matches)
        return;
    Cexclusive_lock guard(lock_);
    failures_.push_back({id, verdict});
}

bool Cdigest_pool::failed_so_far()
{
    Cexclusive_lock guard(lock_);
    return !failures_.empty();
}

std::optional<Cdigest_pool::Cfailure> Cdigest_pool::finish(
    const std::function<void()>& while_waiting)
{
    AcquireSRWLockExclusive(&lock_);
    while (next_ < waiting_.size() || hashing_ > 0) {
        SleepConditionVariableSRW(&job_done_, &lock_, wait_step_ms, 0);
        if (while_waiting) {
            ReleaseSRWLockExclusive(&lock_);
            while_waiting();
            AcquireSRWLockExclusive(&lock_);
        }
    }
    std::optional<Cfailure> first;
    for (const Cfailure& failure : failures_) {
        if (!first || failure.id < first->id)
            first = failure;
    }
    failures_.clear();
    ReleaseSRWLockExclusive(&lock_);
    return first;
}
