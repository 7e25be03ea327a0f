#pragma once
// Text files in update.ini's code page (932 on every system), read as lines of wide text.

#include <string>
#include <vector>

// Empties `lines`, then reads the file in text mode and appends its lines (without
// their line feeds). False when the file cannot be opened; `lines` stays empty.
bool read_text_lines(const std::wstring& path, std::vector<std::wstring>& lines);

// The whole file, read in text mode ("rt": CR LF folded to LF, 0x1A ends the
// data) and converted from code page 932. False when it cannot be opened.
bool read_text_file(const std::wstring& path, std::wstring& text);

// Appends the lines of `text` to `lines`: N line feeds give N + 1 lines.
void split_lines(const std::wstring& text, std::vector<std::wstring>& lines);

// Appends the lines of text-mode bytes to `lines`, each converted from the ANSI code
// page on its own: the bytes are split at their line feeds first, so that a lead
// byte at the end of a line never takes the line feed as its second byte. Nothing
// after the first zero byte is read. N line feeds give N + 1 lines.
void split_ansi_lines(const std::string& bytes, std::vector<std::wstring>& lines);
