// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "fusemount.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Root's PATH holds the sbin folders, a plain user's may not; mkfs and losetup live there.
QString tool(const QString& name)
{
    QString found = QStandardPaths::findExecutable(name);
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(
            name, { QStringLiteral("/usr/sbin"), QStringLiteral("/sbin") });
    return found;
}

struct Tool {
    const char* program;
    const char* package;
};

QList<Tool> toolsFor(FuseMount::Kind kind)
{
    switch (kind) {
    case FuseMount::Kind::ExFat:
        // exfat-fuse always mounts as a block device file system, so the image needs a loop device.
        return { { "mkfs.exfat", "exfatprogs" }, { "mount.exfat-fuse", "exfat-fuse" },
            { "losetup", "mount" } };
    case FuseMount::Kind::Fat:
        return { { "mkfs.fat", "dosfstools" }, { "fusefat", "fusefat" } };
    case FuseMount::Kind::Ntfs:
        return { { "mkntfs", "ntfs-3g" }, { "ntfs-3g", "ntfs-3g" } };
    case FuseMount::Kind::Bindfs:
        return { { "bindfs", "bindfs" } };
    case FuseMount::Kind::Iso:
        return { { "genisoimage", "genisoimage" }, { "fuseiso", "fuseiso" } };
    case FuseMount::Kind::Slow:
        return {};
    }
    return {};
}

QString fusermount()
{
    const QString three = tool(QStringLiteral("fusermount3"));
    return three.isEmpty() ? tool(QStringLiteral("fusermount")) : three;
}

// /proc/self/mountinfo writes a space in a path as \040, and likewise tab, newline and backslash.
QString unescapeMountField(const QByteArray& field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += char(code);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return QString::fromLocal8Bit(out);
}

bool mounted(const QString& mountPoint)
{
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    // readAll, not line by line: procfs files report size 0.
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() > 4 && unescapeMountField(fields[4]) == mountPoint)
            return true;
    }
    return false;
}

}

struct FuseMount::State {
    Kind kind = Kind::ExFat;
    QString mountPoint;
    QTemporaryDir work;
    QProcess daemon;
    QString loopDevice;
    QString error;

    bool run(const QString& program, const QStringList& arguments, QString* output = nullptr)
    {
        QProcess process;
        process.start(tool(program), arguments);
        const bool ok = process.waitForFinished(60000)
            && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        if (output)
            *output = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
        if (!ok)
            error = program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '))
                + QStringLiteral(": ")
                + QString::fromLocal8Bit(process.readAllStandardError()).trimmed()
                + process.errorString();
        return ok;
    }

    bool makeImage(const QString& image)
    {
        QFile file(image);
        if (!file.open(QIODevice::WriteOnly) || !file.resize(8 * 1024 * 1024)) {
            error = QStringLiteral("cannot make the image %1").arg(image);
            return false;
        }
        file.close();
        switch (kind) {
        case Kind::ExFat:
            return run(QStringLiteral("mkfs.exfat"), { image })
                && run(QStringLiteral("losetup"),
                    { QStringLiteral("--find"), QStringLiteral("--show"), image }, &loopDevice);
        case Kind::Fat:
            return run(QStringLiteral("mkfs.fat"), { image });
        case Kind::Ntfs:
            return run(QStringLiteral("mkntfs"),
                { QStringLiteral("-F"), QStringLiteral("-f"), QStringLiteral("-q"), image });
        default:
            return true;
        }
    }
};

QString FuseMount::unavailable(Kind kind)
{
    const int fuse = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fuse < 0)
        return QStringLiteral("no usable /dev/fuse here (%1), so no FUSE media")
            .arg(QString::fromLocal8Bit(strerror(errno)));
    ::close(fuse);
    if (fusermount().isEmpty())
        return QStringLiteral("fusermount is not installed; tools/install-deps.sh installs fuse3");
    for (const Tool& t : toolsFor(kind)) {
        if (tool(QLatin1String(t.program)).isEmpty())
            return QStringLiteral("%1 is not installed; tools/install-deps.sh installs %2")
                .arg(QLatin1String(t.program), QLatin1String(t.package));
    }
    if (kind == Kind::Slow && QLatin1String(SIGTELINJE_SLOWFS).isEmpty())
        return QStringLiteral("the slow medium needs libfuse3; tools/install-deps.sh installs it");
    if (kind == Kind::ExFat
        && (geteuid() != 0 || !QFileInfo::exists(QStringLiteral("/dev/loop-control"))))
        return QStringLiteral("exFAT through FUSE needs a loop device, which only root can attach");
    return {};
}

FuseMount::FuseMount(
    Kind kind, const QString& mountPoint, const QStringList& options, const QString& source)
    : d(std::make_unique<State>())
{
    d->kind = kind;
    QDir().mkpath(mountPoint);
    d->mountPoint = QFileInfo(mountPoint).canonicalFilePath();
    if (!d->work.isValid() || d->mountPoint.isEmpty()) {
        d->error = QStringLiteral("no mount point %1 or no work folder").arg(mountPoint);
        return;
    }

    QStringList arguments;
    QStringList mountOptions;
    for (const QString& option : options)
        (option.startsWith(QLatin1Char('-')) ? arguments : mountOptions) << option;
    QString from = source;
    if (from.isEmpty() && (kind == Kind::Bindfs || kind == Kind::Iso || kind == Kind::Slow)) {
        from = d->work.filePath(QStringLiteral("source"));
        QDir().mkpath(from);
    }
    const QString image = d->work.filePath(QStringLiteral("medium.img"));

    QString program;
    switch (kind) {
    case Kind::ExFat:
        if (!d->makeImage(image))
            return;
        // -d keeps it in the foreground (and talkative), so its pid is our child's.
        program = QStringLiteral("mount.exfat-fuse");
        arguments << QStringLiteral("-d") << d->loopDevice << d->mountPoint;
        break;
    case Kind::Fat:
        if (!d->makeImage(image))
            return;
        program = QStringLiteral("fusefat");
        mountOptions.prepend(QStringLiteral("rw+"));
        arguments << QStringLiteral("-f") << image << d->mountPoint;
        break;
    case Kind::Ntfs:
        if (!d->makeImage(image))
            return;
        program = QStringLiteral("ntfs-3g");
        mountOptions.prepend(QStringLiteral("no_detach"));
        arguments << image << d->mountPoint;
        break;
    case Kind::Bindfs:
        program = QStringLiteral("bindfs");
        arguments << QStringLiteral("-f") << from << d->mountPoint;
        break;
    case Kind::Slow: {
        program = QStringLiteral(SIGTELINJE_SLOWFS);
        QString delay = QStringLiteral("0");
        for (const QString& option : mountOptions.filter(QStringLiteral("delay=")))
            delay = option.mid(6);
        mountOptions.removeIf(
            [](const QString& o) { return o.startsWith(QLatin1String("delay=")); });
        arguments = QStringList { delay, from, d->mountPoint } + arguments;
        break;
    }
    case Kind::Iso:
        if (!d->run(QStringLiteral("genisoimage"),
                { QStringLiteral("-quiet"), QStringLiteral("-o"), image, from }))
            return;
        program = QStringLiteral("fuseiso");
        arguments = QStringList { QStringLiteral("-n"), image, d->mountPoint, QStringLiteral("-f") }
            + arguments;
        break;
    }
    if (!mountOptions.isEmpty())
        arguments << QStringLiteral("-o") << mountOptions.join(QLatin1Char(','));

    const QString log = d->work.filePath(QStringLiteral("daemon.log"));
    d->daemon.setStandardOutputFile(QProcess::nullDevice());
    d->daemon.setStandardErrorFile(log);
    d->daemon.start(QDir::isAbsolutePath(program) ? program : tool(program), arguments);
    const QString command = program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
    if (!d->daemon.waitForStarted(10000)) {
        d->error = command + QStringLiteral(": ") + d->daemon.errorString();
        return;
    }
    QDeadlineTimer deadline(20000);
    while (!mounted(d->mountPoint)) {
        if (d->daemon.state() == QProcess::NotRunning || deadline.hasExpired()) {
            QFile said(log);
            said.open(QIODevice::ReadOnly);
            d->error = command + QStringLiteral(": not mounted: ")
                + QString::fromLocal8Bit(said.read(2000)).trimmed();
            return;
        }
        d->daemon.waitForFinished(20);
    }
}

FuseMount::~FuseMount()
{
    if (d->daemon.state() != QProcess::NotRunning) {
        resume();
        if (mounted(d->mountPoint)) {
            QProcess::execute(fusermount(), { QStringLiteral("-u"), d->mountPoint });
            if (mounted(d->mountPoint))
                QProcess::execute(
                    fusermount(), { QStringLiteral("-u"), QStringLiteral("-z"), d->mountPoint });
        }
        if (!d->daemon.waitForFinished(10000)) {
            d->daemon.kill();
            d->daemon.waitForFinished(10000);
        }
    }
    if (!d->loopDevice.isEmpty())
        QProcess::execute(tool(QStringLiteral("losetup")), { QStringLiteral("-d"), d->loopDevice });
}

bool FuseMount::isMounted() const
{
    return d->daemon.state() == QProcess::Running && mounted(d->mountPoint);
}

QString FuseMount::error() const { return d->error; }

QString FuseMount::mountPoint() const { return d->mountPoint; }

qint64 FuseMount::daemonPid() const { return d->daemon.processId(); }

void FuseMount::stop()
{
    if (daemonPid() > 0)
        ::kill(pid_t(daemonPid()), SIGSTOP);
}

void FuseMount::resume()
{
    if (daemonPid() > 0)
        ::kill(pid_t(daemonPid()), SIGCONT);
}
