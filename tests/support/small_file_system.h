#pragma once
#include <QString>

// A small tmpfs of the test's own, mounted on a new folder for the life of
// the object: a file system that runs full, or one that cannot be written
// at all. Mounting needs root (or CAP_SYS_ADMIN); a test without it skips
// itself with error() as the reason.
class SmallFileSystem {
public:
    enum Mode { Writable, ReadOnly };
    SmallFileSystem(const QString& folder, int kilobytes, Mode mode = Writable);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    QString error() const { return error_; }
    QString path() const { return folder_; }
    // Writes a filler file until no byte is left; true once the file
    // system is full.
    bool fill();

private:
    QString folder_;
    QString error_;
    bool mounted_ = false;
};
