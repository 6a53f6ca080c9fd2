/* A Windows program that meets a Jet lock file the way the Jet engine does, for checking that
 * Velmora and Windows programs under Wine see each other's locks.
 *
 *   ldb_user hold FILE.ldb   takes the first free user lock (one byte at 0x10000001 + n),
 *                            writes its 64-byte record n (computer name, user name), prints
 *                            "holding user lock n" and keeps both until standard input ends
 *   ldb_user probe FILE.ldb  tries each of the 255 user locks in turn, releasing what it got,
 *                            and prints "user lock n is held" for each one somebody else holds
 *
 * Exit status: 0 when done as asked (probe: at least one lock is held), 1 when probe found no
 * lock held, 2 on a failure. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

enum { kUsers = 255, kRecordSize = 64 };
static const DWORD kUserLockBase = 0x10000001;

static int hold(HANDLE ldb) {
    for (DWORD n = 0; n < kUsers; ++n) {
        if (!LockFile(ldb, kUserLockBase + n, 0, 1, 0))
            continue;
        char record[kRecordSize];
        memset(record, ' ', sizeof record);
        memcpy(record, "WINEHOST", 8);
        memcpy(record + 32, "Admin", 5);
        DWORD written = 0;
        SetFilePointer(ldb, (LONG)(n * kRecordSize), NULL, FILE_BEGIN);
        WriteFile(ldb, record, sizeof record, &written, NULL);
        printf("holding user lock %lu\n", (unsigned long)n);
        fflush(stdout);
        while (getchar() != EOF) {
        }
        UnlockFile(ldb, kUserLockBase + n, 0, 1, 0);
        return 0;
    }
    printf("no free user lock\n");
    return 2;
}

static int probe(HANDLE ldb) {
    int held = 0;
    for (DWORD n = 0; n < kUsers; ++n) {
        if (LockFile(ldb, kUserLockBase + n, 0, 1, 0)) {
            UnlockFile(ldb, kUserLockBase + n, 0, 1, 0);
        } else {
            printf("user lock %lu is held\n", (unsigned long)n);
            ++held;
        }
    }
    printf("%d user locks held by others\n", held);
    return held > 0 ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc != 3 || (strcmp(argv[1], "hold") != 0 && strcmp(argv[1], "probe") != 0)) {
        fprintf(stderr, "usage: ldb_user hold|probe FILE.ldb\n");
        return 2;
    }
    HANDLE ldb = CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (ldb == INVALID_HANDLE_VALUE) {
        printf("cannot open %s: error %lu\n", argv[2], (unsigned long)GetLastError());
        return 2;
    }
    const int status = strcmp(argv[1], "hold") == 0 ? hold(ldb) : probe(ldb);
    CloseHandle(ldb);
    return status;
}
