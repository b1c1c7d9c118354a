/* A small Windows program standing in for the installer in the authoring tool's tests. It
 * carries the stub marker and the kinds of resource the installer has (icon group, dialog,
 * manifest, version); run, it finds its SETUP 129 resource the way the installer does and
 * prints its size and FNV-1a 64 hash. Exit status 3 when there is none. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

const char kStubMarker[] = "LARKSPAN-INSTALLER-STUB-1";

int main(int argc, char** argv) {
    if (argc > 1 && strcmp(argv[1], "--marker") == 0) {
        puts(kStubMarker);
        return 0;
    }
    HRSRC found = FindResourceW(NULL, MAKEINTRESOURCEW(129), L"SETUP");
    DWORD size = found ? SizeofResource(NULL, found) : 0;
    HGLOBAL loaded = found ? LoadResource(NULL, found) : NULL;
    const unsigned char* bytes = loaded ? (const unsigned char*)LockResource(loaded) : NULL;
    if (bytes == NULL || size == 0) {
        puts("no SETUP 129");
        return 3;
    }
    unsigned long long hash = 0xcbf29ce484222325ULL;
    for (DWORD i = 0; i < size; ++i) {
        hash = (hash ^ bytes[i]) * 0x100000001b3ULL;
    }
    printf("SETUP 129: %lu bytes, FNV-1a %016llx\n", (unsigned long)size, hash);
    return 0;
}
