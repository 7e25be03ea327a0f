#include "publish/command_line.h"

#include <iterator>

#include "publish/messages.h"
#include "publish/update_files.h"
#include "util/code_page.h"

namespace {

struct Cvalue_option {
    const wchar_t* name;
    std::wstring Cmake_update_options::*value;
    bool required;
};

const Cvalue_option value_options[] = {
    {L"--reg-path", &Cmake_update_options::reg_path, true},
    {L"--title", &Cmake_update_options::game_title, true},
    {L"--updater", &Cmake_update_options::updater, false},
};

bool fail(std::wstring& problem, const std::wstring& text)
{
    problem = text;
    return false;
}

// A level of the key that is empty: "Maker\\Game" typed as update.ini spells it.
bool has_empty_level(const std::wstring& key)
{
    return key.front() == L'\\' || key.back() == L'\\' || key.find(L"\\\\") != std::wstring::npos;
}

bool check_values(const Cmake_update_options& options, std::wstring& problem)
{
    std::string bytes;
    for (const Cvalue_option& option : value_options) {
        const std::wstring& value = options.*option.value;
        if (!option.required)
            continue;
        if (value.empty())
            return fail(problem, make_msg::value_empty(option.name));
        if (!wide_to_code_page(update_ini_code_page, value, bytes))
            return fail(problem, make_msg::value_not_in_code_page(option.name, value));
    }
    if (has_empty_level(options.reg_path))
        return fail(problem, make_msg::reg_path_empty_level(options.reg_path));
    return true;
}

}  // namespace

bool parse_make_update_command(int argc, const wchar_t* const argv[],
                               Cmake_update_command& command, std::wstring& problem)
{
    command = Cmake_update_command();
    Cmake_update_options& options = command.options;
    std::wstring* folders[] = {&options.old_dir, &options.new_dir, &options.out_dir};
    std::size_t folder_count = 0;
    bool given[std::size(value_options)] = {};
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument == L"--help" || argument == L"-h" || argument == L"/?") {
            command.help = true;
            return true;
        }
        if (argument == L"--whole") {
            if (options.whole_files)
                return fail(problem, make_msg::option_repeated(argument));
            options.whole_files = true;
            continue;
        }
        bool is_value_option = false;
        for (std::size_t o = 0; o < std::size(value_options); ++o) {
            const Cvalue_option& option = value_options[o];
            if (argument != option.name)
                continue;
            if (i + 1 >= argc)
                return fail(problem, make_msg::value_missing(option.name));
            if (given[o])
                return fail(problem, make_msg::option_repeated(option.name));
            given[o] = true;
            options.*option.value = argv[++i];
            is_value_option = true;
        }
        if (is_value_option)
            continue;
        if (argument.size() > 1 && argument[0] == L'-')
            return fail(problem, check_msg::unknown_option(argument));
        if (folder_count == 3)
            return fail(problem, make_msg::folder_count);
        *folders[folder_count++] = argument;
    }
    if (folder_count != 3)
        return fail(problem, make_msg::folder_count);
    for (std::size_t o = 0; o < std::size(value_options); ++o) {
        if (value_options[o].required && !given[o])
            return fail(problem, make_msg::option_missing(value_options[o].name));
    }
    // "C:\Update\" typed in cmd arrives as C:\Update": the C runtime reads \" as a quote.
    for (std::wstring* path : {&options.old_dir, &options.new_dir, &options.out_dir, &options.updater}) {
        if (!path->empty() && path->back() == L'"')
            path->pop_back();
    }
    return check_values(options, problem);
}
