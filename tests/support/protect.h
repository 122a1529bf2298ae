#pragma once
// Making a file or folder one the program cannot change, for the tests of what it does then. A
// user's permissions do not hold back root, so as root the file is made immutable instead; the
// guard gives the rights back, so that the temporary folder can go.

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QString>

namespace testsupport {

class WriteProtection {
public:
    explicit WriteProtection(const QString& path) : path_(path) {
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0) return;
        mode_ = st.st_mode & 07777;
        if (::geteuid() == 0)
            ok_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
        else
            ok_ = ::chmod(QFile::encodeName(path).constData(), mode_ & ~0222) == 0;
    }
    ~WriteProtection() {
        if (!ok_) return;
        if (::geteuid() == 0)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
        else
            ::chmod(QFile::encodeName(path_).constData(), mode_);
    }
    WriteProtection(const WriteProtection&) = delete;
    WriteProtection& operator=(const WriteProtection&) = delete;

    bool isOn() const { return ok_; }

private:
    QString path_;
    mode_t mode_ = 0;
    bool ok_ = false;
};

}  // namespace testsupport
