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
    "iphlpapi.dll", "msvcrt.dll", "ntdll.dll", "ws2_32.dll",
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
TEST(Executable, FitsIn96KiBWithoutTheCppRuntime)
{
    std::vector<char> image = ReadExecutable(L"Nublaro.exe");
    ASSERT_GT(image.size(), 1024u);
    EXPECT_LE(image.size(), 96u * 1024);
    std::string bytes(image.begin(), image.end());
    for (const char* marker : {"terminate called", "St9exception", "St9bad_alloc", "__gxx_personality", "libstdc++",
                               "basic_string"}) {
        SCOPED_TRACE(marker);
        EXPECT_EQ(bytes.find(marker), std::string::npos);
    }
}

TEST(ImportTable, IsAWindowedProgramWithTheIconAndNoManifest)
{
    std::vector<char> image = ReadExecutable(L"Nublaro.exe");
    ASSERT_GT(image.size(), 1024u);
    EXPECT_EQ(NtHeaders(image)->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    EXPECT_TRUE(NtHeaders(image)->OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE)
        << "else a Remote Desktop server may give it a Windows folder its user can write";

    HMODULE module = LoadLibraryExW(L"Nublaro.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(101), RT_GROUP_ICON), nullptr);
    EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST), nullptr);

    // One 32-bit image, stored as PNG, 350 by 349.
    const BYTE* group = static_cast<const BYTE*>(
        LockResource(LoadResource(module, FindResourceW(module, MAKEINTRESOURCEW(101), RT_GROUP_ICON))));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(*reinterpret_cast<const WORD*>(group + 4), 1) << "image count";
    EXPECT_EQ(*reinterpret_cast<const WORD*>(group + 6 + 6), 32) << "bits per pixel";
    WORD iconId = *reinterpret_cast<const WORD*>(group + 6 + 12);
    HRSRC icon = FindResourceW(module, MAKEINTRESOURCEW(iconId), RT_ICON);
    ASSERT_NE(icon, nullptr);
    const BYTE* png = static_cast<const BYTE*>(LockResource(LoadResource(module, icon)));
    ASSERT_EQ(memcmp(png, "\x89PNG\r\n\x1a\n", 8), 0);
    auto bigEndian = [](const BYTE* p) { return (p[0] << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; };
    EXPECT_EQ(bigEndian(png + 16), 350);
    EXPECT_EQ(bigEndian(png + 20), 349);
    EXPECT_EQ(png[24], 8) << "bits per channel";
    EXPECT_EQ(png[25], 6) << "colour type RGBA";
    FreeLibrary(module);
}
