// Saved-settings files as a hostile or careless program could leave them: random bytes, random text,
// long lines, "|" storms, UTF-16 with and without marks, and valid rows with hostile fields.
#include "support/generated_files.h"

#include <winsock2.h>
#include <ws2tcpip.h>

static const char Utf8Bom[] = "\xEF\xBB\xBF";

static std::string RandomBytes(std::mt19937& random, size_t maxLength)
{
    std::string bytes(random() % (maxLength + 1), '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

static std::string RandomText(std::mt19937& random, size_t maxLength)
{
    static const char alphabet[] = "0123456789abcdefABCDEF:.,; |||=\"'%&^\t\r\n\r\n#v2{}-xyz\xC3\xB1\x01\x7F";
    std::string text(random() % (maxLength + 1), ' ');
    for (char& c : text)
        c = alphabet[random() % (sizeof(alphabet) - 1)];
    return text;
}

static std::string Header(std::mt19937& random)
{
    return random() % 5 == 0 ? "" : (random() % 2 ? std::string(Utf8Bom) : "") + "#v2\r\n";
}

static std::string AsUtf16(const std::string& text, const char* mark)
{
    std::string bytes = mark;
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

static std::string HostileElement(std::mt19937& random)
{
    static const char* const elements[] = {
        "10.0.0.1", "fd00::1", "192.168.1.1", "::ffff:1.2.3.4", "evil=1", "\"10.0.0.2\"", "10.0.0.3 validate=no",
        "1.1.1.1&calc", "%s%n", "\x01", "fe80::1%3", "999.1.1.1", "0x7f.0.0.1", "1.2.3", "1.1.1.1;2.2.2.2",
        "\xC3\xB1", "", " ", "interface ipv4 set dns name=1 source=static address=6.6.6.6", "127.0.0.1\t",
        "2a10:50c0::ad1:ff", "94.140.14.14", "::", "1::2::3", "12345678901234567890",
    };
    return elements[random() % (sizeof(elements) / sizeof(elements[0]))];
}

static std::string HostileList(std::mt19937& random)
{
    std::string list;
    int count = random() % 6;
    for (int i = 0; i < count; ++i)
        list += (i ? (random() % 4 ? "," : " ") : "") + HostileElement(random);
    return list;
}

static std::string AnyCase(std::mt19937& random, std::string name)
{
    for (char& c : name)
        c = static_cast<char>(random() % 2 ? tolower(c) : toupper(c));
    return name;
}

static std::string HostileRows(std::mt19937& random, const char* const* adapterNames, int adapterCount)
{
    std::string file = Header(random);
    int rows = random() % 8;
    for (int i = 0; i < rows; ++i) {
        std::string name = random() % 5 ? AnyCase(random, adapterNames[random() % adapterCount]) : RandomText(random, 50);
        file += name + "|" + HostileList(random) + "|" + HostileList(random) + (random() % 3 ? "\r\n" : "\n");
    }
    return file;
}

std::string GeneratedSavedSettingsFile(std::mt19937& random, const char* const* adapterNames, int adapterCount)
{
    switch (random() % 8) {
    case 0: return RandomBytes(random, 2000);
    case 1: return Header(random) + RandomText(random, 2000);
    case 2: return Header(random) + RandomText(random, 40) + "|" + std::string(500 + random() % 3000, 'x') + "|\r\n";
    case 3: return Header(random) + std::string(random() % 2000, '|') + "\r\n" + RandomText(random, 200);
    case 4: return AsUtf16(Header(random) + HostileRows(random, adapterNames, adapterCount), "\xFF\xFE");
    case 5: return AsUtf16(Header(random) + RandomText(random, 500), random() % 2 ? "" : "\xFE\xFF");
    default: return HostileRows(random, adapterNames, adapterCount);
    }
}

bool IsPlainAddress(const std::wstring& text)
{
    if (text.empty() || text.find_first_not_of(L"0123456789abcdefABCDEF:.") != std::wstring::npos)
        return false;
    BYTE address[16];
    return InetPtonW(AF_INET, text.c_str(), address) == 1 || InetPtonW(AF_INET6, text.c_str(), address) == 1;
}
