#pragma once

#include "editordialogs.h"
#include "frmeditor.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Answers the editor's dialogs in place of a user and keeps what they were asked and told.
class FakeDialogs final : public EditorDialogs {
public:
    QStringList fileAnswers; // one per file dialog, in order; "" cancels
    std::optional<QFont> fontAnswer;
    QStringList asked; // the filter each file dialog offered first
    QStringList errors;

    FakeDialogs() { setEditorDialogs(this); }
    ~FakeDialogs() override { setEditorDialogs(nullptr); }
    QString openFileName(QWidget*, const QString& filters, const QString& selected) override
    {
        return answer(u"open "_s + filters + u" @ "_s + selected);
    }
    QString saveFileName(QWidget*, const QString& filters, const QString& selected) override
    {
        return answer(u"save "_s + filters + u" @ "_s + selected);
    }
    std::optional<QFont> font(QWidget*, const QFont&) override { return fontAnswer; }
    void error(QWidget*, const QString& message) override { errors << message; }

private:
    QString answer(const QString& question)
    {
        asked << question;
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
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
