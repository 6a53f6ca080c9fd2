/* A Windows program that uses a Jet database's lock file the way the Jet engine does, for
 * scripts/lock-interop: it is cross-built with mingw-w64 and run under Wine next to Velmora.
 *
 *   jet_user_lock hold LDB RELEASE   takes the first free user lock of LDB (a 1-byte lock at
 *                                    0x10000001 + n), writes record n (computer name, user
 *                                    name, 32 bytes each), prints "held n" and keeps both until
 *                                    the file RELEASE exists
 *   jet_user_lock probe LDB          tries every user lock 0..254 and prints "busy n" for each
 *                                    one another program holds; exit status 1 when any is busy
 *
 * The lock file is opened as Jet opens it: shared for reading, writing and deleting. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

#define USER_LOCK_BASE 0x10000001UL
#define USER_SLOTS 255
#define RECORD_SIZE 64

static HANDLE openLockFile(const char* path) {
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, NULL);
}

static BOOL lockSlot(HANDLE file, int slot) {
    return LockFile(file, USER_LOCK_BASE + (DWORD)slot, 0, 1, 0);
}

static int hold(const char* ldb, const char* release) {
    HANDLE file = openLockFile(ldb);
    if (file == INVALID_HANDLE_VALUE) {
        printf("cannot open %s: error %lu\n", ldb, GetLastError());
        return 2;
    }
    int slot = 0;
    while (slot < USER_SLOTS && !lockSlot(file, slot))
        ++slot;
    if (slot == USER_SLOTS) {
        printf("no free user lock\n");
        return 2;
    }
    char record[RECORD_SIZE];
    memset(record, 0, sizeof record);
    strcpy(record, "WINEHOST");
    strcpy(record + 32, "Admin");
    DWORD written = 0;
    SetFilePointer(file, slot * RECORD_SIZE, NULL, FILE_BEGIN);
    WriteFile(file, record, sizeof record, &written, NULL);
    printf("held %d\n", slot);
    fflush(stdout);
    while (GetFileAttributesA(release) == INVALID_FILE_ATTRIBUTES)
        Sleep(100);
    UnlockFile(file, USER_LOCK_BASE + (DWORD)slot, 0, 1, 0);
    CloseHandle(file);
    printf("released %d\n", slot);
    return 0;
}

static int probe(const char* ldb) {
    HANDLE file = openLockFile(ldb);
    if (file == INVALID_HANDLE_VALUE) {
        printf("cannot open %s: error %lu\n", ldb, GetLastError());
        return 2;
    }
    int busy = 0;
    for (int slot = 0; slot < USER_SLOTS; ++slot) {
        if (lockSlot(file, slot)) {
            UnlockFile(file, USER_LOCK_BASE + (DWORD)slot, 0, 1, 0);
        } else {
            printf("busy %d\n", slot);
            ++busy;
        }
    }
    CloseHandle(file);
    fflush(stdout);
    return busy > 0 ? 1 : 0;
}

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "hold") == 0)
        return hold(argv[2], argv[3]);
    if (argc == 3 && strcmp(argv[1], "probe") == 0)
        return probe(argv[2]);
    printf("usage: jet_user_lock hold LDB RELEASE | probe LDB\n");
    return 2;
}
