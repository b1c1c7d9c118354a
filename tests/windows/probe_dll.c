/* A library that only says it was loaded: copied under the names of system libraries into
 * the folder an installer is started from. When loaded, it creates a file named after
 * itself in the folder that LARKSPAN_PROBE_MARKERS names, its own file name and:
 *   ".start"   when the system loaded it while starting the process, as an import of the
 *              program or of a library (the loader passes a non-null `reserved` then);
 *   ".early"   when it was loaded by name while a load by name still looked in the folder
 *              it lies in: before the program restricted the search;
 *   ".loaded"  when it was loaded by name after that.
 * It imports from the kernel and the C library alone and exports nothing, so whatever
 * loaded it finds none of the functions it wanted. */
#include <windows.h>

typedef LONG(WINAPI* DllPathQuery)(PCWSTR module, ULONG flags, PWSTR* path, PWSTR* unknown);
typedef void(WINAPI* DllPathRelease)(PWSTR path);

/* Whether a library loaded by name now would be looked for first in `folder` (which ends
 * with a backslash). */
static BOOL SearchStartsIn(const WCHAR* folder, DWORD folderLength) {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const DllPathQuery query = (DllPathQuery)(void (*)(void))GetProcAddress(ntdll, "LdrGetDllPath");
    const DllPathRelease release =
        (DllPathRelease)(void (*)(void))GetProcAddress(ntdll, "RtlReleasePath");
    PWSTR path = NULL;
    PWSTR unknown = NULL;
    if (query == NULL || release == NULL || query(L"probe.dll", 0, &path, &unknown) < 0) {
        return TRUE; /* unknown: counts as not restricted */
    }
    DWORD first = 0;
    while (path[first] != L'\0' && path[first] != L';') {
        ++first;
    }
    /* The folder without its closing backslash, or with it. */
    const BOOL same =
        (first == folderLength - 1 || first == folderLength) &&
        CompareStringOrdinal(path, (int)first, folder, (int)first, TRUE) == CSTR_EQUAL;
    release(path);
    return same;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    if (reason != DLL_PROCESS_ATTACH) {
        return TRUE;
    }
    WCHAR own[MAX_PATH];
    WCHAR marker[2 * MAX_PATH];
    const DWORD ownLength = GetModuleFileNameW(self, own, MAX_PATH);
    DWORD length = GetEnvironmentVariableW(L"LARKSPAN_PROBE_MARKERS", marker, MAX_PATH);
    if (ownLength == 0 || ownLength >= MAX_PATH || length == 0 || length >= MAX_PATH) {
        return TRUE;
    }
    DWORD name = 0;
    for (DWORD at = 0; at < ownLength; ++at) {
        if (own[at] == L'\\' || own[at] == L'/') {
            name = at + 1;
        }
    }
    const WCHAR* kind = reserved != NULL            ? L".start"
                        : SearchStartsIn(own, name) ? L".early"
                                                    : L".loaded";
    marker[length++] = L'\\';
    lstrcpyW(marker + length, own + name);
    lstrcatW(marker, kind);
    const HANDLE file =
        CreateFileW(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    return TRUE;
}
