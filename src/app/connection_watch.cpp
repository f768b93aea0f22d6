// The machine's connections, watched while filtering is on: every interface or address change posts a
// message to the window, which lets a burst of them settle before it catches up.
#include "app/connection_watch.h"

decltype(&NotifyIpInterfaceChange) NotifyIpInterfaceChangeProc = NotifyIpInterfaceChange;
decltype(&NotifyUnicastIpAddressChange) NotifyUnicastIpAddressChangeProc = NotifyUnicastIpAddressChange;
decltype(&CancelMibChangeNotify2) CancelMibChangeNotify2Proc = CancelMibChangeNotify2;

static bool Watching;
// Null where nothing is to be cancelled: Wine answers success with a null handle.
static HANDLE InterfaceWatch;
static HANDLE AddressWatch;

// A callback only tells: it runs on a thread of the system's, and the window decides.
static void WINAPI InterfaceChanged(PVOID window, PMIB_IPINTERFACE_ROW, MIB_NOTIFICATION_TYPE)
{
    PostMessageW(static_cast<HWND>(window), WM_CONNECTIONS_CHANGED, 0, 0);
}

static void WINAPI AddressChanged(PVOID window, PMIB_UNICASTIPADDRESS_ROW, MIB_NOTIFICATION_TYPE)
{
    PostMessageW(static_cast<HWND>(window), WM_CONNECTIONS_CHANGED, 0, 0);
}

// An interface that arrives or comes up, and an address it gets once up: either may come first.
void StartWatchingConnections(HWND window)
{
    if (Watching)
        return;
    Watching = true;
    if (NotifyIpInterfaceChangeProc(AF_UNSPEC, InterfaceChanged, window, FALSE, &InterfaceWatch) != NO_ERROR)
        InterfaceWatch = nullptr;
    if (NotifyUnicastIpAddressChangeProc(AF_UNSPEC, AddressChanged, window, FALSE, &AddressWatch) != NO_ERROR)
        AddressWatch = nullptr;
}

static void Cancel(HANDLE* watch)
{
    if (*watch)
        CancelMibChangeNotify2Proc(*watch);
    *watch = nullptr;
}

void StopWatchingConnections(HWND window)
{
    if (!Watching)
        return;
    Watching = false;
    Cancel(&InterfaceWatch);
    Cancel(&AddressWatch);
    KillTimer(window, CatchUpTimer);
}

void OnConnectionsChanged(HWND window)
{
    if (Watching)
        SetTimer(window, CatchUpTimer, CatchUpDelayMs, nullptr);
}
