// A DNS client library for tests of the cache flush: its DnsFlushResolverCache answers what the test
// asks for and counts its calls. Built a second time without that entry point.
#include <windows.h>

extern "C" {
__declspec(dllexport) BOOL FlushAnswer = TRUE;
__declspec(dllexport) int FlushCalls = 0;

#ifndef WITHOUT_FLUSH
__declspec(dllexport) BOOL WINAPI DnsFlushResolverCache()
{
    ++FlushCalls;
    return FlushAnswer;
}
#endif
}
