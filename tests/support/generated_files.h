// Saved-settings files as a hostile or careless program could leave them: random bytes, random text,
// long lines, "|" storms, UTF-16 with and without marks, and valid rows with hostile fields.
#pragma once

#include <random>
#include <string>

// Rows of the last kind name these adapters, in any letter case, so that their lists are applied.
std::string GeneratedSavedSettingsFile(std::mt19937& random, const char* const* adapterNames, int adapterCount);

// True when the text is one IPv4 or IPv6 address as the system's own parser reads it, and holds no
// character an address does not need.
bool IsPlainAddress(const std::wstring& text);
