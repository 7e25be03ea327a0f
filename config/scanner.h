#pragma once
// A small backtracking scanner over one line of text, and a scanf-like matcher on
// top of it. Every operation either succeeds and moves the cursor past what it
// consumed, or fails and leaves the cursor exactly where it was.

#include <cstdint>
#include <initializer_list>
#include <string>

// Where scan() stores the value of one directive: an integer for %d, a wide string
// for %s. Built implicitly from a reference, so a call reads
// scanner.scan(L"#KEY = %s", {value}).
class Cscan_output {
public:
    Cscan_output(std::int32_t& number) : number_(&number) {}
    Cscan_output(std::wstring& text) : text_(&text) {}

    std::int32_t* number() const { return number_; }
    std::wstring* text() const { return text_; }

private:
    std::int32_t* number_ = nullptr;
    std::wstring* text_ = nullptr;
};

class Cscanner {
public:
    // Scans [first, end), which must outlive the scanner. The characters of
    // `blanks` are those that the skipping operations pass over; the set is copied.
    Cscanner(const std::wstring& blanks, const wchar_t* first, const wchar_t* end);

    // Passes the blanks at the cursor; true when a character remains after them.
    bool skip_blanks();
    // True when only blanks remain (the cursor is then at the end).
    bool is_end();

    bool match_char(wchar_t c);
    bool skip_match_char(wchar_t c);

    // The next character, consumed; c is 0 when none remains.
    bool get_char(wchar_t& c);
    bool skip_get_char(wchar_t& c);

    // A run of decimal digits, accumulated modulo 2^32.
    bool get_uint(std::uint32_t& value);
    // An optionally signed number: blanks, '+' or '-', blanks, digits.
    bool get_int(std::int32_t& value);

    // A double-quoted string; a backslash makes the next character literal. The
    // value is stored only when the closing quote is found.
    bool get_quoted(std::wstring& value);
    bool skip_get_quoted(std::wstring& value);

    // Matches the pattern at the cursor: a space passes blanks but needs something
    // after them, %d reads get_int, %s reads skip_get_quoted, any other character
    // must be the next character. The values of the directives go to `outputs` in
    // order. On failure the cursor is back where it was; outputs already filled by
    // this call keep their values. A directive whose destination is missing or of
    // the other kind fails the scan.
    bool scan(const std::wstring& pattern, std::initializer_list<Cscan_output> outputs = {});

    const wchar_t* cursor() const { return cursor_; }

private:
    bool is_blank(wchar_t c) const;
    void pass_blanks();

    const wchar_t* cursor_;
    const wchar_t* end_;
    std::wstring blanks_;
};
