#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "support/files.h"

// The DLLs every Windows has; nothing from the compiler's own runtime may be imported.
static const char* const SystemDlls[] = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
    "iphlpapi.dll", "bcrypt.dll", "rasapi32.dll", "msvcrt.dll", "ntdll.dll", "ws2_32.dll",
};

static std::vector<char> ReadExecutable(const wchar_t* name)
{
    std::string bytes = ReadBytes(BesideTests(name));
    return std::vector<char>(bytes.begin(), bytes.end());
}

static const IMAGE_NT_HEADERS64* NtHeaders(const std::vector<char>& image)
{
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    return reinterpret_cast<const IMAGE_NT_HEADERS64*>(image.data() + dos->e_lfanew);
}

static const char* AtRva(const std::vector<char>& image, DWORD rva)
{
    const IMAGE_NT_HEADERS64* nt = NtHeaders(image);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        DWORD size = std::max(section->Misc.VirtualSize, section->SizeOfRawData);
        if (rva >= section->VirtualAddress && rva < section->VirtualAddress + size)
            return image.data() + section->PointerToRawData + (rva - section->VirtualAddress);
    }
    return nullptr;
}

static std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return static_cast<char>(tolower(c)); });
    return text;
}

// The DLLs the loader resolves before any code of the program runs.
static std::set<std::string> StaticImports(const std::vector<char>& image)
{
    std::set<std::string> dlls;
    DWORD rva = NtHeaders(image)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    auto entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(rva ? AtRva(image, rva) : nullptr);
    for (; entry && entry->Name; ++entry)
        dlls.insert(Lower(AtRva(image, entry->Name)));
    return dlls;
}

// The DLLs loaded on first use, where the linker records them (GNU ld does not).
static std::set<std::string> DelayImports(const std::vector<char>& image)
{
    std::set<std::string> dlls;
    DWORD rva = NtHeaders(image)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].VirtualAddress;
    auto entry = reinterpret_cast<const IMAGE_DELAYLOAD_DESCRIPTOR*>(rva ? AtRva(image, rva) : nullptr);
    for (; entry && entry->DllNameRVA; ++entry)
        dlls.insert(Lower(AtRva(image, entry->DllNameRVA)));
    return dlls;
}

TEST(ImportTable, NamesOnlyDllsThatEveryWindowsHas)
{
    std::vector<char> image = ReadExecutable(L"Nublaro.exe");
    ASSERT_GT(image.size(), 1024u);
    ASSERT_EQ(NtHeaders(image)->Signature, IMAGE_NT_SIGNATURE);
    ASSERT_EQ(NtHeaders(image)->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);

    std::set<std::string> dlls = StaticImports(image);
    EXPECT_TRUE(dlls.count("kernel32.dll"));
    EXPECT_FALSE(dlls.count("iphlpapi.dll")) << "not a known DLL: it must load after the search is restricted";
    for (const std::string& dll : DelayImports(image))
        dlls.insert(dll);
    for (const std::string& dll : dlls) {
        SCOPED_TRACE(dll);
        EXPECT_NE(std::find(std::begin(SystemDlls), std::end(SystemDlls), dll), std::end(SystemDlls));
    }
}

// The C++ runtime brings its terminate handler's messages and its type names; none may be linked in.
TEST(Executable, FitsIn80KiBWithoutTheCppRuntime)
{
    std::vector<char> image = ReadExecutable(L"Nublaro.exe");
    ASSERT_GT(image.size(), 1024u);
    EXPECT_LE(image.size(), 80u * 1024);
    std::string bytes(image.begin(), image.end());
    for (const char* marker : {"terminate called", "St9exception", "St9bad_alloc", "__gxx_personality", "libstdc++",
                               "basic_string"}) {
        SCOPED_TRACE(marker);
        EXPECT_EQ(bytes.find(marker), std::string::npos);
    }
}

static std::string ResourceText(HMODULE module, int id, LPCWSTR type)
{
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!resource)
        return "";
    return std::string(static_cast<const char*>(LockResource(LoadResource(module, resource))),
                       SizeofResource(module, resource));
}

static std::wstring VersionValue(const std::vector<BYTE>& info, const wchar_t* name)
{
    wchar_t* value = nullptr;
    UINT length = 0;
    std::wstring path = std::wstring(L"\\StringFileInfo\\0c0a04b0\\") + name;
    if (!VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
        return L"<missing>";
    return value;
}

TEST(ImportTable, IsAWindowedProgramWithItsManifestVersionAndIcon)
{
    std::vector<char> image = ReadExecutable(L"Nublaro.exe");
    ASSERT_GT(image.size(), 1024u);
    EXPECT_EQ(NtHeaders(image)->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    EXPECT_EQ(NtHeaders(image)->OptionalHeader.MajorSubsystemVersion, 6) << "as MSVC links for x64";
    EXPECT_EQ(NtHeaders(image)->OptionalHeader.MinorSubsystemVersion, 0);
    EXPECT_TRUE(NtHeaders(image)->OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE)
        << "else a Remote Desktop server may give it a Windows folder its user can write";

    HMODULE module = LoadLibraryExW(L"Nublaro.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    std::string manifest = ResourceText(module, 1, RT_MANIFEST);
    for (const char* part : {"<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2<",
                             ">true/pm<", "level=\"asInvoker\"", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
                             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""}) {
        SCOPED_TRACE(part);
        EXPECT_NE(manifest.find(part), std::string::npos);
    }

    // Square PNG images at 16 to 64 pixels and at 256 (written as 0).
    std::string groupBytes = ResourceText(module, 101, RT_GROUP_ICON);
    ASSERT_GE(groupBytes.size(), 6u);
    const BYTE* group = reinterpret_cast<const BYTE*>(groupBytes.data());
    std::set<int> sizes;
    for (int i = 0; i < *reinterpret_cast<const WORD*>(group + 4); ++i) {
        const BYTE* entry = group + 6 + 14 * i;
        EXPECT_EQ(entry[0], entry[1]) << "square";
        EXPECT_EQ(*reinterpret_cast<const WORD*>(entry + 6), 32) << "bits per pixel";
        std::string bytes = ResourceText(module, *reinterpret_cast<const WORD*>(entry + 12), RT_ICON);
        EXPECT_EQ(bytes.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0) << int(entry[0]);
        sizes.insert(entry[0] == 0 ? 256 : entry[0]);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 20, 24, 32, 40, 48, 64, 256}));
    FreeLibrary(module);

    std::wstring path = BesideTests(L"Nublaro.exe");
    std::vector<BYTE> info(GetFileVersionInfoSizeW(path.c_str(), nullptr));
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    EXPECT_EQ(VersionValue(info, L"FileDescription"), L"Nublaro");
    EXPECT_EQ(VersionValue(info, L"ProductName"), L"Nublaro");
    EXPECT_EQ(VersionValue(info, L"OriginalFilename"), L"Nublaro.exe");
    EXPECT_EQ(VersionValue(info, L"FileVersion"), L"" NUBLARO_PROJECT_VERSION);
    EXPECT_EQ(VersionValue(info, L"ProductVersion"), L"" NUBLARO_PROJECT_VERSION);
    EXPECT_EQ(VersionValue(info, L"LegalCopyright"), L"Copyright (c) 2026 The Nublaro developers. MIT License.");
}
