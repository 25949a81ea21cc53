#pragma once

#include <QString>

// A file system mounted on an existing folder for one test, unmounted (lazily) with the object.
// Mounting needs the superuser, which CI is; elsewhere mounted() is false and failure() says why,
// for the test's skip message.
class ScratchMount {
public:
    // A tmpfs with `options` ("size=64k"), read-only when asked.
    static ScratchMount Tmpfs(const QString &folder, const char *options, bool readOnly = false);
    // `source` bound onto `folder`: the same device, another mount, read-only when asked.
    static ScratchMount Bind(const QString &source, const QString &folder, bool readOnly = false);

    ScratchMount(ScratchMount &&other) noexcept;
    ScratchMount(const ScratchMount &) = delete;
    ScratchMount &operator=(const ScratchMount &) = delete;
    ~ScratchMount();

    bool mounted() const { return failure_.isEmpty(); }
    const QString &failure() const { return failure_; }

private:
    ScratchMount(const QString &folder, const char *source, const char *type, unsigned long flags,
                 const char *options);

    QString folder_;
    QString failure_;
};
