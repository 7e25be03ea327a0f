#include "app/startup.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <clocale>

#include "session/app_info.h"
#include "session/message_box.h"
#include "session/messages.h"
#include "app/sequence.h"
#include "util/path.h"
#include "util/system_dll.h"

namespace {

std::wstring module_path()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return buffer;  // up to the first null, at most MAX_PATH characters
}

std::wstring documents_folder()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    if (!SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_PERSONAL, FALSE))
        return std::wstring();
    return buffer;
}

// Registers the common-control classes. comctl32 is loaded from the system folder
// and stays loaded: the progress dialog's bars need its window class for the whole
// run. The progress bar class is asked for explicitly, since the listview, tab and
// internet classes do not include it.
void init_common_controls()
{
    using Cinit_common_controls_ex = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const HMODULE comctl = load_system_dll(L"comctl32.dll");
    const auto init = get_function<Cinit_common_controls_ex>(comctl, "InitCommonControlsEx");
    if (!init)
        return;
    INITCOMMONCONTROLSEX icc = {};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_INTERNET_CLASSES |
                ICC_PROGRESS_CLASS;
    init(&icc);
}

void fill_app_info(HINSTANCE instance, const wchar_t* command_line)
{
    app_info.instance = instance;
    app_info.command_line = command_line ? command_line : L"";
    const std::wstring path = module_path();
    app_info.module_dir = path_folder(path);
    app_info.module_name = path_without_extension(path_file_name(path));
}

}  // namespace

std::wstring current_directory_for(const std::wstring& module_dir)
{
    if (!module_dir.empty() && module_dir.back() == L':')
        return module_dir + L"\\";
    return module_dir;
}

int start_update()
{
    app_info.app_name = L"updater";
    run_update_sequence();  // the outcome has been shown to the user
    return 0;
}

int run_updater(HINSTANCE instance, const wchar_t* command_line)
{
    restrict_dll_search_to_system();
    _wsetlocale(LC_ALL, L"japanese");
    fill_app_info(instance, command_line);
    // From here on "update.ini" and "gamedata" resolve beside the updater, whatever
    // folder it was started from.
    SetCurrentDirectoryW(current_directory_for(app_info.module_dir).c_str());
    app_info.documents_dir = documents_folder();
    CoInitialize(nullptr);
    init_common_controls();

    const HMODULE riched = load_system_dll(L"riched32.dll");
    if (!riched) {
        message_box(app_info.main_window, msg::riched_missing, msg::startup_caption,
                    MB_OK | MB_ICONWARNING);
        CoUninitialize();
        return 0;
    }
    start_update();
    FreeLibrary(riched);
    CoUninitialize();
    return 0;
}
