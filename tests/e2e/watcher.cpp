// The end-to-end watcher: starts a program, finds every message box it shows,
// records caption, text and buttons, answers it, and writes a transcript.
//
//   watcher --exe PATH --cwd DIR --transcript FILE [--answer yes|no]...
//           [--shots DIR] [--close-dialog-at N] [--timeout SECONDS] [--args TEXT]
//           [--poll-ms MS] [--delete-before-answer PATH]
//           [--at-file NAME [--when-exists PATH] (--delete PATH | --hold PATH | --kill yes)]
//
// Message boxes with Yes/No take the next scripted answer (No when the script is
// out); boxes with OK get OK. The transcript is UTF-8, one JSON object a line:
//   {"event":"box","caption":..,"text":..,"buttons":[..],"default":ID,"dialog":..}
//   {"event":"dialog","caption":..,"text":..}   the progress dialog, each new text
//   {"event":"layout","dpi":N,"window":[l,t,r,b],"client":[w,h],"controls":{"ID":[l,t,r,b]..}}
//                                               the progress dialog once it shows
//   {"event":"exit","code":N,"ms":T}            or {"event":"timeout"}
// T is the time from the program's start to its exit in milliseconds. --args
// appends TEXT to the program's command line (the benchmark starts xcopy so).
// With --shots, a BMP of the screen is saved when each box appears, and once while
// the progress dialog is copying (its current-file bar past 20 %). With
// --close-dialog-at N, the progress dialog is sent WM_CLOSE once it shows its N-th
// file. --delete-before-answer removes PATH while the first Yes/No box is open,
// just before it is answered (a file quarantined while the player reads the question).
// --at-file NAME acts once, when the progress dialog first shows NAME: --delete
// removes PATH (a virus scanner's quarantine during the copy), --hold opens PATH for
// reading, shared with readers only, until the watcher ends (the game started
// meanwhile), --kill ends the program once NAME's first block is written (a power
// loss or Task Manager, part-way through the file: a later mark can be missed on a
// fast machine, where a big file takes a tenth of a second; the transcript then
// shows {"event":"killed"} before the exit). With --when-exists it acts only once
// PATH exists too (the run's record: NAME is being written, not hashed beforehand).
// Boxes also carry "dpi", "window" and their text's "text_rect". Rectangles are in
// physical pixels (the watcher is DPI aware), controls' in the dialog's client area.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "support/screen_shot.h"

namespace {

struct Coptions {
    std::wstring exe, cwd, transcript, shots;
    std::vector<std::wstring> answers;
    int close_dialog_at = 0;
    int timeout_seconds = 120;
    int poll_ms = 20;  // how often the windows are looked at
    std::wstring args;  // appended to the command line
    std::wstring delete_before_answer;
    std::wstring at_file;      // the file shown by the dialog that starts the action
    std::wstring when_exists;  // ...once this path exists, when given
    std::wstring delete_path;  // the action: remove it...
    std::wstring hold_path;    // ...hold it open...
    bool kill = false;         // ...or end the program
};

std::string utf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string result(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], n,
                        nullptr, nullptr);
    return result;
}

std::string json_string(const std::wstring& text)
{
    std::string out = "\"";
    for (char c : utf8(text)) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::wstring window_text(HWND window)
{
    wchar_t buffer[4096] = {};
    GetWindowTextW(window, buffer, 4096);
    return buffer;
}

// The DPI a window is drawn at (96 for a program that is not DPI aware, or where
// Windows cannot tell).
int window_dpi(HWND window)
{
    using Get_dpi = UINT(WINAPI*)(HWND);
    const auto get_dpi = reinterpret_cast<Get_dpi>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    return get_dpi ? static_cast<int>(get_dpi(window)) : 96;
}

// Physical pixels whatever the DPI: the rectangles and pictures of a DPI-aware
// program's windows must not be scaled for the watcher.
void become_dpi_aware()
{
    using Set_context = BOOL(WINAPI*)(HANDLE);
    const auto set_context = reinterpret_cast<Set_context>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    const HANDLE per_monitor_v2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
    if (!set_context || !set_context(per_monitor_v2))
        SetProcessDPIAware();
}

std::string json_rect(const RECT& r)
{
    return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + "]";
}

// A child's rectangle in its parent's client area.
RECT client_rect_of(HWND child, HWND parent)
{
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring class_name(HWND window)
{
    wchar_t buffer[256] = {};
    GetClassNameW(window, buffer, 256);
    return buffer;
}

class Ctranscript {
public:
    explicit Ctranscript(const std::wstring& path) : file_(_wfopen(path.c_str(), L"wb")) {}
    ~Ctranscript()
    {
        if (file_)
            fclose(file_);
    }
    void line(const std::string& text)
    {
        if (!file_)
            return;
        fputs(text.c_str(), file_);
        fputc('\n', file_);
        fflush(file_);
    }

private:
    FILE* file_;
};

// A BMP of the whole screen.
void save_screen(const std::wstring& path)
{
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    save_screen_area(screen, path);
}

struct Cfound {
    DWORD process_id;
    std::vector<HWND> boxes;
    HWND dialog = nullptr;
};

BOOL CALLBACK collect_window(HWND window, LPARAM parameter)
{
    Cfound& found = *reinterpret_cast<Cfound*>(parameter);
    DWORD owner_process = 0;
    GetWindowThreadProcessId(window, &owner_process);
    if (owner_process != found.process_id || class_name(window) != L"#32770")
        return TRUE;
    if (GetDlgItem(window, 0xFFFF) && IsWindowVisible(window))
        found.boxes.push_back(window);
    else if (GetDlgItem(window, 1001))
        found.dialog = window;
    return TRUE;
}

struct Cbutton {
    int id;
    std::wstring text;
    bool is_default;
};

BOOL CALLBACK collect_button(HWND window, LPARAM parameter)
{
    if (class_name(window) == L"Button") {
        const LONG style = GetWindowLongW(window, GWL_STYLE);
        reinterpret_cast<std::vector<Cbutton>*>(parameter)->push_back(
            {GetDlgCtrlID(window), window_text(window), (style & 0x0F) == BS_DEFPUSHBUTTON});
    }
    return TRUE;
}

class Cwatcher {
public:
    Cwatcher(const Coptions& options, HANDLE process, DWORD process_id)
        : options_(options), transcript_(options.transcript), process_(process),
          process_id_(process_id)
    {
    }
    ~Cwatcher()
    {
        if (held_ != INVALID_HANDLE_VALUE)
            CloseHandle(held_);
    }

    void look()
    {
        Cfound found{process_id_, {}, nullptr};
        EnumWindows(collect_window, reinterpret_cast<LPARAM>(&found));
        watch_dialog(found.dialog);
        act_at_file(found.dialog);
        shoot_progress(found.dialog);
        for (HWND box : found.boxes) {
            if (answered_.insert(box).second)
                answer(box, found.dialog);
        }
    }

    void finish(const std::string& last_line) { transcript_.line(last_line); }

private:
    void shot(const wchar_t* what)
    {
        if (options_.shots.empty())
            return;
        wchar_t name[64];
        swprintf(name, 64, L"\\%02d-%ls.bmp", ++shot_count_, what);
        save_screen(options_.shots + name);
    }

    void watch_dialog(HWND dialog)
    {
        if (!dialog || !IsWindowVisible(dialog))
            return;
        const std::wstring text = window_text(GetDlgItem(dialog, 1001));
        if (dialog == last_dialog_ && text == last_dialog_text_)
            return;
        if (dialog != last_dialog_)
            record_layout(dialog);
        last_dialog_ = dialog;
        last_dialog_text_ = text;
        transcript_.line("{\"event\":\"dialog\",\"caption\":" + json_string(window_text(dialog)) +
                         ",\"text\":" + json_string(text) + "}");
        if (text.empty() || text == L"スタティック")
            return;
        if (++dialog_files_ == options_.close_dialog_at)
            PostMessageW(dialog, WM_CLOSE, 0, 0);
    }

    void act_at_file(HWND dialog)
    {
        if (acted_ || options_.at_file.empty() || !dialog || last_dialog_text_ != options_.at_file)
            return;
        if (!options_.when_exists.empty() &&
            GetFileAttributesW(options_.when_exists.c_str()) == INVALID_FILE_ATTRIBUTES)
            return;
        if (options_.kill) {
            DWORD_PTR position = 0;
            if (!SendMessageTimeoutW(GetDlgItem(dialog, 1003), PBM_GETPOS, 0, 0,
                                     SMTO_ABORTIFHUNG, 200, &position) ||
                position < 10)
                return;
            transcript_.line("{\"event\":\"killed\"}");
            TerminateProcess(process_, 1);
        }
        if (!options_.delete_path.empty())
            DeleteFileW(options_.delete_path.c_str());
        if (!options_.hold_path.empty())
            held_ = CreateFileW(options_.hold_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        acted_ = true;
    }

    void record_layout(HWND dialog)
    {
        RECT window = {}, client = {};
        GetWindowRect(dialog, &window);
        GetClientRect(dialog, &client);
        std::string line = "{\"event\":\"layout\",\"dpi\":" + std::to_string(window_dpi(dialog)) +
                           ",\"window\":" + json_rect(window) + ",\"client\":[" +
                           std::to_string(client.right) + "," + std::to_string(client.bottom) +
                           "],\"controls\":{";
        const int ids[] = {1001, 1002, 1003};
        for (int id : ids) {
            line += (id == ids[0] ? "\"" : ",\"") + std::to_string(id) + "\":" +
                    json_rect(client_rect_of(GetDlgItem(dialog, id), dialog));
        }
        transcript_.line(line + "}}");
    }

    // The progress shot is taken once the current-file bar has moved, so that the
    // dialog has been painted and both bars show something.
    void shoot_progress(HWND dialog)
    {
        if (progress_shot_ || options_.shots.empty() || !dialog || !IsWindowVisible(dialog))
            return;
        DWORD_PTR position = 0;
        if (!SendMessageTimeoutW(GetDlgItem(dialog, 1003), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG,
                                 200, &position) ||
            position < 200)
            return;
        progress_shot_ = true;
        shot(L"progress");
    }

    void answer(HWND box, HWND dialog)
    {
        std::vector<Cbutton> buttons;
        EnumChildWindows(box, collect_button, reinterpret_cast<LPARAM>(&buttons));
        std::string line = "{\"event\":\"box\",\"caption\":" + json_string(window_text(box)) +
                           ",\"text\":" + json_string(window_text(GetDlgItem(box, 0xFFFF))) +
                           ",\"buttons\":[";
        int default_id = 0;
        bool has_yes = false;
        for (size_t i = 0; i < buttons.size(); ++i) {
            line += (i ? "," : "") + std::to_string(buttons[i].id);
            if (buttons[i].is_default)
                default_id = buttons[i].id;
            has_yes = has_yes || buttons[i].id == IDYES;
        }
        const bool dialog_visible = dialog && IsWindowVisible(dialog);
        RECT window = {};
        GetWindowRect(box, &window);
        line += "],\"default\":" + std::to_string(default_id) +
                ",\"dialog\":" + (dialog_visible ? "true" : "false") +
                ",\"dpi\":" + std::to_string(window_dpi(box)) + ",\"window\":" + json_rect(window) +
                ",\"text_rect\":" + json_rect(client_rect_of(GetDlgItem(box, 0xFFFF), box)) + "}";
        transcript_.line(line);
        shot(has_yes ? L"question" : L"box");

        int reply = IDOK;
        if (has_yes && !deleted_before_answer_ && !options_.delete_before_answer.empty()) {
            DeleteFileW(options_.delete_before_answer.c_str());
            deleted_before_answer_ = true;
        }
        if (has_yes) {
            reply = IDNO;
            if (next_answer_ < options_.answers.size())
                reply = options_.answers[next_answer_++] == L"yes" ? IDYES : IDNO;
        }
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(reply, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, reply)));
    }

    const Coptions& options_;
    bool deleted_before_answer_ = false;
    Ctranscript transcript_;
    HANDLE process_;
    DWORD process_id_;
    bool acted_ = false;
    HANDLE held_ = INVALID_HANDLE_VALUE;
    std::set<HWND> answered_;
    size_t next_answer_ = 0;
    HWND last_dialog_ = nullptr;
    std::wstring last_dialog_text_;
    int dialog_files_ = 0;
    int shot_count_ = 0;
    bool progress_shot_ = false;
};

bool parse(int argc, wchar_t** argv, Coptions& options)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring key = argv[i];
        const std::wstring value = argv[i + 1];
        if (key == L"--exe")
            options.exe = value;
        else if (key == L"--cwd")
            options.cwd = value;
        else if (key == L"--transcript")
            options.transcript = value;
        else if (key == L"--answer")
            options.answers.push_back(value);
        else if (key == L"--shots")
            options.shots = value;
        else if (key == L"--close-dialog-at")
            options.close_dialog_at = _wtoi(value.c_str());
        else if (key == L"--poll-ms")
            options.poll_ms = _wtoi(value.c_str());
        else if (key == L"--timeout")
            options.timeout_seconds = _wtoi(value.c_str());
        else if (key == L"--at-file")
            options.at_file = value;
        else if (key == L"--when-exists")
            options.when_exists = value;
        else if (key == L"--delete")
            options.delete_path = value;
        else if (key == L"--hold")
            options.hold_path = value;
        else if (key == L"--kill")
            options.kill = value == L"yes";
        else if (key == L"--delete-before-answer")
            options.delete_before_answer = value;
        else if (key == L"--args")
            options.args = value;
        else
            return false;
    }
    return !options.exe.empty() && !options.transcript.empty();
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    Coptions options;
    if (!parse(argc, argv, options)) {
        fwprintf(stderr, L"usage: watcher --exe PATH --transcript FILE [--cwd DIR] "
                         L"[--answer yes|no]... [--shots DIR] [--close-dialog-at N] "
                         L"[--timeout S] [--args TEXT]\n");
        return 2;
    }
    become_dpi_aware();
    std::wstring command_line = L"\"" + options.exe + L"\"";
    if (!options.args.empty())
        command_line += L" " + options.args;
    LARGE_INTEGER frequency, started, ended;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&started);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(options.exe.c_str(), &command_line[0], nullptr, nullptr, FALSE, 0,
                        nullptr, options.cwd.empty() ? nullptr : options.cwd.c_str(), &startup,
                        &process)) {
        fwprintf(stderr, L"cannot start %ls (error %lu)\n", options.exe.c_str(), GetLastError());
        return 3;
    }
    Cwatcher watcher(options, process.hProcess, process.dwProcessId);
    const ULONGLONG deadline = GetTickCount64() + options.timeout_seconds * 1000ULL;
    for (;;) {
        watcher.look();
        if (WaitForSingleObject(process.hProcess, options.poll_ms) == WAIT_OBJECT_0)
            break;
        if (GetTickCount64() > deadline) {
            watcher.finish("{\"event\":\"timeout\"}");
            TerminateProcess(process.hProcess, 99);
            return 4;
        }
    }
    QueryPerformanceCounter(&ended);
    const long long ms = (ended.QuadPart - started.QuadPart) * 1000 / frequency.QuadPart;
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    watcher.finish("{\"event\":\"exit\",\"code\":" + std::to_string(code) +
                   ",\"ms\":" + std::to_string(ms) + "}");
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
