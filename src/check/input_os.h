// input_os.h: the platform calls of reading an input, in one place.
// input_os.cc implements them over POSIX, input_os_win.cc over Windows; the
// build compiles exactly one.
#pragma once

#include <functional>
#include <istream>
#include <memory>
#include <string>

namespace check::os {

// When `path` is a named pipe: opens it at once, without waiting for a
// writer, and returns a stream that reads what the writer writes as it
// comes (the end when the writer closes). If no writer has written within
// `patience_ms`, `on_wait` is called once and the wait goes on. Returns
// nullptr for anything else (and on Windows), which is read as a file.
std::unique_ptr<std::istream> open_named_pipe(const std::string& path, int patience_ms,
                                              const std::function<void()>& on_wait);

}  // namespace check::os
