#include "check/finding.h"

#include <algorithm>

#include "config/copy_sources.h"

std::wstring format_finding(const Cfinding& finding)
{
    std::wstring text = finding.file.empty() ? std::wstring(update_ini_name) : finding.file;
    if (finding.line > 0)
        text += L"(" + std::to_wstring(finding.line) + L")";
    text += finding.severity == Cseverity::error ? L": error: " : L": warning: ";
    return text + finding.text;
}

int check_exit_code(const Cfindings& findings)
{
    if (findings.empty())
        return 0;
    const bool any_error = std::any_of(findings.begin(), findings.end(), [](const Cfinding& f) {
        return f.severity == Cseverity::error;
    });
    return any_error ? 2 : 1;
}
