// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "editordialogs.h"
#include "frmeditor.h"
#include "platformtest.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QOperatingSystemVersion>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using PlatformTest::onWindows;

// Windows only: the hidden or system attribute, which the editor takes for "no such file".
inline bool markFile(const QString& path, bool system)
{
    return PlatformTest::markHiddenOrSystem(path, system);
}

using namespace Qt::StringLiterals;

// Answers the editor's dialogs in place of a user and keeps what they were asked and told.
class FakeDialogs final : public EditorDialogs {
public:
    // One per file dialog, in order; "" cancels; "filter>path" picks path from what that filter
    // lists.
    QStringList fileAnswers;
    std::optional<QFont> fontAnswer;
    QStringList asked; // the filter each file dialog offered first
    QStringList errors;

    FakeDialogs() { setEditorDialogs(this); }
    ~FakeDialogs() override { setEditorDialogs(nullptr); }
    QString openFileName(QWidget*, const QString& filters, const QString& selected) override
    {
        return answer(u"open "_s, filters, selected);
    }
    QString saveFileName(QWidget*, const QString& filters, const QString& selected) override
    {
        return answer(u"save "_s, filters, selected);
    }
    std::optional<QFont> font(QWidget*, const QFont&) override { return fontAnswer; }
    void error(QWidget*, const QString& message) override { errors << message; }

private:
    QString answer(const QString& kind, const QString& filters, const QString& selected)
    {
        asked << kind + filters + u" @ "_s + selected;
        const QString reply = fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
        const qsizetype pick = reply.indexOf(u'>');
        if (pick < 0)
            return reply;
        const QFileInfo file(reply.mid(pick + 1));
        return listed(filters, reply.left(pick), file.absolutePath()).contains(file.fileName())
            ? file.filePath()
            : QString();
    }

    // The names that the editor's file dialog lists in `folder` once the user picks the filter
    // shown as `caption`.
    static QStringList listed(const QString& filters, const QString& caption, const QString& folder)
    {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setDirectory(folder);
        setUpFileDialog(dialog, filters, {});
        auto* shown = dialog.findChild<QComboBox*>(u"fileTypeCombo"_s);
        const int index = shown->findText(caption);
        if (index < 0)
            return {};
        shown->setCurrentIndex(index);
        emit shown->activated(index);
        auto* model = dialog.findChild<QFileSystemModel*>();
        QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
        loaded.wait();
        QStringList names;
        const QModelIndex parent = model->index(folder);
        for (int row = 0; row < model->rowCount(parent); ++row)
            names << model->index(row, 0, parent).data().toString();
        return names;
    }
};

// A fresh temporary folder made the current one, as a user starting the editor there.
class Workspace {
public:
    Workspace()
        : previous(QDir::currentPath())
    {
        QDir::setCurrent(dir.path());
    }
    ~Workspace() { QDir::setCurrent(previous); }
    QString path(const QString& name) const { return dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray read(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

private:
    QTemporaryDir dir;
    QString previous;
};

inline QString caption(const QString& shownName)
{
    return u"Sigtelinje - Text Editor: "_s + QDir::toNativeSeparators(QDir::currentPath())
        + QDir::separator() + shownName;
}

inline frmEditor* loadEditor(const QString& fileName)
{
    EditorFileName = fileName;
    return frmEditor::instance();
}

// As the close box does; afterwards the window is gone, and the next instance() loads anew.
inline void unloadEditor()
{
    if (frmEditor::isLoaded())
        frmEditor::instance()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
