// output_os_win.cc: the output step's platform calls over Windows, the
// counterpart of output_os.cc (see output_os.h). Paths are taken as they
// are (no links are followed); modes are not carried over (a file has
// only its read-only attribute); a folder has no flush of its own. Files
// are written in text mode: every line feed becomes CR LF.
#define _CRT_RAND_S  // rand_s, before the run-time headers
#include "output_os.h"

#include <cassert>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace check::os {
namespace {

// The console event that came while held (0: none); set by the console's
// own thread.
volatile LONG held_event = 0;

BOOL WINAPI record_event(DWORD event) {
  InterlockedExchange(&held_event, static_cast<LONG>(event) + 1);
  // After these the system ends the process as soon as this returns; the
  // program's thread ends it first, when the step is over.
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
    Sleep(INFINITE);
  return TRUE;
}

// The error number of a failed Windows call.
int error_number(DWORD failure) {
  switch (failure) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    default: return EIO;
  }
}

}  // namespace

int resolve(const std::string& given, Destination* destination) {
  assert(!given.empty());
  // Opened for no access at all, only to ask what the name is.
  HANDLE handle = CreateFileA(given.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *destination = Destination{given, false, false};
    return 0;
  }
  BY_HANDLE_FILE_INFORMATION info;
  const bool regular = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
                       !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  CloseHandle(handle);
  *destination = Destination{given, true, !regular};
  return 0;
}

int create_exclusive(const std::string& path, int* fd) {
  *fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
  return *fd < 0 ? errno : 0;
}

int exists_error() { return EEXIST; }

int open_in_place(const std::string& path, int* fd) {
  *fd = _open(path.c_str(), _O_WRONLY | _O_TRUNC | _O_TEXT | _O_NOINHERIT);
  return *fd < 0 ? errno : 0;
}

int write_all(int fd, const std::string& content) {
  const char* data = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    const unsigned chunk = left > 0x10000000u ? 0x10000000u : static_cast<unsigned>(left);
    const int put = _write(fd, data, chunk);
    if (put <= 0) return put < 0 ? errno : ENOSPC;
    data += put;
    left -= static_cast<std::size_t>(put);
  }
  return 0;
}

int finish_file(int fd, const std::string&) {
  const int synced = _commit(fd) == 0 ? 0 : errno;
  const int closed = close_file(fd);
  return synced != 0 ? synced : closed;
}

int close_file(int fd) { return _close(fd) == 0 ? 0 : errno; }

void sync_folder(const std::string&) {}

int keep_file(const std::string& existing, const std::string& kept) {
  if (CreateHardLinkA(kept.c_str(), existing.c_str(), nullptr)) return 0;
  const int linked = error_number(GetLastError());
  if (linked == EEXIST) return EEXIST;
  return CopyFileA(existing.c_str(), kept.c_str(), TRUE) ? 0 : error_number(GetLastError());
}

int rename_over(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
             ? 0
             : error_number(GetLastError());
}

void remove_name(const std::string& path) { _unlink(path.c_str()); }

std::string error_text(int error) { return std::strerror(error); }

std::uint64_t random_number() {
  unsigned high = 0, low = 0;
  rand_s(&high);
  rand_s(&low);
  return (static_cast<std::uint64_t>(high) << 32) ^ low;
}

void hold_stop_signals() {
  InterlockedExchange(&held_event, 0);
  SetConsoleCtrlHandler(record_event, TRUE);
}

bool stop_requested() { return held_event != 0; }

// A console event that came ends the process as CTRL+C does by default.
void release_stop_signals() {
  if (held_event != 0) ExitProcess(STATUS_CONTROL_C_EXIT);
  SetConsoleCtrlHandler(record_event, FALSE);
}

void pause_point() {}

bool predictable_names() { return false; }

}  // namespace check::os
