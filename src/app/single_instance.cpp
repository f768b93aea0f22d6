// One copy of Nublaro per machine: DNS settings are the machine's, whoever is signed in.
#include "app/single_instance.h"

#include <aclapi.h>
#include <sddl.h>

#include "app/elevation.h"
#include "app/main_window.h"
#include "app/window_procedure.h"

const wchar_t InstanceLockName[] = L"Global\\Nublaro.OneCopyPerMachine";

// Owned by Administrators and open to them and SYSTEM only. Any program may make an object of this name
// first, but not one that Administrators own, so that is how a copy of Nublaro's is told apart.
static const wchar_t InstanceLockDescriptor[] = L"O:BAD:P(A;;GA;;;BA)(A;;GA;;;SY)";
static const DWORD LockPollMs = 100;
static const UINT HandOffTimeoutMs = 2000;

static bool IsOwnedByAdministratorsOrSystem(HANDLE object)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return false;
    bool trusted = owner && (IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                             IsWellKnownSid(owner, WinLocalSystemSid));
    LocalFree(descriptor);
    return trusted;
}

// Returns the lock another copy made, or null: this copy then holds a new lock for its life (its handle
// is never closed), or the name is taken by an object that is no copy's and guards nothing.
static HANDLE OpenOtherCopysLock(const wchar_t* name)
{
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), nullptr, FALSE};
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(InstanceLockDescriptor, SDDL_REVISION_1,
                                                              &attributes.lpSecurityDescriptor, nullptr))
        return nullptr;
    HANDLE lock = CreateMutexW(&attributes, TRUE, name);
    DWORD error = GetLastError();
    LocalFree(attributes.lpSecurityDescriptor);
    if (!lock || error != ERROR_ALREADY_EXISTS)
        return nullptr; // a copy's lock admits Administrators: a refused one is not a copy's
    if (IsOwnedByAdministratorsOrSystem(lock))
        return lock;
    CloseHandle(lock);
    return nullptr;
}

static bool IsElevatedWindow(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return false;
    bool elevated = IsProcessElevated(process);
    CloseHandle(process);
    return elevated;
}

// Any program may make a window of Nublaro's class; one without rights cannot make an elevated one.
static HWND FindRunningCopysWindow()
{
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, MainWindowClass, nullptr));) {
        if (IsElevatedWindow(window))
            return window;
    }
    return nullptr;
}

// The running copy brings itself forward: it may, once this process, which the user just started and
// which is in front, lets it. A window that does not answer is taken for none.
HandOff HandOffToRunningCopy()
{
    HWND window = FindRunningCopysWindow();
    if (!window)
        return NoRunningCopysWindow;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    AllowSetForegroundWindow(processId);
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, RegisterWindowMessageW(ComeForwardMessageName), 0, 0, SMTO_ABORTIFHUNG,
                             HandOffTimeoutMs, &answer))
        return NoRunningCopysWindow;
    return answer == static_cast<DWORD_PTR>(ClosingAnswer) ? RunningCopyClosing : RunningCopyCameForward;
}

// A closing copy may give servers back through netsh for up to a minute.
static InstanceVerdict WaitForOtherCopy(HANDLE lock, DWORD windowWaitMs)
{
    for (DWORD waited = 0;; waited += LockPollMs) {
        DWORD result = WaitForSingleObject(lock, LockPollMs);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED)
            return RunThisCopy; // the other copy ended; this one holds the lock now, for its life
        HandOff handOff = HandOffToRunningCopy();
        if (handOff == RunningCopyCameForward)
            return OtherCopyCameForward;
        if (handOff == RunningCopyClosing)
            waited = 0;
        else if (waited >= windowWaitMs)
            return OtherCopyInAnotherSession;
    }
}

InstanceVerdict SettleSingleInstance(const wchar_t* lockName, DWORD windowWaitMs)
{
    HANDLE lock = OpenOtherCopysLock(lockName);
    if (!lock)
        return RunThisCopy;
    InstanceVerdict verdict = WaitForOtherCopy(lock, windowWaitMs);
    if (verdict != RunThisCopy)
        CloseHandle(lock);
    return verdict;
}
