#pragma once
// Replaces the program's message boxes for the life of one object: records every
// box that would be shown and answers from a script (IDOK when the script is out).

#include <windows.h>

#include <string>
#include <vector>

struct Cshown_box {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT style;
};

class Crecording_boxes {
public:
    explicit Crecording_boxes(std::vector<int> answers = {});
    ~Crecording_boxes();
    Crecording_boxes(const Crecording_boxes&) = delete;
    Crecording_boxes& operator=(const Crecording_boxes&) = delete;

    const std::vector<Cshown_box>& shown() const { return shown_; }
    std::vector<std::wstring> texts() const;
    void clear() { shown_.clear(); }

private:
    static int record(HWND owner, const std::wstring& text, const std::wstring& caption,
                      UINT style);

    std::vector<int> answers_;
    std::vector<Cshown_box> shown_;
    int (*previous_)(HWND, const std::wstring&, const std::wstring&, UINT);
};
