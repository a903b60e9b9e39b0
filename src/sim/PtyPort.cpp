#include "PtyPort.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace rir::sim {

namespace {

std::string Failure(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

} // namespace

PtyPort::~PtyPort() {
    RemoveLink();
    if (slave_ >= 0)
        close(slave_);
    if (master_ >= 0)
        close(master_);
}

std::string PtyPort::Open() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        return Failure("posix_openpt");
    if (grantpt(master_) != 0)
        return Failure("grantpt");
    if (unlockpt(master_) != 0)
        return Failure("unlockpt");
    char name[256] = {};
    if (ptsname_r(master_, name, sizeof name) != 0)
        return Failure("ptsname");
    slavePath_ = name;

    slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0)
        return Failure("open slave");
    // Raw bytes both ways: no echo, no line editing, no CR/LF translation. The station sets its
    // own speed and format when it opens the port; 9600 8N1 until then.
    termios tio{};
    if (tcgetattr(slave_, &tio) != 0)
        return Failure("tcgetattr");
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    if (tcsetattr(slave_, TCSANOW, &tio) != 0)
        return Failure("tcsetattr");

    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0)
        return Failure("fcntl");
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    return {};
}

std::string PtyPort::MakeLink(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode))
        return path + " exists and is not a symbolic link; not replacing it";
    // Made beside the target and renamed over it, so the path never points nowhere.
    const std::string temporary = path + ".rir-sim." + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(slavePath_.c_str(), temporary.c_str()) != 0)
        return Failure(("symlink " + temporary).c_str());
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string failure = Failure(("rename to " + path).c_str());
        unlink(temporary.c_str());
        return failure;
    }
    linkPath_ = path;
    return {};
}

void PtyPort::RemoveLink() {
    if (linkPath_.empty())
        return;
    // Only our own link: another simulator may have taken the path over since.
    char target[512] = {};
    const ssize_t n = readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == slavePath_)
        unlink(linkPath_.c_str());
    linkPath_.clear();
}

} // namespace rir::sim
