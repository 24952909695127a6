#include "platform/RegularFile.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <array>

namespace {

// File systems the kernel makes up as it is read: they hold no files a user keeps.
bool isKernelFileSystem(const QByteArray& path) {
    struct statfs info {};
    if (::statfs(path.constData(), &info) != 0) {
        return false;
    }
    static constexpr std::array<unsigned long, 11> kinds{
        PROC_SUPER_MAGIC, SYSFS_MAGIC,        DEBUGFS_MAGIC,       TRACEFS_MAGIC,
        SECURITYFS_MAGIC, CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC, BPF_FS_MAGIC,
        EFIVARFS_MAGIC,   PSTOREFS_MAGIC,     DEVPTS_SUPER_MAGIC};
    return std::find(kinds.begin(), kinds.end(), static_cast<unsigned long>(info.f_type)) !=
           kinds.end();
}

} // namespace

std::unique_ptr<QFile> openRegularFile(const QString& path) {
    if (path.isEmpty()) {
        return nullptr;
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    return file;
}

FileKind fileKind(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (path.isEmpty() || ::stat(native.constData(), &info) != 0) {
        return FileKind::Missing;
    }
    if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
        return FileKind::Other;
    }
    return isKernelFileSystem(native) ? FileKind::Other : FileKind::FileOrFolder;
}
