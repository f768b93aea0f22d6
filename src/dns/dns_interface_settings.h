// The system's per-interface DNS settings call, declared here where the headers at hand lack it.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <stddef.h>

#ifndef DNS_INTERFACE_SETTINGS_VERSION1
#define DNS_INTERFACE_SETTINGS_VERSION1 0x0001
#define DNS_SETTING_IPV6 0x0001
#define DNS_SETTING_NAMESERVER 0x0002

typedef struct _DNS_INTERFACE_SETTINGS {
    ULONG Version;
    ULONG64 Flags;
    PWSTR Domain;
    PWSTR NameServer;
    PWSTR SearchList;
    ULONG RegistrationEnabled;
    ULONG RegisterAdapterName;
    ULONG EnableLLMNR;
    ULONG QueryAdapterName;
    PWSTR ProfileNameServer;
} DNS_INTERFACE_SETTINGS;
#endif

#ifdef _WIN64
static_assert(offsetof(DNS_INTERFACE_SETTINGS, Flags) == 8, "Flags follows Version after 4 bytes of padding");
static_assert(offsetof(DNS_INTERFACE_SETTINGS, NameServer) == 24, "layout of netioapi.h");
static_assert(offsetof(DNS_INTERFACE_SETTINGS, RegistrationEnabled) == 40, "layout of netioapi.h");
static_assert(offsetof(DNS_INTERFACE_SETTINGS, ProfileNameServer) == 56, "layout of netioapi.h");
static_assert(sizeof(DNS_INTERFACE_SETTINGS) == 64, "layout of netioapi.h");
#endif

// Version 3, Windows 11: the same fields, then per-server properties such as DNS over HTTPS.
#ifndef DNS_INTERFACE_SETTINGS_VERSION3
#define DNS_INTERFACE_SETTINGS_VERSION3 0x0003
#define DNS_SETTING_DOH 0x1000
#define DNS_SERVER_PROPERTY_VERSION1 0x0001
#define DNS_DOH_SERVER_SETTINGS_ENABLE_AUTO 0x0001
#define DNS_DOH_SERVER_SETTINGS_ENABLE 0x0002
#define DNS_DOH_SERVER_SETTINGS_FALLBACK_TO_UDP 0x0004
#define DNS_DOH_SERVER_SETTINGS_ENABLE_DDR 0x0008

typedef struct _DNS_DOH_SERVER_SETTINGS {
    PWSTR Template;
    ULONG64 Flags;
} DNS_DOH_SERVER_SETTINGS;

typedef enum _DNS_SERVER_PROPERTY_TYPE {
    DnsServerInvalidProperty = 0,
    DnsServerDohProperty = 1,
} DNS_SERVER_PROPERTY_TYPE;

typedef union _DNS_SERVER_PROPERTY_TYPES {
    DNS_DOH_SERVER_SETTINGS* DohSettings;
} DNS_SERVER_PROPERTY_TYPES;

typedef struct _DNS_SERVER_PROPERTY {
    ULONG Version;
    ULONG ServerIndex; // the server's position in NameServer, from 0
    DNS_SERVER_PROPERTY_TYPE Type;
    DNS_SERVER_PROPERTY_TYPES Property;
} DNS_SERVER_PROPERTY;

typedef struct _DNS_INTERFACE_SETTINGS3 {
    ULONG Version;
    ULONG64 Flags;
    PWSTR Domain;
    PWSTR NameServer;
    PWSTR SearchList;
    ULONG RegistrationEnabled;
    ULONG RegisterAdapterName;
    ULONG EnableLLMNR;
    ULONG QueryAdapterName;
    PWSTR ProfileNameServer;
    ULONG DisableUnconstrainedQueries;
    PWSTR SupplementalSearchList;
    ULONG cServerProperties;
    DNS_SERVER_PROPERTY* ServerProperties;
    ULONG cProfileServerProperties;
    DNS_SERVER_PROPERTY* ProfileServerProperties;
} DNS_INTERFACE_SETTINGS3;
#endif

#ifdef _WIN64
static_assert(sizeof(DNS_DOH_SERVER_SETTINGS) == 16, "layout of netioapi.h");
static_assert(offsetof(DNS_SERVER_PROPERTY, Property) == 16, "layout of netioapi.h");
static_assert(sizeof(DNS_SERVER_PROPERTY) == 24, "layout of netioapi.h");
static_assert(offsetof(DNS_INTERFACE_SETTINGS3, ProfileNameServer) == 56, "version 1's fields come first");
static_assert(offsetof(DNS_INTERFACE_SETTINGS3, cServerProperties) == 80, "layout of netioapi.h");
static_assert(offsetof(DNS_INTERFACE_SETTINGS3, ServerProperties) == 88, "layout of netioapi.h");
static_assert(sizeof(DNS_INTERFACE_SETTINGS3) == 112, "layout of netioapi.h");
#endif

// Both calls take any version of the settings, told by its Version field.
typedef DWORD WINAPI SetInterfaceDnsSettingsFn(GUID interfaceGuid, const DNS_INTERFACE_SETTINGS* settings);
typedef DWORD WINAPI GetInterfaceDnsSettingsFn(GUID interfaceGuid, DNS_INTERFACE_SETTINGS* settings);
typedef void WINAPI FreeInterfaceDnsSettingsFn(DNS_INTERFACE_SETTINGS* settings);
