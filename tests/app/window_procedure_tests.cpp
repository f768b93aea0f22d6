#include <gtest/gtest.h>

#include <string>
#include <thread>

#include <windows.h>

#include <commctrl.h>

#include "app/connection_watch.h"
#include "app/main_window.h"
#include "app/painting.h"
#include "app/switching_pass.h"
#include "app/window_look.h"
#include "app/window_procedure.h"
#include "app/window_state.h"
#include "dns/filtering_mode.h"
#include "support/fake_adapters.h"
#include "support/fake_dns_settings.h"
#include "support/files.h"
#include "support/palette.h"
#include "support/window_under_test.h"
#include "support/registry.h"
#include "support/test_machine.h"

static const char* const AdapterName = TestAdapterName(0xA0A1);
static const FakeAdapter Adapters[] = {{AdapterName, 41, 141, IfOperStatusUp, Ethernet}};

static int ThreadsCreated;
static HANDLE WINAPI CountingCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack, LPTHREAD_START_ROUTINE routine,
                                          LPVOID parameter, DWORD flags, LPDWORD id)
{
    ++ThreadsCreated;
    return CreateThread(security, stack, routine, parameter, flags, id);
}
static HANDLE WINAPI FailingCreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD)
{
    ++ThreadsCreated;
    return nullptr;
}

static volatile LONG PostsToRefuse;
static BOOL WINAPI SometimesFailingPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (InterlockedDecrement(&PostsToRefuse) >= 0)
        return FALSE;
    return PostMessageW(window, message, wParam, lParam);
}

static std::wstring Servers(IpFamily family)
{
    return Servers(family, AdapterName);
}

// The connection watch as Windows runs it: a change calls back on a thread of the system's, until the
// watch is cancelled.
static PVOID WatchContext;
static PIPINTERFACE_CHANGE_CALLBACK InterfaceCallback;
static PUNICAST_IPADDRESS_CHANGE_CALLBACK AddressCallback;
static int Cancels;

static NETIO_STATUS WINAPI WatchInterfaces(ADDRESS_FAMILY, PIPINTERFACE_CHANGE_CALLBACK callback, PVOID context,
                                           BOOLEAN, HANDLE* watch)
{
    InterfaceCallback = callback;
    WatchContext = context;
    *watch = &InterfaceCallback;
    return NO_ERROR;
}
static NETIO_STATUS WINAPI WatchAddresses(ADDRESS_FAMILY, PUNICAST_IPADDRESS_CHANGE_CALLBACK callback, PVOID, BOOLEAN,
                                          HANDLE* watch)
{
    AddressCallback = callback;
    *watch = &AddressCallback;
    return NO_ERROR;
}
static NETIO_STATUS WINAPI CancelWatch(HANDLE watch)
{
    ++Cancels;
    *static_cast<void**>(watch) = nullptr;
    return NO_ERROR;
}

// A burst of changes, as docking sends, each from a thread of its own.
static void ChangeConnections(int changes)
{
    PIPINTERFACE_CHANGE_CALLBACK interfaceCallback = InterfaceCallback;
    PUNICAST_IPADDRESS_CHANGE_CALLBACK addressCallback = AddressCallback;
    PVOID context = WatchContext;
    for (int i = 0; i < changes; ++i) {
        std::thread([=] {
            if (interfaceCallback)
                interfaceCallback(context, nullptr, MibAddInstance);
            if (addressCallback)
                addressCallback(context, nullptr, MibAddInstance);
        }).join();
    }
}

class WindowProcedureTest : public TestMachineTest {
protected:
    void SetUpMachine() override
    {
        PresentNewAdapters(Adapters, 1);
        SetNameServer(Ipv4Family, AdapterName, L"192.168.7.53");
        SetNameServer(Ipv6Family, AdapterName, L"fd00::7");
        UseFakeDnsSettings(AppliesToRegistry);
        ThreadsCreated = 0;
        InterfaceCallback = nullptr;
        AddressCallback = nullptr;
        Cancels = 0;

        CurrentMode = FilteringOff;
        BusyFlag = 0;
        RequestedMode = FilteringOff;
        window = CreateMainWindowAfresh();
        if (!window)
            GTEST_SKIP() << "no window can be created here (no display)";
        toggle = GetDlgItem(window, IDC_TOGGLE);
        StartAnsweringMessageBoxes(window);
    }
    void TearDown() override
    {
        std::vector<AnsweredMessageBox> boxes = StopAnsweringMessageBoxes();
        if (window) {
            EXPECT_EQ(boxes.size(), expectedBoxes.size()) << "no message when all happened as asked";
            for (size_t i = 0; i < boxes.size() && i < expectedBoxes.size(); ++i) {
                EXPECT_EQ(boxes[i].Text, expectedBoxes[i]);
                EXPECT_EQ(boxes[i].SwitchTextThen, L"Modo nublaro") << "the new state comes first";
            }
        }
        if (window && IsWindow(window)) {
            BusyFlag = 0;
            CurrentMode = FilteringOff;
            DestroyWindow(window);
        }
        DrainMessages();
        TestMachineTest::TearDown();
    }

    void Click()
    {
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_TOGGLE, BN_CLICKED), reinterpret_cast<LPARAM>(toggle));
    }
    // What assistive technology reads from the switch: a check box, its name, and whether it is checked.
    std::wstring SwitchText()
    {
        wchar_t text[64] = L"";
        GetWindowTextW(toggle, text, ARRAYSIZE(text));
        bool checkBox = (GetWindowLongW(toggle, GWL_STYLE) & BS_TYPEMASK) == BS_CHECKBOX;
        bool checked = SendMessageW(toggle, BM_GETCHECK, 0, 0) == BST_CHECKED;
        return std::wstring(checkBox ? L"" : L"not a check box: ") + text + (checked ? L" [x]" : L" [ ]");
    }

    ScopedOverride<decltype(&CreateThread)> threads{CreateThreadProc, CountingCreateThread};
    ScopedOverride<decltype(&PostMessageW)> posts{PostMessageProc};
    ScopedOverride<decltype(&NotifyIpInterfaceChange)> interfaces{NotifyIpInterfaceChangeProc, WatchInterfaces};
    ScopedOverride<decltype(&NotifyUnicastIpAddressChange)> addresses{NotifyUnicastIpAddressChangeProc,
                                                                       WatchAddresses};
    ScopedOverride<decltype(&CancelMibChangeNotify2)> cancels{CancelMibChangeNotify2Proc, CancelWatch};
    HWND window = nullptr;
    HWND toggle = nullptr;
    std::vector<std::wstring> expectedBoxes; // the sentences the test's passes are to end with
};

TEST_F(WindowProcedureTest, ClickRunsOnePassOnAWorkerAndShowsItsResult)
{
    EXPECT_EQ(SwitchText(), L"Modo nublaro [ ]");
    Click();
    EXPECT_EQ(BusyFlag, 1);
    EXPECT_EQ(RequestedMode, FilteringOn);
    EXPECT_TRUE(IsWindowEnabled(toggle)) << "it keeps the keyboard focus; the window refuses clicks instead";
    EXPECT_EQ(ThreadsCreated, 1);
    EXPECT_EQ(SwitchText(), L"Espere, por favor [ ]");
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(CurrentMode, FilteringOn);
    EXPECT_EQ(SwitchText(), L"Modo nublaro [x]");
    EXPECT_EQ(Servers(Ipv4Family), FilterServerListIpv4);

    Click();
    EXPECT_EQ(RequestedMode, FilteringOff);
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(CurrentMode, FilteringOff);
    ExpectServers(AdapterName, L"192.168.7.53", L"fd00::7");
}

TEST_F(WindowProcedureTest, ShowsOffAfterASwitchOnThatChangedNothing)
{
    ASSERT_TRUE(CreateDirectoryW((savedPath + L".tmp").c_str(), nullptr)) << "the earlier servers cannot be saved";
    Click();
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(CurrentMode, FilteringOff) << "the window must not claim a filtering that is not there";

    PresentFakeAdapters(nullptr, 0);
    Click();
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(CurrentMode, FilteringOff);

    PresentNewAdapters(Adapters, 1);
    WriteBytes(savedPath, "{A}|192.0.2.53|\r\n"); // its first line deleted by hand
    Click();
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(CurrentMode, FilteringOff);
    expectedBoxes = {L"No se pudieron guardar sus servidores DNS en nublaro.txt, así que no se ha cambiado nada.",
                     L"No hay ningún adaptador de red conectado.",
                     L"No se pudieron leer los servidores guardados en " + savedPath +
                         L": otro programa lo tiene abierto, o no tiene el formato de Nublaro. No se ha cambiado "
                         L"nada; revise ese archivo."};
}

TEST_F(WindowProcedureTest, HearsOfTheEndOfAPassEvenWhenPostingFailsAtFirst)
{
    PostsToRefuse = 3;
    PostMessageProc = SometimesFailingPostMessage;
    Click();
    ASSERT_TRUE(PumpUntilIdle()) << "the window would stay busy for ever";
    EXPECT_EQ(CurrentMode, FilteringOn);
}

// Each message the window handles on its own, with what it answers and leaves: nothing starts a pass
// or closes the window but a click when idle and a close when no pass runs.
TEST_F(WindowProcedureTest, AnswersEachMessageAsItsStateCalls)
{
    const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), clickOnClient = MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN);
    NMHDR otherControl = {toggle, 7, static_cast<UINT>(NM_CUSTOMDRAW)};
    const struct {
        const char* What;
        int Busy;
        UINT Message;
        WPARAM WParam;
        LPARAM LParam;
        LRESULT Result;
    } rows[] = {
        {"a click while a pass runs", 1, WM_COMMAND, MAKEWPARAM(IDC_TOGGLE, BN_CLICKED), 0, 0},
        {"a close while a pass runs", 1, WM_CLOSE, 0, 0, 0},
        {"another control's click", 0, WM_COMMAND, MAKEWPARAM(IDC_TOGGLE + 1, BN_CLICKED), 0, 0},
        {"a double click, on purpose", 0, WM_COMMAND, MAKEWPARAM(IDC_TOGGLE, BN_DOUBLECLICKED), 0, 0},
        {"another notification of the switch", 0, WM_COMMAND, MAKEWPARAM(IDC_TOGGLE, BN_SETFOCUS), 0, 0},
        {"another control's drawing", 0, WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&otherControl), 0},
        {"the cursor while a pass runs: the wait cursor", 1, WM_SETCURSOR, 0, overClient, TRUE},
        {"a click that activates, nothing changed meanwhile", 0, WM_MOUSEACTIVATE, 0, clickOnClient, MA_ACTIVATE},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.What);
        BusyFlag = row.Busy;
        SendMessageW(window, WM_ACTIVATE, WA_INACTIVE, 0);
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        WPARAM wParam = row.Message == WM_SETCURSOR || row.Message == WM_MOUSEACTIVATE
                            ? reinterpret_cast<WPARAM>(window) : row.WParam;
        EXPECT_EQ(SendMessageW(window, row.Message, wParam, row.LParam), row.Result);
        EXPECT_EQ(ThreadsCreated, 0);
        EXPECT_EQ(RequestedMode, FilteringOff);
        EXPECT_TRUE(IsWindow(window));
        EXPECT_EQ(BusyFlag, row.Busy);
        if (row.Message == WM_SETCURSOR) {
            EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
        }
    }
    BusyFlag = 0;
}

TEST_F(WindowProcedureTest, TakesTheReportedModeAtTheEndOfAPass)
{
    BusyFlag = 1;
    SendMessageW(window, WM_TOGGLE_DONE, 1, 0);
    EXPECT_EQ(CurrentMode, FilteringOn);
    EXPECT_EQ(BusyFlag, 0);
    EXPECT_EQ(SwitchText(), L"Modo nublaro [x]");
    SendMessageW(window, WM_TOGGLE_DONE, 0, 0);
    EXPECT_EQ(CurrentMode, FilteringOff) << "also when no pass was running";
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window)) << "a later close works as usual";
}

TEST_F(WindowProcedureTest, ClosesAtOnceWhileOff)
{
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(FakeDnsSettingsCalls.empty());
    EXPECT_EQ(DrainMessages(), 0) << "the message loop ends with the quit code 0";
}

// The restore runs on the worker thread, so that the window keeps answering, and refuses clicks and a
// second close meanwhile.
TEST_F(WindowProcedureTest, RestoresTheSavedServersBeforeClosingAlsoToAnAdapterUnpluggedSince)
{
    static const FakeAdapter unplugged[] = {{AdapterName, 41, 141, IfOperStatusDown, Ethernet}};
    EnableFilteringMode(); // while the window showed off: by another copy, say
    PresentFakeAdapters(unplugged, 1);
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(SwitchText(), L"Espere, por favor [ ]");
    SendMessageW(window, WM_CLOSE, 0, 0);
    Click();
    EXPECT_EQ(ThreadsCreated, 1);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window); }));
    EXPECT_EQ(CurrentMode, FilteringOff);
    EXPECT_EQ(BusyFlag, 0);
    ExpectServers(AdapterName, L"192.168.7.53", L"fd00::7");
    EXPECT_FALSE(FileExists(savedPath));
}

// Coming back to the window, the user finds the mode it is in now, and the switch ready for Space.
TEST_F(WindowProcedureTest, TellsTheModeAgainWhenTheUserComesBackAndSwitchesWithSpace)
{
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetForegroundWindow(GetDesktopWindow());
    SetNameServer(Ipv4Family, AdapterName, FilterServerListIpv4); // by hand, while away
    SetForegroundWindow(window);
    EXPECT_EQ(CurrentMode, FilteringOn);
    EXPECT_EQ(SwitchText(), L"Modo nublaro [x]");
    ASSERT_EQ(GetFocus(), toggle);

    SendMessageW(toggle, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(toggle, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(RequestedMode, FilteringOff);
    EXPECT_EQ(GetFocus(), toggle) << "kept while the pass runs";
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(CurrentMode, FilteringOff);
    EXPECT_EQ(SwitchText(), L"Modo nublaro [ ]");
    EXPECT_EQ(GetFocus(), toggle);
}

// The user comes back with a click straight on the switch, while the mode changed behind their back.
TEST_F(WindowProcedureTest, AClickThatBringsTheWindowBackOnlyShowsAModeChangedMeanwhile)
{
    const LPARAM click = MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN);
    SendMessageW(window, WM_ACTIVATE, WA_INACTIVE, 0);
    SetNameServer(Ipv4Family, AdapterName, FilterServerListIpv4); // by another copy, or by hand
    EXPECT_EQ(SendMessageW(window, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(window), click), MA_ACTIVATEANDEAT);
    EXPECT_EQ(SwitchText(), L"Modo nublaro [x]");
    EXPECT_EQ(ThreadsCreated, 0);
}

// The rows of the status line that hold ink, as the window prints itself.
static int StatusLineHeight(HWND window)
{
    PrintedClient printed = PrintClient(window);
    int first = -1, last = -1;
    for (int y = 0; y < printed.Height / 2; ++y) {
        for (int x = 0; x < printed.Width; ++x) {
            if (printed.At(x, y) != BackgroundColour) {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
        }
    }
    return last - first + 1;
}

// At 144 DPI, as on a monitor at 150 %: the design at one and a half times its size. (The client area
// at that scale is checked end to end, where the whole program runs at 144 DPI.)
TEST_F(WindowProcedureTest, TakesTheScaleOfTheMonitorItMovesTo)
{
    int designed = StatusLineHeight(window);
    RECT suggested = {10, 20, 630, 360};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT frame, place;
    GetWindowRect(window, &frame);
    EXPECT_TRUE(EqualRect(&frame, &suggested)) << "the frame Windows suggests";
    GetWindowRect(toggle, &place);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(place.left, 195);
    EXPECT_EQ(place.top, 159);
    EXPECT_EQ(place.right - place.left, 210);
    EXPECT_EQ(place.bottom - place.top, 84);
    EXPECT_NEAR(StatusLineHeight(window), designed * 3 / 2, 2) << designed << " rows at 96 DPI";
}

TEST_F(WindowProcedureTest, DrawsTheWholeSwitchWithAFocusCueOnceTheKeyboardIsUsed)
{
    BOOL alwaysShowCues = FALSE;
    SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &alwaysShowCues, 0);
    SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, nullptr, 0); // as Windows is set by default
    DestroyWindow(window);
    window = CreateMainWindowAfresh();
    toggle = GetDlgItem(window, IDC_TOGGLE);
    SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(alwaysShowCues)), 0);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    ASSERT_EQ(GetFocus(), toggle);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(GetDC(nullptr), 140, 56);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    NMCUSTOMDRAW draw = {};
    draw.hdr = {toggle, IDC_TOGGLE, static_cast<UINT>(NM_CUSTOMDRAW)};
    draw.dwDrawStage = CDDS_PREPAINT;
    draw.hdc = dc;
    draw.rc = {0, 0, 140, 56};
    auto ringed = [&] {
        EXPECT_EQ(SendMessageW(window, WM_NOTIFY, IDC_TOGGLE, reinterpret_cast<LPARAM>(&draw)), CDRF_SKIPDEFAULT);
        return GetPixel(dc, 70, 3) == LabelInk || GetPixel(dc, 70, 4) == LabelInk;
    };
    EXPECT_FALSE(ringed()) << "with the mouse alone";
    ShowKeyboardCues(window, GetDesktopWindow());
    EXPECT_FALSE(ringed()) << "a key that went to another window";
    ShowKeyboardCues(window, toggle);
    EXPECT_TRUE(ringed());
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// While on, connections are watched: a burst of changes is caught up with once, a second after the last,
// and a switch-off stops the watch before it restores, and hears no late change.
TEST_F(WindowProcedureTest, CatchesUpWithTheConnectionsWhileOnAndStopsWatchingBeforeASwitchOff)
{
    static const char* const Dock = TestAdapterName(0xA0A2);
    static const FakeAdapter adapters[] = {Adapters[0], {Dock, 42, 0, IfOperStatusUp, Ethernet}};
    EXPECT_EQ(InterfaceCallback, nullptr) << "nothing is watched while off";
    Click();
    ASSERT_TRUE(PumpUntilIdle());
    ASSERT_NE(InterfaceCallback, nullptr);
    ASSERT_NE(AddressCallback, nullptr);

    DeleteInterfaceKeys(Dock);
    PresentFakeAdapters(adapters, 2);
    SetNameServer(Ipv4Family, Dock, L"10.5.5.5");
    ChangeConnections(5);
    ASSERT_TRUE(PumpUntil([] { return Servers(Ipv4Family, Dock) == FilterServerListIpv4; }, 5000));
    PumpUntil([] { return false; }, 1500); // time for a second catch-up to show
    EXPECT_EQ(ThreadsCreated, 2) << "one catch-up for the burst";
    EXPECT_EQ(SwitchText(), L"Modo nublaro [x]") << "unseen, and silent";

    Click();
    EXPECT_EQ(Cancels, 2) << "before the restore";
    ChangeConnections(1);
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_FALSE(PumpUntil([] { return ThreadsCreated > 3; }, 1500)) << "a late change is dropped";
    EXPECT_EQ(Servers(Ipv4Family, Dock), L"10.5.5.5");
    ExpectServers(AdapterName, L"192.168.7.53", L"fd00::7");
}

TEST_F(WindowProcedureTest, UndoesTheStartWhenNoThreadCanBeCreated)
{
    CreateThreadProc = FailingCreateThread;
    Click();
    EXPECT_EQ(ThreadsCreated, 1);
    EXPECT_EQ(BusyFlag, 0);
    EXPECT_EQ(CurrentMode, FilteringOff);
    EXPECT_EQ(RequestedMode, FilteringOn);
    EXPECT_EQ(SwitchText(), L"Modo nublaro [ ]");
    EXPECT_NE(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(Servers(Ipv4Family), L"192.168.7.53");
}
