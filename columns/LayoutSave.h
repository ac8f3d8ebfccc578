#pragma once
// Saving the column layout file, all or nothing, while other programs (scanners, indexers,
// backup agents, other terminals sharing the folder) open, hold and remove files beside it.
#include "columns/ColumnStore.h"

#include <windows.h>

#include <string>
#include <vector>

// The file operations a save makes through the system; a test puts other programs' doings
// between them.
struct LayoutFileOps {
    BOOL(WINAPI* writeKey)
    (LPCSTR szSection, LPCSTR szKey, LPCSTR szValue, LPCSTR szPath) = &WritePrivateProfileStringA;
    HANDLE(WINAPI* createFile)
    (LPCSTR szPath, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES security, DWORD dwDisposition,
     DWORD dwFlags, HANDLE hTemplate) = &CreateFileA;
    BOOL(WINAPI* moveFile)(LPCSTR szFrom, LPCSTR szTo, DWORD dwFlags) = &MoveFileExA;
};

// SaveColumnSettings for a file named by its full path. The file is copied beside itself, the
// keys are written into the copy, the copy is read back and must hold every key as written and
// every other section and key of the file as it was; only then does it replace the file, in
// one step. A copy, a read or a replacement that another program's hold on a file refuses is
// tried again with growing pauses, for about a second. When the folder refuses to make the
// copy, the keys are written into the file itself. A save that another program's changing or
// removing the copy spoilt is made again, up to three times in all. On false the file is as it
// was (unless it was written in place), and the reason went to a debugger.
bool SaveLayoutFile(const char* szSection, const std::vector<ColumnSetting>& columns, const std::string& path,
                    const LayoutFileOps& ops = {});

// The copy this process saves a layout file through: "<file>.<machine>.<process id>.tmp".
std::string LayoutCopyPath(const std::string& path);

// Removes the copies beside a layout file that are certainly abandoned: those of this process,
// and those of processes of this machine that have ended. A copy of another machine, or of a
// process whose state cannot be read, is kept, and so is every file not named as a copy.
void RemoveStaleLayoutCopies(const std::string& path);
