#pragma once
// One finding of the publisher's check, and how it is written: the form compilers
// use, so that editors and build logs can jump to it.
//   update.ini(12): warning: TEXT     a finding about line 12 (counted from 1)
//   update.ini: error: TEXT           a finding about the whole file or the folder
// Findings about gamedata.sha256 are written with its name in place of update.ini.

#include <string>
#include <utility>
#include <vector>

enum class Cseverity { warning, error };

struct Cfinding {
    Cfinding() = default;
    Cfinding(int line, Cseverity severity, std::wstring text, std::wstring file = std::wstring())
        : line(line), severity(severity), text(std::move(text)), file(std::move(file))
    {
    }

    int line = 0;  // 0: about the whole file or the folder
    Cseverity severity = Cseverity::warning;
    std::wstring text;
    std::wstring file;  // the file it is about; empty: update.ini
};

using Cfindings = std::vector<Cfinding>;

inline bool operator==(const Cfinding& a, const Cfinding& b)
{
    return a.line == b.line && a.severity == b.severity && a.text == b.text && a.file == b.file;
}

std::wstring format_finding(const Cfinding& finding);

// 0 with no finding, 1 with warnings only, 2 with any error.
int check_exit_code(const Cfindings& findings);
