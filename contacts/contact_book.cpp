#include "contacts/contact_book.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include "contacts/contact_files.h"

namespace contacts {

ContactBook::ContactBook(bool watch, QObject* parent) : QObject(parent), index_(default_region())
{
    if (watch) {
        // The folders exist from the start, so that the first file another
        // program puts there is seen.
        make_private_folder(own_folder());
        make_private_folder(phonebook_folder());
        watcher_ = new QFileSystemWatcher(this);
        // A sync program writes many files in a burst: read once it settles.
        settle_.setSingleShot(true);
        settle_.setInterval(150);
        connect(&settle_, &QTimer::timeout, this, &ContactBook::reload);
        connect(watcher_, &QFileSystemWatcher::directoryChanged, &settle_, qOverload<>(&QTimer::start));
        connect(watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
    }
    reload();
}

void ContactBook::read_folder(const QString& folder, Origin origin, QHash<QString, FileState>& seen,
                              bool& any_change)
{
    QDirIterator files(folder, {QStringLiteral("*.vcf"), QStringLiteral("*.VCF")}, QDir::Files,
                       origin == Origin::Smartphone ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (files.hasNext()) {
        files.next();
        const QFileInfo info = files.fileInfo();
        const QString path = info.filePath();
        FileState state = files_.value(path);
        if (state.modified != info.lastModified() || state.size != info.size()) {
            state = FileState{info.lastModified(), info.size(), read_contact_file(path, origin)};
            any_change = true;
        }
        seen.insert(path, state);
    }
}

void ContactBook::reload()
{
    QHash<QString, FileState> seen;
    bool any_change = false;
    read_folder(own_folder(), Origin::Own, seen, any_change);
    read_folder(smartphone_folder(), Origin::Smartphone, seen, any_change);
    read_folder(phonebook_folder(), Origin::Phone, seen, any_change);
    const QString region = default_region();
    if (!any_change && seen.size() == files_.size() && region == index_.keys().region()) {
        watch_folders();
        return;
    }
    files_ = std::move(seen);
    QList<Contact> all;
    for (const FileState& state : std::as_const(files_))
        all += state.contacts;
    if (region != index_.keys().region())
        index_ = ContactIndex(region);
    index_.reset(std::move(all));
    watch_folders();
    emit changed();
}

void ContactBook::watch_folders()
{
    if (!watcher_)
        return;
    QStringList folders{own_folder(), phonebook_folder(), QFileInfo(own_folder()).path()};
    const QString smartphone = smartphone_folder();
    folders << smartphone << QFileInfo(smartphone).path();
    QDirIterator devices(smartphone, QDir::Dirs | QDir::NoDotAndDotDot);
    while (devices.hasNext())
        folders << devices.next();
    QStringList missing;
    for (const QString& folder : folders)
        if (QFileInfo(folder).isDir() && !watcher_->directories().contains(folder))
            missing << folder;
    if (!missing.isEmpty())
        watcher_->addPaths(missing);
}

}  // namespace contacts
