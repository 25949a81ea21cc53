#include "support/ScratchMount.h"

#include <sys/mount.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

ScratchMount::ScratchMount(const QString &folder, const char *source, const char *type,
                           unsigned long flags, const char *options)
    : folder_(folder) {
    if (::geteuid() != 0) {
        failure_ = QStringLiteral("mounting a file system needs the superuser");
        return;
    }
    const QByteArray target = QFile::encodeName(folder);
    if (::mount(source, target.constData(), type, flags, options) != 0)
        failure_ = QStringLiteral("mount failed: %1").arg(QString::fromLocal8Bit(strerror(errno)));
}

ScratchMount ScratchMount::Tmpfs(const QString &folder, const char *options, bool readOnly) {
    return ScratchMount(folder, "lumora-test", "tmpfs", readOnly ? MS_RDONLY : 0, options);
}

ScratchMount ScratchMount::Bind(const QString &source, const QString &folder, bool readOnly) {
    ScratchMount bound(folder, QFile::encodeName(source).constData(), nullptr, MS_BIND, nullptr);
    // A bind mount takes its flags only when mounted again.
    if (readOnly && bound.mounted() &&
        ::mount(nullptr, QFile::encodeName(folder).constData(), nullptr,
                MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        bound.failure_ =
            QStringLiteral("remount failed: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
    }
    return bound;
}

ScratchMount::ScratchMount(ScratchMount &&other) noexcept
    : folder_(std::move(other.folder_)), failure_(std::move(other.failure_)) {
    other.failure_ = QStringLiteral("moved");
}

ScratchMount::~ScratchMount() {
    if (mounted()) ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
}
