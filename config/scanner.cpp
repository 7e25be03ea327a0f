#include "config/scanner.h"

Cscanner::Cscanner(const std::wstring& blanks, const wchar_t* first, const wchar_t* end)
    : cursor_(first), end_(end), blanks_(blanks)
{
}

bool Cscanner::is_blank(wchar_t c) const
{
    return blanks_.find(c) != std::wstring::npos;
}

void Cscanner::pass_blanks()
{
    while (cursor_ != end_ && is_blank(*cursor_))
        ++cursor_;
}

bool Cscanner::skip_blanks()
{
    const wchar_t* const saved = cursor_;
    pass_blanks();
    if (cursor_ != end_)
        return true;
    cursor_ = saved;
    return false;
}

bool Cscanner::is_end()
{
    const wchar_t* const saved = cursor_;
    pass_blanks();
    if (cursor_ == end_)
        return true;
    cursor_ = saved;
    return false;
}

bool Cscanner::match_char(wchar_t c)
{
    if (cursor_ == end_ || *cursor_ != c)
        return false;
    ++cursor_;
    return true;
}

bool Cscanner::skip_match_char(wchar_t c)
{
    const wchar_t* const saved = cursor_;
    pass_blanks();
    if (match_char(c))
        return true;
    cursor_ = saved;
    return false;
}

bool Cscanner::get_char(wchar_t& c)
{
    if (cursor_ == end_) {
        c = 0;
        return false;
    }
    c = *cursor_++;
    return true;
}

bool Cscanner::skip_get_char(wchar_t& c)
{
    const wchar_t* const saved = cursor_;
    pass_blanks();
    if (get_char(c))
        return true;
    cursor_ = saved;
    return false;
}

namespace {

bool is_digit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

}  // namespace

bool Cscanner::get_uint(std::uint32_t& value)
{
    if (cursor_ == end_ || !is_digit(*cursor_))
        return false;
    std::uint32_t result = 0;  // unsigned, so that overflow wraps modulo 2^32
    while (cursor_ != end_ && is_digit(*cursor_))
        result = result * 10u + static_cast<std::uint32_t>(*cursor_++ - L'0');
    value = result;
    return true;
}

bool Cscanner::get_int(std::int32_t& value)
{
    const wchar_t* const saved = cursor_;
    bool negative = false;
    pass_blanks();
    if (!match_char(L'+')) {
        cursor_ = saved;
        negative = skip_match_char(L'-');
    }
    pass_blanks();
    std::uint32_t magnitude = 0;
    if (!get_uint(magnitude)) {
        cursor_ = saved;
        return false;
    }
    // Negated in unsigned arithmetic, then taken as two's complement.
    value = static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
    return true;
}

bool Cscanner::get_quoted(std::wstring& value)
{
    const wchar_t* position = cursor_;
    if (position == end_ || *position != L'"')
        return false;
    ++position;
    std::wstring result;
    bool escaped = false;
    for (; position != end_; ++position) {
        const wchar_t c = *position;
        if (escaped) {
            result += c;
            escaped = false;
        } else if (c == L'\\') {
            escaped = true;
        } else if (c == L'"') {
            cursor_ = position + 1;
            value = std::move(result);
            return true;
        } else {
            result += c;
        }
    }
    return false;  // no closing quote: nothing consumed, nothing stored
}

bool Cscanner::skip_get_quoted(std::wstring& value)
{
    const wchar_t* const saved = cursor_;
    pass_blanks();
    if (get_quoted(value))
        return true;
    cursor_ = saved;
    return false;
}

bool Cscanner::scan(const std::wstring& pattern, std::initializer_list<Cscan_output> outputs)
{
    const wchar_t* const saved = cursor_;
    const Cscan_output* next_output = outputs.begin();
    auto fail = [&] {
        cursor_ = saved;
        return false;
    };

    Cscanner pattern_scanner(std::wstring(), pattern.data(), pattern.data() + pattern.size());
    wchar_t p = 0;
    while (pattern_scanner.get_char(p)) {
        if (p == L' ') {
            if (!skip_blanks())
                return fail();
        } else if (p == L'%') {
            wchar_t directive = 0;
            if (!pattern_scanner.get_char(directive))
                return true;  // a lone '%' at the end of the pattern matches nothing
            if (directive == L'd') {
                if (next_output == outputs.end() || !next_output->number())
                    return fail();
                if (!get_int(*next_output->number()))
                    return fail();
                ++next_output;
            } else if (directive == L's') {
                if (next_output == outputs.end() || !next_output->text())
                    return fail();
                if (!skip_get_quoted(*next_output->text()))
                    return fail();
                ++next_output;
            }
            // Any other directive ("%%" too) matches nothing and takes no output.
        } else if (!match_char(p)) {
            return fail();
        }
    }
    return true;
}
