// The identifiers of the executable's resources, shared by the resource scripts and the code that loads them.
#pragma once

#define IDI_NUBLARO 101

// The string table: every word the window and its message boxes show.
#define IDS_WAITING 1
#define IDS_LABEL 2
#define IDS_ACTIVE 3
#define IDS_INACTIVE 4
#define IDS_SWITCH_NAME 5
#define IDS_ELEVATION_WARNING 6
#define IDS_OPEN_IN_ANOTHER_SESSION 7
#define IDS_SAVED_SETTINGS_NOT_WRITTEN 8
#define IDS_SAVED_SETTINGS_NOT_READ 9
#define IDS_DNS_SET_BY_POLICY 10
#define IDS_ENCRYPTED_DNS_REQUIRED 11
#define IDS_NO_ADAPTER_CONNECTED 12
#define IDS_SERVERS_NOT_READ 13
#define IDS_FILTER_NOT_APPLIED 14
#define IDS_SERVERS_NOT_GIVEN_BACK 15
