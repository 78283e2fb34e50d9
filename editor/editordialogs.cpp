// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editordialogs.h"

#include "messagetext.h"

#include <QFileDialog>
#include <QMessageBox>

#include <memory>

using namespace Qt::StringLiterals;

EditorDialogs::~EditorDialogs() = default;

namespace {

class PlatformDialogs final : public EditorDialogs {
public:
    QString openFileName(
        QWidget* parent, const QString& filters, const QString& selectedFilter) override
    {
        return fileName(parent, QFileDialog::AcceptOpen, filters, selectedFilter);
    }

    QString saveFileName(
        QWidget* parent, const QString& filters, const QString& selectedFilter) override
    {
        return fileName(parent, QFileDialog::AcceptSave, filters, selectedFilter);
    }

    std::optional<QFont> font(QWidget* parent, const QFont& initial) override
    {
        return platformFontDialog(parent, initial);
    }

    void error(QWidget* parent, const QString& message) override
    {
        const std::unique_ptr<QMessageBox> box(editorErrorBox(parent, message));
        box->exec();
    }

private:
    static QString fileName(QWidget* parent, QFileDialog::AcceptMode mode, const QString& filters,
        const QString& selectedFilter)
    {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(mode);
        dialog.setAccessibleName(mode == QFileDialog::AcceptOpen ? u"Åbn fil"_s : u"Gem som"_s);
        dialog.setAccessibleDescription(mode == QFileDialog::AcceptOpen
                ? u"Vælg den fil, der skal vises i editoren"_s
                : u"Vælg navnet, teksten gemmes under"_s);
        dialog.setFileMode(
            mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        setUpFileDialog(dialog, filters, selectedFilter);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }
};

PlatformDialogs platformDialogs;
EditorDialogs* current = &platformDialogs;

} // namespace

QMessageBox* editorErrorBox(QWidget* parent, const QString& message)
{
    auto* box = new QMessageBox(QMessageBox::Critical, u"Sigtelinje - Text Editor"_s,
        wrappable(message), QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText);
    // A screen reader announces the box by its name and reads the message as written, without
    // the break marks.
    box->setAccessibleName(u"Sigtelinje - Text Editor: Fejl"_s);
    box->setAccessibleDescription(message);
    return box;
}

void setUpFileDialog(QFileDialog& dialog, const QString& filters, const QString& selectedFilter)
{
    // Qt takes a filter's patterns from its last parentheses and, with the details hidden, shows
    // what comes before them; so "All Files (*.*) (*)" reads as its caption and matches by "*".
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList parts = filters.split(u'|');
    QStringList nameFilters;
    QString selected;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        nameFilters << parts[i] + u" ("_s + QString(parts[i + 1]).replace(u';', u' ') + u')';
        if (parts[i] == selectedFilter)
            selected = nameFilters.last();
    }
    dialog.setNameFilters(nameFilters);
    dialog.selectNameFilter(selected);
}

EditorDialogs& editorDialogs() { return *current; }

void setEditorDialogs(EditorDialogs* dialogs) { current = dialogs ? dialogs : &platformDialogs; }
