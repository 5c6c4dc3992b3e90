#include "contacts/contact_book.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

#include "contacts/contact_cache.h"
#include "contacts/contact_files.h"

namespace contacts {

namespace {

void read_folder(const QString& folder, Origin origin, const ContactBook::Files& known, ContactBook::Scan& scan)
{
    QDirIterator files(folder, {QStringLiteral("*.vcf"), QStringLiteral("*.VCF")}, QDir::Files,
                       origin == Origin::Smartphone ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (files.hasNext()) {
        files.next();
        const QFileInfo info = files.fileInfo();
        const QString path = info.filePath();
        ContactBook::FileState state = known.value(path);
        if (state.modified != info.lastModified() || state.size != info.size()) {
            state = ContactBook::FileState{info.lastModified(), info.size(), read_contact_file(path, origin)};
            scan.any_change = true;
            scan.files_read = true;
        }
        scan.files.insert(path, state);
    }
}

void build_index(ContactBook::Scan& scan, const QString& region)
{
    QList<Contact> all;
    for (const ContactBook::FileState& state : std::as_const(scan.files))
        all += state.contacts;
    scan.index = std::make_shared<ContactIndex>(region);
    scan.index->reset(std::move(all));
}

// Reads the folders against what was read before; builds a new index when
// anything changed. Touches nothing but its arguments and the cache: it
// runs in the pool.
ContactBook::Scan scan_folders(const ContactBook::Files& known, const QString& known_region, const QString& region,
                               bool keep_cache)
{
    ContactBook::Scan scan;
    read_folder(own_folder(), Origin::Own, known, scan);
    read_folder(smartphone_folder(), Origin::Smartphone, known, scan);
    read_folder(phonebook_folder(), Origin::Phone, known, scan);
    scan.files_read = scan.files_read || scan.files.size() != known.size();
    if (keep_cache && scan.files_read)
        write_contact_cache(scan.files);
    scan.any_change = scan.any_change || scan.files.size() != known.size() || region != known_region;
    if (scan.any_change)
        build_index(scan, region);
    return scan;
}

// What a window read at its last run: names at once, before the folders
// are looked through (a stat of ten thousand files alone takes longer).
ContactBook::Scan scan_cache(const QString& region)
{
    ContactBook::Scan scan;
    scan.files = read_contact_cache();
    scan.from_cache = true;
    if (!scan.files.isEmpty())
        build_index(scan, region);
    return scan;
}

}  // namespace

ContactBook::ContactBook(bool watch, Load load, QObject* parent)
    : QObject(parent), index_(default_region()), keep_cache_(watch)
{
    connect(&background_, &QFutureWatcherBase::finished, this, [this] {
        Scan scan = background_.result();
        const bool from_cache = scan.from_cache;
        take(std::move(scan));
        // The cache's names are shown; the folders tell what changed since.
        if (from_cache || read_again_) {
            read_again_ = false;
            reload_in_background();
        }
    });
    if (watch) {
        // The folders exist from the start, so that the first file another
        // program puts there is seen.
        make_private_folder(own_folder());
        make_private_folder(phonebook_folder());
        watcher_ = new QFileSystemWatcher(this);
        // A sync program writes many files in a burst: read once it settles.
        settle_.setSingleShot(true);
        settle_.setInterval(150);
        connect(&settle_, &QTimer::timeout, this,
                load == Load::InBackground ? &ContactBook::reload_in_background : &ContactBook::reload);
        connect(watcher_, &QFileSystemWatcher::directoryChanged, &settle_, qOverload<>(&QTimer::start));
        connect(watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
    }
    if (load == Load::AtOnce)
        reload();
    else if (keep_cache_)
        background_.setFuture(QtConcurrent::run(scan_cache, default_region()));
    else
        reload_in_background();
}

ContactBook::~ContactBook()
{
    // The reading touches none of this object: it may end on its own.
    background_.disconnect(this);
}

void ContactBook::reload()
{
    take(scan_folders(files_, known_region(), default_region(), keep_cache_));
}

void ContactBook::reload_in_background()
{
    if (background_.isRunning()) {
        read_again_ = true;
        return;
    }
    background_.setFuture(
        QtConcurrent::run(scan_folders, files_, known_region(), default_region(), keep_cache_));
}

void ContactBook::follow_region()
{
    if (ready_ && default_region() != index_.keys().region())
        reload_in_background();
}

QString ContactBook::known_region() const { return indexed_ ? index_.keys().region() : QString(); }

void ContactBook::take(Scan scan)
{
    const bool first = !ready_ && !scan.from_cache;
    ready_ = ready_ || !scan.from_cache;
    files_ = std::move(scan.files);
    if (scan.index) {
        index_ = std::move(*scan.index);
        indexed_ = true;
    }
    if (scan.from_cache)
        return scan.index ? emit changed() : void();
    watch_folders();
    if (scan.index || first)
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
