// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// A FUSE file system mounted for one test row, so that rows meet the media surveyors use (USB
// sticks in exFAT or FAT, NTFS disks, shares without Unix modes) rather than the build disk.
// Unmounted when it goes out of scope, also when the row fails.
//
// `options` starting with '-' go to the daemon as arguments (bindfs --chmod-deny); the others
// are joined into its one -o list (allow_other,umask=0). `source` is the folder bindfs shows
// and the folder an ISO image is made of; the other kinds get a fresh image of a few MB.
class FuseMount {
public:
    // Slow: `source` shown read-only, every folder and file read answered after the delay
    // given in `options` as "delay=<ms>"; a create there fails with ENOENT, as in a full FAT
    // folder.
    enum class Kind { ExFat, Fat, Ntfs, Bindfs, Iso, Slow };

    // Empty when /dev/fuse and the tools for `kind` are here, else the reason, for QSKIP.
    static QString unavailable(Kind kind);

    FuseMount(Kind kind, const QString& mountPoint, const QStringList& options = {},
        const QString& source = {});
    // Resumes a stopped daemon and unmounts (lazily if busy).
    ~FuseMount();
    FuseMount(const FuseMount&) = delete;
    FuseMount& operator=(const FuseMount&) = delete;

    bool isMounted() const;
    // Why mounting failed: the command and what it said.
    QString error() const;
    QString mountPoint() const;

    // The FUSE daemon: stopped, every call on the medium waits until it is resumed.
    qint64 daemonPid() const;
    void stop();
    void resume();

private:
    struct State;
    std::unique_ptr<State> d;
};
