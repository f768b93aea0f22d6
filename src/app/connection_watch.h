// The machine's connections, watched while filtering is on: every interface or address change posts a
// message to the window, which lets a burst of them settle before it catches up.
#pragma once

#include <winsock2.h>
#include <ws2ipdef.h>
#include <windows.h>
#include <iphlpapi.h>

const UINT WM_CONNECTIONS_CHANGED = WM_APP + 2;
// Fires once a burst of changes (docking sends many) has been quiet this long.
const UINT_PTR CatchUpTimer = 1;
const UINT CatchUpDelayMs = 1000;

void StartWatchingConnections(HWND window);
// On the main thread, never in a callback, where the cancel would wait for the callback itself. The
// settling burst is dropped, and so are notifications still on their way.
void StopWatchingConnections(HWND window);
// At WM_CONNECTIONS_CHANGED: the burst goes on, and the timer starts again.
void OnConnectionsChanged(HWND window);

// Replaceable because Wine's never call back, or only once at once, and its cancel does nothing.
extern decltype(&NotifyIpInterfaceChange) NotifyIpInterfaceChangeProc;
extern decltype(&NotifyUnicastIpAddressChange) NotifyUnicastIpAddressChangeProc;
extern decltype(&CancelMibChangeNotify2) CancelMibChangeNotify2Proc;
