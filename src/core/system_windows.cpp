// Files and the console on Windows.
#include "core/system.h"

#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601 // Windows 7: GetFileInformationByHandleEx
#endif
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <io.h>

namespace {

// Another program (a virus scanner, an indexer) may hold the old save open
// for a moment: the replacement is tried again for about a second.
constexpr int replaceAttempts = 20;
constexpr DWORD replaceWaitMilliseconds = 50;

// One call of ReadFile or WriteFile moves at most this much.
constexpr size_t largestTransfer = 1 << 30;

HANDLE handleOf(SystemFile file) { return reinterpret_cast<HANDLE>(file.handle); }

SystemFile fileOf(HANDLE handle)
{
    return handle == INVALID_HANDLE_VALUE ? noFile : SystemFile{reinterpret_cast<intptr_t>(handle)};
}

bool isHeldByAnotherProgram(DWORD error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// The system's own form of a path, which renaming by handle takes: the whole
// path, \??\ before a drive letter and \??\UNC\ before a share.
std::wstring fullSystemPath(const char *path)
{
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (wideLength <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path, -1, &wide[0], wideLength);
    const DWORD fullLength = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (fullLength == 0)
        return {};
    std::wstring full(fullLength, L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), fullLength, &full[0], nullptr));
    if (full.rfind(L"\\\\?\\", 0) == 0)
        return L"\\??\\" + full.substr(4);
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\??\\UNC\\" + full.substr(2);
    return L"\\??\\" + full;
}

} // namespace

SystemFile openRegularFile(const char *path)
{
    // Opening for reading never keeps others from saving or removing it.
    HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return noFile;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(handle);
        SetLastError(ERROR_INVALID_PARAMETER);
        return noFile;
    }
    return fileOf(handle);
}

SystemFile createNewFile(const char *path)
{
    return fileOf(
        CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

int64_t readFile(SystemFile file, void *bytes, size_t size)
{
    DWORD got = 0;
    if (!ReadFile(handleOf(file), bytes, static_cast<DWORD>(size < largestTransfer ? size : largestTransfer), &got,
                  nullptr))
        return -1;
    return got;
}

bool writeFile(SystemFile file, const void *bytes, size_t size)
{
    const char *next = static_cast<const char *>(bytes);
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(handleOf(file), next, static_cast<DWORD>(size < largestTransfer ? size : largestTransfer),
                       &written, nullptr) ||
            written == 0)
            return false;
        next += written;
        size -= written;
    }
    return true;
}

bool syncFile(SystemFile file) { return FlushFileBuffers(handleOf(file)); }

bool truncateFile(SystemFile file, int64_t length)
{
    LARGE_INTEGER position;
    position.QuadPart = length;
    return SetFilePointerEx(handleOf(file), position, nullptr, FILE_BEGIN) && SetEndOfFile(handleOf(file));
}

bool fileWasRemoved(SystemFile file)
{
    FILE_STANDARD_INFO info;
    return GetFileInformationByHandleEx(handleOf(file), FileStandardInfo, &info, sizeof info) &&
           (info.DeletePending || info.NumberOfLinks == 0);
}

bool closeFile(SystemFile file) { return CloseHandle(handleOf(file)); }

bool removeFile(const char *path) { return DeleteFileA(path); }

ClaimStep tryClaimNewFile(const char *path, SystemFile &claimed)
{
    // A claim is the open handle itself: shared with nobody, so that no other
    // program can open, remove or rename the file while it is written. The
    // system closes it when its holder dies.
    const HANDLE handle =
        CreateFileA(path, GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        claimed = fileOf(handle);
        return ClaimStep::claimed;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS && !isHeldByAnotherProgram(error))
        return ClaimStep::failed;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return ClaimStep::failed;
    // A file that nobody holds was left by a killed save; a link goes, not
    // what it leads to.
    if (DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND)
        return ClaimStep::again;
    return isHeldByAnotherProgram(GetLastError()) ? ClaimStep::busy : ClaimStep::failed;
}

bool replaceWithClaimedFile(SystemFile claimed, const char *from, const char *to)
{
    (void)from; // the handle names the file
    // The claimed handle renames its own file: closing it first would let
    // another program take the name in between.
    std::wstring target = fullSystemPath(to);
    if (target.empty())
        return false;
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    FILE_RENAME_INFO *rename = reinterpret_cast<FILE_RENAME_INFO *>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::copy(target.begin(), target.end(), rename->FileName);
    for (int attempt = 1;; attempt++) {
        if (SetFileInformationByHandle(handleOf(claimed), FileRenameInfo, rename, static_cast<DWORD>(buffer.size())))
            break;
        const DWORD error = GetLastError();
        if (attempt == replaceAttempts || !isHeldByAnotherProgram(error))
            return false;
        Sleep(replaceWaitMilliseconds);
        SetLastError(error);
    }
    FlushFileBuffers(handleOf(claimed));
    CloseHandle(handleOf(claimed));
    return true;
}

void discardClaimedFile(SystemFile claimed, const char *path)
{
    (void)path;
    FILE_DISPOSITION_INFO disposition = {TRUE};
    SetFileInformationByHandle(handleOf(claimed), FileDispositionInfo, &disposition, sizeof disposition);
    CloseHandle(handleOf(claimed));
}

std::string systemError()
{
    const DWORD error = GetLastError();
    char text[256];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                  sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == '.'))
        length--;
    return length > 0 ? std::string(text, length) : "error " + std::to_string(error);
}

bool enterDataFolder(const char *name, std::string &problem)
{
    const char *localData = std::getenv("LOCALAPPDATA");
    if (!localData || !localData[0]) {
        problem = "LOCALAPPDATA names no folder";
        return false;
    }
    const std::string folder = std::string(localData) + "\\" + name;
    if ((!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) ||
        !SetCurrentDirectoryA(folder.c_str())) {
        problem = folder + ": " + systemError();
        return false;
    }
    return true;
}

// The C runtime here takes line buffering for full buffering: without a
// buffer each line goes out as it is printed. Lines end in "\n" alone, as
// on Linux, so that a log or a replay's output reads the same on both.
void keepConsoleLive()
{
    _setmode(_fileno(stdout), _O_BINARY);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
}
