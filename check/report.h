#pragma once
// The check's report as text: the findings, one per line, then the summary of what
// the update holds and, when an installation was named, what it would do there.
// Lines end in '\n'.

#include <cstdint>
#include <string>

#include "check/update_check.h"

// 1234567 as "1,234,567".
std::wstring grouped_number(std::uint64_t number);

// `installation` may be null.
std::wstring format_report(const Cfolder_check& check, const Cinstallation_check* installation);
