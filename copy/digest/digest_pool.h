#pragma once
// The digests of the files the copier has written, checked on threads of their own
// while it reads and writes the next files. Under Wine the system's hash is several
// times slower than a copy: hashed in line, a run with gamedata.sha256 would copy at
// the hash's speed, one file at a time. Here each file is hashed on its own thread,
// several at once where the machine has the processors, and no hash waits on the
// dialog.
//
// A file is hashed from the staged file once it is written in full (what will be
// put in place is what is checked), or from its bytes when it fitted in one block
// (a small file: no second open).

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include "util/handle.h"
#include "util/sha256.h"

class Cdigest_pool {
public:
    enum class Cverdict { matches, differs, unreadable };
    // A check that failed: the id it was handed over with and why.
    struct Cfailure {
        std::size_t id = 0;
        Cverdict verdict = Cverdict::differs;
    };

    // At most `threads` hashing threads, made when the first check comes; where none
    // can be made, each check runs on the caller's thread when it is handed over.
    explicit Cdigest_pool(unsigned threads = hashing_threads());
    ~Cdigest_pool();  // waits for the checks under way
    Cdigest_pool(const Cdigest_pool&) = delete;
    Cdigest_pool& operator=(const Cdigest_pool&) = delete;

    // The file at `path`, which nobody writes any more, must have every digest of
    // `expected` (which must outlive the check).
    void check_file(std::size_t id, const std::wstring& path,
                    const std::vector<Csha256_digest>& expected);
    // The same for bytes in memory; they are copied. Waits while the bytes handed
    // over and not yet hashed pass a bound.
    void check_bytes(std::size_t id, const void* bytes, std::size_t size,
                     const std::vector<Csha256_digest>& expected);
    // Whether a check finished so far has failed; does not wait.
    bool failed_so_far();
    // Waits for every check handed over, calling `while_waiting` every few
    // milliseconds meanwhile; the failure of the lowest id, if any. The pool may be
    // used again afterwards.
    std::optional<Cfailure> finish(const std::function<void()>& while_waiting = {});

    // One hashing thread per processor, from 1 to 4.
    static unsigned hashing_threads();

private:
    struct Cjob {
        std::size_t id = 0;
        std::wstring path;        // empty: hash `bytes`
        std::vector<char> bytes;
        const std::vector<Csha256_digest>* expected = nullptr;
    };

    void hand_over(Cjob job);
    void start_threads();
    static DWORD WINAPI run_thread(void* pool);
    void work();
    static Cverdict check(const Cjob& job);
    void record(std::size_t id, Cverdict verdict);

    unsigned wanted_threads_;
    std::vector<Chandle> threads_;
    bool threads_tried_ = false;
    // Under lock_: the jobs waiting, how many are being hashed, the bytes held, the
    // failures found, and whether the threads are to end.
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE job_ready_ = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE job_done_ = CONDITION_VARIABLE_INIT;
    std::vector<Cjob> waiting_;  // from next_ on; emptied once all are taken
    std::size_t next_ = 0;
    std::size_t hashing_ = 0;
    std::size_t bytes_held_ = 0;
    std::vector<Cfailure> failures_;
    bool stopping_ = false;
};
