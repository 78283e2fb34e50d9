#pragma once

#include <QFont>
#include <QString>

#include <optional>

class QWidget;

// Every dialog the editor shows goes through here, so that tests can answer in their place.
class EditorDialogs {
public:
    virtual ~EditorDialogs();
    // `filters` in the file dialogs' ";;" form; `selectedFilter` is one of them. Both return the
    // chosen path, or the empty text when the user cancels.
    virtual QString openFileName(
        QWidget* parent, const QString& filters, const QString& selectedFilter)
        = 0;
    virtual QString saveFileName(
        QWidget* parent, const QString& filters, const QString& selectedFilter)
        = 0;
    virtual std::optional<QFont> font(QWidget* parent, const QFont& initial) = 0;
    virtual void error(QWidget* parent, const QString& message) = 0;
};

// The dialogs in use: the platform's own until a test installs others.
EditorDialogs& editorDialogs();
// Takes no ownership; nullptr goes back to the platform's dialogs.
void setEditorDialogs(EditorDialogs* dialogs);
