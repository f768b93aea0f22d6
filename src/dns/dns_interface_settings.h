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

typedef DWORD WINAPI SetInterfaceDnsSettingsFn(GUID interfaceGuid, const DNS_INTERFACE_SETTINGS* settings);
