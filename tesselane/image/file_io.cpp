#include "tesselane/image/file_io.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#endif

namespace tesselane {
namespace {

// Largest single write; the kernel may still take less.
constexpr size_t kMaxWrite = size_t{1} << 30;

std::string directoryOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return ".";
    if (slash == 0) return path.substr(0, 1);
    return path.substr(0, slash);
}

// A hidden name beside the target, unique within the process; attempt tells retries apart.
std::string temporaryName(const std::string& directory, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    char name[96];
#if defined(_WIN32)
    const long pid = static_cast<long>(_getpid());
#else
    const long pid = static_cast<long>(getpid());
#endif
    std::snprintf(name, sizeof name, "/.tesselane-%ld-%u-%u.tmp", pid, counter.fetch_add(1),
                  attempt);
    return directory + name;
}

#if !defined(_WIN32)

// Exceeding RLIMIT_FSIZE sends SIGXFSZ, which by default ends the process. While a file is
// written the signal is held back for this thread, so the write fails with EFBIG instead;
// a signal raised meanwhile is taken off again before the old mask returns.
class HoldFileSizeSignal {
  public:
    HoldFileSizeSignal() {
        sigemptyset(&signal_);
        sigaddset(&signal_, SIGXFSZ);
        pthread_sigmask(SIG_BLOCK, &signal_, &previous_);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGXFSZ) == 1;
    }
    ~HoldFileSizeSignal() {
        sigset_t pending;
        sigpending(&pending);
        if (!wasPending_ && sigismember(&pending, SIGXFSZ) == 1) {
            const timespec noWait{0, 0};
            sigtimedwait(&signal_, nullptr, &noWait);
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    HoldFileSizeSignal(const HoldFileSizeSignal&) = delete;
    HoldFileSizeSignal& operator=(const HoldFileSizeSignal&) = delete;

  private:
    sigset_t signal_;
    sigset_t previous_;
    bool wasPending_ = false;
};

bool closeChecked(int fd) { return close(fd) == 0 || errno == EINTR; }

// Gives the nameless file behind fd a temporary name in directory.
bool linkNameless(int fd, const std::string& directory, std::string& name) {
    char procPath[64];
    std::snprintf(procPath, sizeof procPath, "/proc/self/fd/%d", fd);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        name = temporaryName(directory, attempt);
        if (linkat(AT_FDCWD, procPath, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
        if (errno != EEXIST) return false;
    }
    return false;
}

int createNamed(const std::string& directory, std::string& name) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        name = temporaryName(directory, attempt);
        const int fd = open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool putInPlace(const std::string& temporary, const std::string& target) {
    if (std::rename(temporary.c_str(), target.c_str()) == 0) return true;
    unlink(temporary.c_str());
    return false;
}

#endif

}  // namespace

bool FileSink::write(const uint8_t* data, size_t size) {
    while (size > 0 && !failed_) {
        const size_t part = size < kMaxWrite ? size : kMaxWrite;
#if defined(_WIN32)
        const int written = _write(static_cast<int>(handle_), data, static_cast<unsigned>(part));
        if (written <= 0) {
            failed_ = true;
            break;
        }
#else
        const ssize_t written = ::write(static_cast<int>(handle_), data, part);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            failed_ = true;
            break;
        }
#endif
        data += written;
        size -= static_cast<size_t>(written);
    }
    return !failed_;
}

#if defined(_WIN32)

bool replaceFile(const char* path, const std::function<bool(FileSink&)>& produce) {
    if (path == nullptr || *path == '\0') return false;
    const std::string target = path;
    const std::string directory = directoryOf(target);
    std::string temporary;
    int fd = -1;
    for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = temporaryName(directory, attempt);
        fd = _open(temporary.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                   _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    FileSink sink(fd);
    bool ok = produce(sink) && !sink.failed_;
    ok = _close(fd) == 0 && ok;
    if (ok && MoveFileExA(temporary.c_str(), target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
        return true;
    }
    DeleteFileA(temporary.c_str());
    return false;
}

#else

bool replaceFile(const char* path, const std::function<bool(FileSink&)>& produce) {
    if (path == nullptr || *path == '\0') return false;
    const std::string target = path;
    const std::string directory = directoryOf(target);
    HoldFileSizeSignal hold;
    std::string temporary;

#if defined(O_TMPFILE)
    // A nameless file vanishes by itself if the process dies before it is complete.
    const int nameless = open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (nameless >= 0) {
        FileSink sink(nameless);
        if (!produce(sink) || sink.failed_) {
            close(nameless);
            return false;
        }
        const bool named = linkNameless(nameless, directory, temporary);
        if (!closeChecked(nameless)) {
            if (named) unlink(temporary.c_str());
            return false;
        }
        if (named) return putInPlace(temporary, target);
        // No /proc to name it through: write the file again under a temporary name.
    }
#endif

    const int fd = createNamed(directory, temporary);
    if (fd < 0) return false;
    FileSink sink(fd);
    bool ok = produce(sink) && !sink.failed_;
    ok = closeChecked(fd) && ok;
    if (!ok) {
        unlink(temporary.c_str());
        return false;
    }
    return putInPlace(temporary, target);
}

#endif

}  // namespace tesselane
