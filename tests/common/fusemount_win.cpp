// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "fusemount.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// Windows has no FUSE. Under Wine, tests/common/wine-fuse.sh mounts bindfs on the host and
// shows it as the drive T:, asked through files in the folder SIGTELINJE_WINE_FUSE names; so
// the rows on a stopped medium run there on a real drive letter.
namespace {

QString requestFolder() { return qEnvironmentVariable("SIGTELINJE_WINE_FUSE"); }

// The host's name for `path`, which only Wine can tell.
QString hostName(const QString& path)
{
    using Convert = char*(CDECL*)(const wchar_t*);
    const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert)
        return {};
    char* name = convert(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()));
    if (!name)
        return {};
    const QString host = QString::fromUtf8(name);
    HeapFree(GetProcessHeap(), 0, name);
    return host;
}

// One request to the helper, and its answer: "ok ..." or "error ...".
QString ask(const QString& request)
{
    const QString folder = requestFolder();
    QFile::remove(folder + QStringLiteral("/answer"));
    QFile next(folder + QStringLiteral("/request.new"));
    if (!next.open(QIODevice::WriteOnly) || next.write(request.toUtf8() + '\n') < 0)
        return QStringLiteral("error cannot write ") + next.fileName();
    next.close();
    QFile::rename(next.fileName(), folder + QStringLiteral("/request"));
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        QFile answer(folder + QStringLiteral("/answer"));
        if (answer.open(QIODevice::ReadOnly)) {
            const QString said = QString::fromUtf8(answer.readAll()).trimmed();
            answer.close();
            answer.remove();
            return said;
        }
        QThread::msleep(20);
    }
    return QStringLiteral("error wine-fuse.sh did not answer: ") + request;
}

}

struct FuseMount::State {
    bool mounted = false;
    QString drive;
    QString error;
};

QString FuseMount::unavailable(Kind kind)
{
    if (requestFolder().isEmpty())
        return QStringLiteral("FUSE is not on Windows; under Wine, tests/common/wine-fuse.sh "
                              "lends a bindfs mount as a drive letter");
    if (kind != Kind::Bindfs)
        return QStringLiteral("under Wine, wine-fuse.sh lends bindfs only");
    return {};
}

FuseMount::FuseMount(Kind kind, const QString&, const QStringList&, const QString& source)
    : d(std::make_unique<State>())
{
    if (const QString why = unavailable(kind); !why.isEmpty()) {
        d->error = why;
        return;
    }
    const QString host = hostName(source);
    const QString said = host.isEmpty() ? QStringLiteral("error no host name for ") + source
                                        : ask(QStringLiteral("mount ") + host);
    d->mounted = said.startsWith(QLatin1String("ok "));
    if (d->mounted)
        d->drive = said.mid(3) + QLatin1Char('/');
    else
        d->error = said;
}

FuseMount::~FuseMount()
{
    if (d->mounted)
        ask(QStringLiteral("unmount"));
}

bool FuseMount::isMounted() const { return d->mounted; }

QString FuseMount::error() const { return d->error; }

QString FuseMount::mountPoint() const { return d->drive; }

// The daemon runs on the host, out of this program's reach.
qint64 FuseMount::daemonPid() const { return 0; }

void FuseMount::stop()
{
    if (d->mounted)
        ask(QStringLiteral("stop"));
}

void FuseMount::resume()
{
    if (d->mounted)
        ask(QStringLiteral("resume"));
}
