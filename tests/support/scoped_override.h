// Process-wide values a test changes for its own length: a seam, a path, an environment variable. Each
// puts the earlier value back when it goes out of scope, so no test leaves its changes to the next.
#pragma once

#include <windows.h>

#include <string>

template <typename T>
class ScopedOverride {
public:
    // Only remembers the value: whatever the test sets meanwhile is undone at the end of the scope.
    explicit ScopedOverride(T& slot) : slot(slot), saved(slot) {}
    ScopedOverride(T& slot, T value) : slot(slot), saved(slot) { slot = value; }
    ~ScopedOverride() { slot = saved; }
    ScopedOverride(const ScopedOverride&) = delete;
    ScopedOverride& operator=(const ScopedOverride&) = delete;

private:
    T& slot;
    T saved;
};

class ScopedPath {
public:
    explicit ScopedPath(wchar_t (&path)[MAX_PATH]) : path(path), saved(path) {}
    ScopedPath(wchar_t (&path)[MAX_PATH], const std::wstring& value) : ScopedPath(path) { Set(value); }
    ~ScopedPath() { Set(saved); }

private:
    void Set(const std::wstring& value) { wcsncpy_s(path, MAX_PATH, value.c_str(), _TRUNCATE); }

    wchar_t (&path)[MAX_PATH];
    std::wstring saved;
};

// For the variables of the test programs, which nothing else sets: child processes inherit the value,
// and it is removed again at the end of the scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name(name)
    {
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnvironment() { SetEnvironmentVariableW(name, nullptr); }

private:
    const wchar_t* name;
};
