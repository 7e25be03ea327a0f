#include "toolkit_windows.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "session/app_info.h"
#include "util/system_dll.h"

void prepare_toolkit_windows()
{
    app_info.instance = GetModuleHandleW(nullptr);
    static const bool registered = [] {
        using Cinit_common_controls_ex = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        const auto init = get_function<Cinit_common_controls_ex>(load_system_dll(L"comctl32.dll"),
                                                                "InitCommonControlsEx");
        INITCOMMONCONTROLSEX icc = {};
        icc.dwSize = sizeof icc;
        icc.dwICC = ICC_PROGRESS_CLASS;
        return init && init(&icc);
    }();
    (void)registered;
}

void drain_messages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::wstring test_artifacts_folder()
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"UPDATER_TEST_ARTIFACTS", buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    return buffer;
}

bool is_registered(HWND window)
{
    const auto& list = app_info.dialog_windows;
    return std::find(list.begin(), list.end(), window) != list.end();
}
