// os_win.cc: Windows behind the I/O layer, the counterpart of os.cc; the
// build compiles exactly one of the two. The layer above sees the same
// descriptors, error numbers and signal numbers on both platforms.
//
// Text streams. Standard input, output and error and the named file are text
// streams: every line feed the layer writes reaches the file or console as
// carriage return and line feed. The run-time library's text mode is not
// used (files are opened in binary mode, and reads and writes go to the
// handles); the translation is done here, because the layer measures a
// file in the bytes it handed over (line feeds only): that position is
// where CLOSE and the exit sequence cut the file, and current_offset
// reports it. A file is written from its start, in order, so each
// descriptor keeps two counts since it was opened: the bytes handed over
// (logical) and the bytes that reached the file (physical), and the pair
// of counts just after the last line end written. The layer cuts either
// after everything written or after the last whole record, that is at or
// after the last line end, where no line feed lies between the cut and the
// end: truncate_fd maps such a cut exactly and refuses any other. The
// text-mode run-time writes would translate as well, but they report their
// progress in a way that cannot be mapped back when a write stops half-way.
//
// Input: a carriage return and line feed already read as one line end in
// the layer; here the text-mode rule that CTRL+Z (0x1A) ends the input is
// added, so that CTRL+Z and Enter at the console is the end of input.
//
// Start-up: before the run-time entry, the unhandled-exception filter is
// installed and the floating-point unit reset (all exceptions masked).
//
// Signals: the run-time library's signal() serves the floating-point and
// abort signals, which arise in the thread that runs the program. CTRL+C
// and the requests to end (CTRL+BREAK, closing the console, logging off,
// shutting down) come from the console in a thread of their own; they go to
// the interrupt and the termination handler. Those handlers only record the
// request, and the waits for input give way to it.
#include "os.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <float.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace textio::os {

const int kSigFpe = SIGFPE;
const int kSigAbrt = SIGABRT;
const int kSigInt = SIGINT;
const int kSigTerm = SIGTERM;
// Windows has neither a broken-pipe nor a file-size signal: 0 names none,
// and the calls below leave it alone.
const int kSigPipe = 0;
const int kSigXfsz = 0;

namespace {

using Handler = void (*)(int);

// The line-end counts of one descriptor (see the top of the file).
struct TextCounts {
  std::int64_t logical = 0;   // bytes handed over by the layer
  std::int64_t physical = 0;  // bytes that reached the file
  std::int64_t line_end_logical = 0, line_end_physical = 0;  // after the last LF
  bool lf_owed = false;       // a write stopped between CR and LF
  bool input_ended = false;   // CTRL+Z met on input
};

// The run-time library hands out the lowest free descriptor, and the layer
// holds at most five at once (three console streams, the file and, while it
// is reopened for update, its second descriptor); 64 leaves ample room.
constexpr int kTrackedFds = 64;
TextCounts text_counts[kTrackedFds];

TextCounts* counts_of(int fd) {
  return fd >= 0 && fd < kTrackedFds ? &text_counts[fd] : nullptr;
}

HANDLE handle_of(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

// The error number of a failed ReadFile or WriteFile.
int error_number(DWORD failure) {
  switch (failure) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA: return EPIPE;
    // A handle without the access asked for, as a descriptor not open for
    // reading or writing, is a bad descriptor (the null device that stands
    // for a closed standard input is open for writing only).
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_HANDLE: return EBADF;
    case ERROR_OPERATION_ABORTED: return EINTR;
    default: return EIO;
  }
}

bool is_console(HANDLE handle) {
  DWORD mode = 0;
  return GetFileType(handle) == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode);
}

// The interrupt handler (slot 0) and the termination handler (slot 1) as
// installed; SIG_DFL lets the console end the process, SIG_IGN drops the
// event. Set by the program's thread, read by the console's.
std::atomic<Handler> console_handlers[2] = {{SIG_DFL}, {SIG_DFL}};
// Set after a console request has been recorded: the waits for input end.
HANDLE stop_event = nullptr;

BOOL WINAPI on_console_event(DWORD event) {
  const bool interrupt = event == CTRL_C_EVENT;
  Handler handler = console_handlers[interrupt ? 0 : 1].load();
  if (handler == SIG_DFL) return FALSE;
  if (handler == SIG_IGN) return TRUE;
  handler(interrupt ? SIGINT : SIGTERM);
  SetEvent(stop_event);
  // After these events the system ends the process as soon as this returns;
  // the program's thread ends it first, through the exit sequence, at its
  // next statement.
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
    Sleep(INFINITE);
  return TRUE;
}

// The unhandled-exception filter: access violations go to the segmentation
// signal's disposition, floating-point faults and integer division by zero
// to the floating-point signal's; everything else to the system. Fetching a
// disposition sets it to the default; an ignored one is set back and the
// program resumes.
LONG WINAPI route_fault(EXCEPTION_POINTERS* info) {
  int signo = SIGFPE;
  bool floating = false;
  switch (info->ExceptionRecord->ExceptionCode) {
    case EXCEPTION_ACCESS_VIOLATION: signo = SIGSEGV; break;
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_UNDERFLOW: floating = true; break;
    case EXCEPTION_INT_DIVIDE_BY_ZERO: break;
    default: return EXCEPTION_CONTINUE_SEARCH;
  }
  Handler handler = std::signal(signo, SIG_DFL);
  if (handler == SIG_DFL) return EXCEPTION_CONTINUE_SEARCH;
  if (handler == SIG_IGN) {
    std::signal(signo, SIG_IGN);
    if (floating) _fpreset();
    return EXCEPTION_CONTINUE_EXECUTION;
  }
  handler(signo);
  return EXCEPTION_CONTINUE_EXECUTION;
}

// Runs before the run-time entry `main`.
struct StartUp {
  StartUp() {
    SetUnhandledExceptionFilter(route_fault);
    _fpreset();
    stop_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
} start_up;

// Copies logical bytes from `data` into `out` with every LF as CR LF, as
// many as fit in `capacity`; `lf_owed` drops the CR of a leading LF.
// Returns the physical size; *taken is the count of logical bytes used.
std::size_t translate(const char* data, std::size_t size, bool lf_owed, char* out,
                      std::size_t capacity, std::size_t* taken) {
  std::size_t used = 0, index = 0;
  for (; index < size && used + 2 <= capacity; ++index) {
    if (data[index] == '\n' && !(index == 0 && lf_owed)) out[used++] = '\r';
    out[used++] = data[index];
  }
  *taken = index;
  return used;
}

// Counts the logical bytes of `data` whose physical bytes are among the
// first `done` of its translation, and the last line end among them.
// Returns that count; leaves *counts advanced past them.
std::size_t advance(TextCounts* counts, const char* data, std::size_t taken, std::size_t done) {
  std::size_t physical = 0, index = 0;
  for (; index < taken; ++index) {
    const bool line_end = data[index] == '\n';
    std::size_t width = line_end && !(index == 0 && counts->lf_owed) ? 2 : 1;
    if (physical + width > done) break;
    physical += width;
    if (line_end) {
      counts->line_end_logical = counts->logical + static_cast<std::int64_t>(index) + 1;
      counts->line_end_physical = counts->physical + static_cast<std::int64_t>(physical);
    }
  }
  // Only the CR of a line end went out: its LF is still owed.
  counts->lf_owed = index < taken && physical < done;
  counts->logical += static_cast<std::int64_t>(index);
  counts->physical += static_cast<std::int64_t>(done);
  return index;
}

}  // namespace

int open_file(const char* name, OpenMode mode, int* error) {
  int flags = _O_BINARY | _O_NOINHERIT;
  switch (mode) {
    case OpenMode::update: flags |= _O_RDWR; break;
    case OpenMode::read_only: flags |= _O_RDONLY; break;
    case OpenMode::create: flags |= _O_WRONLY | _O_CREAT | _O_TRUNC; break;
  }
  int fd = _open(name, flags, _S_IREAD | _S_IWRITE);
  if (fd < 0) {
    // Windows refuses to open a directory as "access denied"; say what it is.
    DWORD attributes = GetFileAttributesA(name);
    bool directory = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    *error = errno == EACCES && directory ? EISDIR : errno;
    return -1;
  }
  TextCounts* counts = counts_of(fd);
  if (counts == nullptr) {
    _close(fd);
    *error = EMFILE;
    return -1;
  }
  *counts = TextCounts{};
  return fd;
}

int wait_ready(int fd, bool for_writing, const volatile std::sig_atomic_t* stop_flag) {
  // A console read waits on the console itself; a pipe cannot be waited
  // on, so it is looked at every 20 ms. Writes and disk files never wait.
  HANDLE handle = handle_of(fd);
  const bool pipe = GetFileType(handle) == FILE_TYPE_PIPE;
  const bool console = !pipe && is_console(handle);
  for (;;) {
    if (stop_flag != nullptr && *stop_flag != 0) return EINTR;
    if (for_writing || !(pipe || console)) return 0;
    if (pipe) {
      DWORD available = 0;
      // A failure is a closed pipe: the read then meets the end of input.
      if (!PeekNamedPipe(handle, nullptr, 0, nullptr, &available, nullptr) || available > 0)
        return 0;
    }
    HANDLE events[2] = {stop_event, handle};
    DWORD count = console ? 2 : 1;
    DWORD woke = WaitForMultipleObjects(count, events, FALSE, pipe ? 20 : INFINITE);
    if (woke == WAIT_OBJECT_0 + 1) return 0;
    if (woke == WAIT_FAILED) return EIO;
    if (stop_flag == nullptr && woke == WAIT_OBJECT_0) return 0;  // the exit sequence reads on
  }
}

long read_some(int fd, char* buffer, std::size_t size, int* error) {
  TextCounts* counts = counts_of(fd);
  if (counts != nullptr && counts->input_ended) return 0;
  HANDLE handle = handle_of(fd);
  DWORD got = 0;
  DWORD want = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
  SetLastError(ERROR_SUCCESS);
  if (!ReadFile(handle, buffer, want, &got, nullptr)) {
    DWORD failure = GetLastError();
    if (failure == ERROR_BROKEN_PIPE || failure == ERROR_HANDLE_EOF) return 0;
    *error = error_number(failure);
    return -1;
  }
  // At the console nothing read is CTRL+Z at the start of a line (the end
  // of input) or, with the error "operation aborted", CTRL+C.
  if (got == 0 && GetLastError() == ERROR_OPERATION_ABORTED && is_console(handle)) {
    *error = EINTR;
    return -1;
  }
  if (const void* stop = std::memchr(buffer, 0x1A, got)) {
    got = static_cast<DWORD>(static_cast<const char*>(stop) - buffer);
    if (counts != nullptr) counts->input_ended = true;
  }
  return static_cast<long>(got);
}

long write_some(int fd, const char* data, std::size_t size, int* error,
                volatile std::sig_atomic_t* progress) {
  TextCounts* counts = counts_of(fd);
  if (counts == nullptr) {
    *error = EBADF;
    return -1;
  }
  if (size == 0) return 0;
  // 16 KiB on the stack: at least 8 KiB of logical bytes per call, and
  // little enough for the emergency path of a signal handler.
  char physical[16384];
  std::size_t taken = 0;
  std::size_t length = translate(data, size, counts->lf_owed, physical, sizeof physical, &taken);
  DWORD put = 0;
  if (!WriteFile(handle_of(fd), physical, static_cast<DWORD>(length), &put, nullptr)) {
    *error = error_number(GetLastError());
    return -1;
  }
  std::size_t logical = advance(counts, data, taken, put);
  // The console's requests only record themselves and the other signals
  // arise in this thread, so no handler runs between the write and this.
  if (progress != nullptr) *progress = *progress + static_cast<std::sig_atomic_t>(logical);
  return static_cast<long>(logical);
}

int write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    int error = 0;
    long put = write_some(fd, data, size, &error);
    if (put < 0) return error;
    if (put == 0 && !counts_of(fd)->lf_owed) return ENOSPC;
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  return 0;
}

// Nothing on Windows promises a pipe write whole or not at all; 4096 bytes
// of records (8 KiB at most once translated) go out in one write.
std::size_t atomic_write_size() { return 4096; }

// Writes to a named file block on Windows; a stop request is acted on at the
// next statement, when the write has returned.
void set_non_blocking(int) {}

std::int64_t current_offset(int fd) {
  TextCounts* counts = counts_of(fd);
  return counts != nullptr ? counts->logical : -1;
}

void fill_standard_descriptors() {
  const int directions[] = {_O_WRONLY, _O_RDONLY, _O_RDONLY};
  for (int fd = 0; fd <= 2; ++fd) {
    HANDLE handle = handle_of(fd);
    // -2: the run-time library's mark of a standard stream with no handle.
    if (handle != INVALID_HANDLE_VALUE && handle != reinterpret_cast<HANDLE>(-2)) continue;
    int opened = _open("NUL", directions[fd] | _O_BINARY);
    if (opened >= 0 && opened != fd) {
      _dup2(opened, fd);
      _close(opened);
    }
    text_counts[fd] = TextCounts{};
  }
}

int close_fd(int fd) {
  if (TextCounts* counts = counts_of(fd)) *counts = TextCounts{};
  return _close(fd) == 0 ? 0 : errno;
}

int truncate_fd(int fd, std::int64_t length) {
  TextCounts* counts = counts_of(fd);
  if (counts == nullptr) return EBADF;
  // A cut at the start, or at or after the last line end (see the top).
  std::int64_t physical = 0;
  if (length >= counts->line_end_logical && length <= counts->logical) {
    physical = counts->line_end_physical + (length - counts->line_end_logical);
  } else if (length != 0) {
    return EINVAL;
  }
  return _chsize_s(fd, physical);
}

bool is_regular(int fd) {
  BY_HANDLE_FILE_INFORMATION info;
  HANDLE handle = handle_of(fd);
  return GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
         !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool is_directory(int fd) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(handle_of(fd), &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

int directory_error() { return EISDIR; }

int no_space_error() { return ENOSPC; }

const char* error_text(int error) { return std::strerror(error); }

bool is_interrupted(int error) { return error == EINTR; }
bool is_no_room(int) { return false; }  // no write here is non-blocking

bool catch_signal(int signo, void (*handler)(int)) {
  if (signo == 0) return false;
  Handler previous = std::signal(signo, handler);
  if (signo == SIGINT || signo == SIGTERM) {
    static bool registered = false;
    if (!registered) registered = SetConsoleCtrlHandler(on_console_event, TRUE);
    console_handlers[signo == SIGINT ? 0 : 1].store(handler);
  }
  return previous == SIG_IGN;
}

static void set_disposition(int signo, Handler disposition) {
  if (signo == 0) return;
  std::signal(signo, disposition);
  if (signo == SIGINT || signo == SIGTERM) console_handlers[signo == SIGINT ? 0 : 1].store(disposition);
}

void ignore_signal(int signo) { set_disposition(signo, SIG_IGN); }
void default_signal(int signo) { set_disposition(signo, SIG_DFL); }

void reset_floating_point() { _fpreset(); }

void at_exit(void (*routine)()) { std::atexit(routine); }

// The thread stays suspended until another process resumes it.
void stop_self() { SuspendThread(GetCurrentThread()); }

void exit_process(int status) { std::exit(status); }
void exit_now(int status) { _exit(status); }

// The abort signal with its default action ends the process with status 3,
// as the run-time library's abort does, but without the library's message
// box or error-reporting dialogue; an installed handler runs first.
void abort_process() {
  std::raise(SIGABRT);
  _exit(3);
}

}  // namespace textio::os
