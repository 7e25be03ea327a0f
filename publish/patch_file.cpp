#include "publish/patch_file.h"

#include <windows.h>

#include "delta/vcdiff_encoder.h"
#include "delta/vcdiff_files.h"
#include "publish/output_folder.h"
#include "util/handle.h"

namespace {

// The patch file, written front to back, refusing to grow to `limit` bytes: a patch
// that large is not shipped, and stopping early spares encoding the rest.
class Cbounded_patch_file : public vcdiff::Coutput {
public:
    Cbounded_patch_file(Chandle& file, std::uint64_t limit) : file_(file), limit_(limit) {}

    bool write(const void* bytes, std::size_t size) override
    {
        if (size >= limit_ - written_) {
            over_limit_ = true;
            return false;
        }
        DWORD done = 0;
        if (!WriteFile(file_.get(), bytes, static_cast<DWORD>(size), &done, nullptr) ||
            done != size)
            return false;
        written_ += size;
        return true;
    }

    bool over_limit() const { return over_limit_; }
    std::uint64_t written() const { return written_; }

private:
    Chandle& file_;
    const std::uint64_t limit_;
    std::uint64_t written_ = 0;
    bool over_limit_ = false;
};

// The least patch size that no longer pays.
std::uint64_t unpaid_size(std::uint64_t new_size)
{
    return (new_size * patch_share_percent + 99) / 100;
}

}  // namespace

bool worth_a_patch(std::uint64_t new_size)
{
    return new_size >= patch_threshold;
}

bool patch_pays(std::uint64_t patch_size, std::uint64_t new_size)
{
    return patch_size * 100 < new_size * patch_share_percent;
}

Cpatch_result write_patch(const std::wstring& old_path, const std::wstring& new_path,
                          std::uint64_t new_size, const std::wstring& patch_path,
                          Coutput_folder& out, std::uint64_t& patch_size)
{
    patch_size = 0;
    vcdiff::Cfile_source old_file;
    if (!old_file.open(old_path))
        return Cpatch_result::old_unreadable;
    vcdiff::Cfile_input new_file;
    if (!new_file.open(new_path, FILE_SHARE_READ))
        return Cpatch_result::new_unreadable;
    Chandle file = out.create_file(patch_path);
    if (!file.is_open())
        return Cpatch_result::patch_unwritable;
    Cbounded_patch_file patch(file, unpaid_size(new_size));
    const vcdiff::Cencode_result encoded = vcdiff::encode(old_file, new_file, patch);
    const bool closed = file.close();
    if (encoded != vcdiff::Cencode_result::written || !closed) {
        out.remove_file(patch_path);
        switch (encoded) {
        case vcdiff::Cencode_result::old_file_unreadable:
            return Cpatch_result::old_unreadable;
        case vcdiff::Cencode_result::new_file_unreadable:
            return Cpatch_result::new_unreadable;
        case vcdiff::Cencode_result::patch_unwritable:
        case vcdiff::Cencode_result::written:
            break;
        }
        return patch.over_limit() ? Cpatch_result::does_not_pay : Cpatch_result::patch_unwritable;
    }
    patch_size = patch.written();
    if (!patch_pays(patch_size, new_size)) {  // a new file whose size changed while read
        out.remove_file(patch_path);
        return Cpatch_result::does_not_pay;
    }
    return Cpatch_result::written;
}
