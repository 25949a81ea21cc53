#pragma once

#include <string_view>

// The program's own version, also part of the update question and the caption "Lumora1.00".
inline constexpr std::string_view kOwnVersion = "1.00";

// True when `latest` is exactly four bytes long and greater than the own version, compared byte
// by byte as unsigned values. "1.1", "1.001" and "1.00" are not newer; "1.01", "1.10", "2.00" are.
bool IsNewerVersion(std::string_view latest);

// True when `name`, joined below the update folder, names a file directly inside it: not empty,
// not "." or "..", and free of "/" and NUL bytes.
bool IsSafeUpdateFileName(std::string_view name);
