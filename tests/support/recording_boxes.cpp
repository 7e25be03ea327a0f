#include "support/recording_boxes.h"

#include "session/message_box.h"

namespace {
Crecording_boxes* active = nullptr;
}

Crecording_boxes::Crecording_boxes(std::vector<int> answers)
    : answers_(std::move(answers)), previous_(replace_message_box(&Crecording_boxes::record))
{
    active = this;
}

Crecording_boxes::~Crecording_boxes()
{
    replace_message_box(previous_);
    active = nullptr;
}

std::vector<std::wstring> Crecording_boxes::texts() const
{
    std::vector<std::wstring> result;
    for (const Cshown_box& box : shown_)
        result.push_back(box.text);
    return result;
}

int Crecording_boxes::record(HWND owner, const std::wstring& text, const std::wstring& caption,
                             UINT style)
{
    active->shown_.push_back({owner, text, caption, style});
    if (active->answers_.empty())
        return IDOK;
    const int answer = active->answers_.front();
    active->answers_.erase(active->answers_.begin());
    return answer;
}
